// Auto-insert: after the user types an apostrophe, Enter or '>' in a VBA
// document, the server is asked what to insert (tarnwick/autoInsert), and its
// answer is applied as a snippet, in the same undo step as the character.
import * as vscode from 'vscode';

export type TypedCharacter = "'" | '\n' | '>';

export interface LspPosition {
  line: number;
  character: number;
}

export interface LspRange {
  start: LspPosition;
  end: LspPosition;
}

export interface AutoInsertParams {
  textDocument: { uri: string };
  position: LspPosition;
  ch: TypedCharacter;
}

export interface AutoInsertResult {
  textEdit: { range: LspRange; newText: string };
  textEditFormat?: number;
}

export const autoInsertMethod = 'tarnwick/autoInsert';

// InsertTextFormat of the protocol: 1 plain text, 2 snippet.
const snippetFormat = 2;

export type AskServer = (params: AutoInsertParams) => Promise<AutoInsertResult | null | undefined>;

export interface Typed {
  ch: TypedCharacter;
  // Just after the character typed (for Enter, after the indentation the
  // editor carried over), in the document as it is after the change.
  position: vscode.Position;
}

// An Enter as the editor types it: a line break, then the indentation it
// carries over.
const enterText = /^(?:\r\n|\n)[ \t]*$/;

// The character a change types, when it is one of the three that may be
// answered: one change (a multi-cursor edit makes several), neither undo nor
// redo, its text exactly the character (or an Enter). A paste is told apart
// by the caller.
export function typedCharacter(event: vscode.TextDocumentChangeEvent): Typed | undefined {
  if (event.reason !== undefined || event.contentChanges.length !== 1) {
    return undefined;
  }
  const change = event.contentChanges[0];
  const start = change.range.start;
  if (change.text === "'" || change.text === '>') {
    return {
      ch: change.text,
      position: new vscode.Position(start.line, start.character + change.text.length),
    };
  }
  if (enterText.test(change.text)) {
    // The caret after Enter: past the indentation carried over, which the
    // server reads as the editor's and not as text of the line.
    const indentation = change.text.replace(/^\r?\n/, '');
    return { ch: '\n', position: new vscode.Position(start.line + 1, indentation.length) };
  }
  return undefined;
}

export interface Switches {
  template: boolean;
  continuation: boolean;
  closingTag: boolean;
}

export function readSwitches(document: vscode.TextDocument): Switches {
  const section = vscode.workspace.getConfiguration('tarnwick.autoInsert', document);
  return {
    template: section.get<boolean>('template', true),
    continuation: section.get<boolean>('continuation', true),
    closingTag: section.get<boolean>('closingTag', true),
  };
}

// Whether a character is worth asking about under the switches: an apostrophe
// only ever gives the template, '>' the closing tag; Enter gives either.
export function wanted(ch: TypedCharacter, switches: Switches): boolean {
  switch (ch) {
    case "'":
      return switches.template;
    case '>':
      return switches.closingTag;
    case '\n':
      return switches.template || switches.continuation;
  }
}

// A template has tab stops on its tags; a continuation or a closing tag has
// only the final caret. So an answer to Enter tells by its first tab stop
// which switch it falls under.
export function allowed(ch: TypedCharacter, snippet: string, switches: Switches): boolean {
  if (ch !== '\n') {
    return wanted(ch, switches);
  }
  return hasFirstTabStop(snippet) ? switches.template : switches.continuation;
}

function hasFirstTabStop(snippet: string): boolean {
  // An unescaped "$1" or "${1" (and not "$10").
  return /(?:^|[^\\])(?:\\\\)*\$(?:1(?!\d)|\{1[}:])/.test(snippet);
}

// The answer's text as a snippet: a plain-text answer has its '$', '}' and
// '\' escaped.
export function snippetOf(result: AutoInsertResult): vscode.SnippetString {
  const text = result.textEdit.newText;
  if (result.textEditFormat === snippetFormat) {
    return new vscode.SnippetString(text);
  }
  return new vscode.SnippetString().appendText(text);
}

export function toRange(range: LspRange): vscode.Range {
  return new vscode.Range(
    range.start.line,
    range.start.character,
    range.end.line,
    range.end.character,
  );
}

export interface AutoInsertOptions {
  ask: AskServer;
  // True while a paste is being applied.
  pasting: () => boolean;
  log: (message: string) => void;
}

// Asks for and applies the insertions of one window's typing.
export class AutoInsert {
  constructor(private readonly options: AutoInsertOptions) {}

  // Resolves to true when an insertion was applied. `version` is the
  // document's version right after the change: a change already followed by
  // another is not asked about.
  async onDidChangeTextDocument(
    event: vscode.TextDocumentChangeEvent,
    version = event.document.version,
  ): Promise<boolean> {
    const document = event.document;
    if (document.languageId !== 'vba' || document.version !== version || this.options.pasting()) {
      return false;
    }
    const typed = typedCharacter(event);
    if (typed === undefined) {
      return false;
    }
    // Only what the user types in the editor in front, with one caret.
    const editor = vscode.window.activeTextEditor;
    if (editor === undefined || editor.document !== document || editor.selections.length !== 1) {
      return false;
    }
    const switches = readSwitches(document);
    if (!wanted(typed.ch, switches)) {
      return false;
    }
    let result: AutoInsertResult | null | undefined;
    try {
      result = await this.options.ask({
        textDocument: { uri: document.uri.toString() },
        position: { line: typed.position.line, character: typed.position.character },
        ch: typed.ch,
      });
    } catch (error) {
      this.options.log(`${autoInsertMethod} failed: ${error instanceof Error ? error.message : String(error)}`);
      return false;
    }
    if (result === null || result === undefined || result.textEdit === undefined) {
      return false;
    }
    // The user typed on, or moved to another editor, while the server thought:
    // the answer is for a document that is no longer there.
    if (document.version !== version || vscode.window.activeTextEditor !== editor) {
      return false;
    }
    if (!allowed(typed.ch, result.textEdit.newText, switches)) {
      return false;
    }
    // No undo stop before: one undo takes back the character and the insertion.
    // The server's text carries the indentation it wants, so it is kept as is.
    return editor.insertSnippet(snippetOf(result), toRange(result.textEdit.range), {
      undoStopBefore: false,
      undoStopAfter: true,
      keepWhitespace: true,
    });
  }
}
