// A small stand-in for the `vscode` module: the classes and calls the
// extension's own logic uses, with a text document and an editor that apply
// snippets, and settings and the active editor that tests set.
import { expandSnippet } from '../snippet';

export class Position {
  constructor(
    readonly line: number,
    readonly character: number,
  ) {}
  isEqual(other: Position): boolean {
    return this.line === other.line && this.character === other.character;
  }
}

export class Range {
  readonly start: Position;
  readonly end: Position;
  constructor(a: Position | number, b: Position | number, c?: number, d?: number) {
    if (typeof a === 'number' && typeof b === 'number') {
      this.start = new Position(a, b);
      this.end = new Position(c ?? a, d ?? b);
    } else {
      this.start = a as Position;
      this.end = b as Position;
    }
  }
}

export class Selection extends Range {
  get active(): Position {
    return this.end;
  }
}

export class SnippetString {
  constructor(public value = '') {}
  appendText(text: string): SnippetString {
    this.value += text.replace(/[$}\\]/g, '\\$&');
    return this;
  }
}

export enum TextDocumentChangeReason {
  Undo = 1,
  Redo = 2,
}

export enum ProgressLocation {
  SourceControl = 1,
  Window = 10,
  Notification = 15,
}

export class Uri {
  private constructor(readonly fsPath: string) {}
  static file(fsPath: string): Uri {
    return new Uri(fsPath);
  }
  toString(): string {
    return `file://${this.fsPath}`;
  }
}

// A document of '\n'-separated lines whose version counts its changes.
export class TextDocument {
  version = 1;
  constructor(
    public text: string,
    readonly languageId = 'vba',
    readonly uri = Uri.file('/work/Module1.bas'),
  ) {}
  get lineCount(): number {
    return this.text.split('\n').length;
  }
  lineAt(line: number): { text: string; range: Range } {
    const text = this.text.split('\n')[line];
    return { text, range: new Range(line, 0, line, text.length) };
  }
  offsetAt(position: Position): number {
    const lines = this.text.split('\n');
    let offset = 0;
    for (let i = 0; i < position.line; i++) {
      offset += lines[i].length + 1;
    }
    return offset + position.character;
  }
  replace(range: Range, text: string): void {
    this.text = this.text.slice(0, this.offsetAt(range.start)) + text + this.text.slice(this.offsetAt(range.end));
    this.version++;
  }
}

export interface SnippetCall {
  snippet: string;
  range: Range;
  options: { undoStopBefore: boolean; undoStopAfter: boolean; keepWhitespace?: boolean };
}

export class TextEditor {
  readonly snippets: SnippetCall[] = [];
  // The caret after the last snippet, as an offset in the document.
  caret = -1;
  selections: Selection[] = [new Selection(0, 0, 0, 0)];
  constructor(readonly document: TextDocument) {}
  async insertSnippet(snippet: SnippetString, range: Range, options: SnippetCall['options']): Promise<boolean> {
    this.snippets.push({ snippet: snippet.value, range, options });
    const expanded = expandSnippet(snippet.value);
    const start = this.document.offsetAt(range.start);
    this.document.replace(range, expanded.text);
    this.caret = start + expanded.caret;
    return true;
  }
}

// Settings by full key ("tarnwick.autoInsert.template"); tests set them.
export const settings = new Map<string, unknown>();

// Workspace edits applied, as the converter's stand-ins give them.
export const appliedEdits: unknown[] = [];

export const workspace = {
  applyEdit: async (edit: unknown) => {
    appliedEdits.push(edit);
    return true;
  },
  getConfiguration(section: string) {
    return {
      get<T>(key: string, fallback: T): T {
        const value = settings.get(`${section}.${key}`);
        return value === undefined ? fallback : (value as T);
      },
      inspect: () => undefined,
    };
  },
};

export const messages: string[] = [];

export const window: { activeTextEditor: TextEditor | undefined } & Record<string, unknown> = {
  activeTextEditor: undefined,
  showInformationMessage: async (message: string) => void messages.push(message),
  showWarningMessage: async (message: string) => void messages.push(message),
  showErrorMessage: async (message: string) => void messages.push(message),
  withProgress: async <T>(_options: unknown, task: () => Promise<T>) => task(),
};

export const executedCommands: string[] = [];

export const commands = {
  executeCommand: async (command: string) => void executedCommands.push(command),
};
