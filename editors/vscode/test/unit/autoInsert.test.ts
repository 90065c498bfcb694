// Which changes ask the server, and how its answer is applied.
import * as assert from 'node:assert/strict';
import { beforeEach, describe, it } from 'node:test';
import * as vscode from 'vscode';

import { AutoInsert, AutoInsertParams, AutoInsertResult } from '../../src/autoInsert';
import * as standIn from '../standIn/vscode';

interface Typing {
  // The document before, with '^' at the caret.
  before: string;
  // The change's text, typed at the caret.
  text: string;
  reason?: number;
  languageId?: string;
  changes?: number;
  cursors?: number;
  inactive?: boolean;
  switches?: Partial<Record<'template' | 'continuation' | 'closingTag', boolean>>;
  pasting?: boolean;
}

interface Session {
  asked: AutoInsertParams[];
  logged: string[];
  editor: standIn.TextEditor;
  autoInsert: AutoInsert;
  event: vscode.TextDocumentChangeEvent;
}

// Types `text` at the caret of `before` as the editor would, and makes the
// change event it sends, with a server that answers `answer`.
function type(typing: Typing, answer: (params: AutoInsertParams) => Promise<AutoInsertResult | null> = async () => null): Session {
  const caret = typing.before.indexOf('^');
  const document = new standIn.TextDocument(
    typing.before.replace('^', typing.text),
    typing.languageId ?? 'vba',
  );
  const lines = typing.before.slice(0, caret).split('\n');
  const at = new standIn.Position(lines.length - 1, lines[lines.length - 1].length);
  const change = { range: new standIn.Range(at, at), rangeOffset: caret, rangeLength: 0, text: typing.text };
  const editor = new standIn.TextEditor(document);
  editor.selections = Array.from({ length: typing.cursors ?? 1 }, () => new standIn.Selection(0, 0, 0, 0));
  standIn.window.activeTextEditor = typing.inactive ? new standIn.TextEditor(new standIn.TextDocument('')) : editor;
  standIn.settings.clear();
  for (const [key, value] of Object.entries(typing.switches ?? {})) {
    standIn.settings.set(`tarnwick.autoInsert.${key}`, value);
  }
  const asked: AutoInsertParams[] = [];
  const logged: string[] = [];
  const autoInsert = new AutoInsert({
    ask: (params) => {
      asked.push(params);
      return answer(params);
    },
    pasting: () => typing.pasting ?? false,
    log: (message) => logged.push(message),
  });
  const event = {
    document,
    contentChanges: Array.from({ length: typing.changes ?? 1 }, () => change),
    reason: typing.reason,
  } as unknown as vscode.TextDocumentChangeEvent;
  return { asked, logged, editor, autoInsert, event };
}

describe('which changes ask the server', () => {
  const asks: [string, Typing, Omit<AutoInsertParams, 'textDocument'>][] = [
    ['an apostrophe', { before: "''^\nSub Init()", text: "'" }, { position: { line: 0, character: 3 }, ch: "'" }],
    ['a greater-than sign', { before: "''' <c^", text: '>' }, { position: { line: 0, character: 7 }, ch: '>' }],
    ['Enter, with the indentation it carries', { before: "    ''' One^", text: '\n    ' }, { position: { line: 1, character: 4 }, ch: '\n' }],
    ['Enter in a CR LF document', { before: "''' One^", text: '\r\n' }, { position: { line: 1, character: 0 }, ch: '\n' }],
    ['Enter with only the template switched on', { before: "'''^Sub A()", text: '\n', switches: { continuation: false } }, { position: { line: 1, character: 0 }, ch: '\n' }],
  ];
  for (const [name, typing, expected] of asks) {
    it(`asks for ${name}`, async () => {
      const session = type(typing);
      await session.autoInsert.onDidChangeTextDocument(session.event);
      assert.deepEqual(session.asked, [{ textDocument: { uri: 'file:///work/Module1.bas' }, ...expected }]);
    });
  }

  const silent: [string, Typing][] = [
    ['an undo', { before: "''^", text: "'", reason: standIn.TextDocumentChangeReason.Undo }],
    ['a redo', { before: "''' <c^", text: '>', reason: standIn.TextDocumentChangeReason.Redo }],
    ['a paste', { before: "''^", text: "'", pasting: true }],
    ['a multi-cursor edit (several changes)', { before: "''^", text: "'", changes: 2 }],
    ['a multi-cursor edit (several carets)', { before: "''' <c^", text: '>', cursors: 2 }],
    ['several characters at once', { before: '^', text: "'''" }],
    ['another character', { before: "''' <c^", text: 'x' }],
    ['a line break with text after it', { before: "''' One^", text: '\nx' }],
    ['a document of another language', { before: "''^", text: "'", languageId: 'plaintext' }],
    ['a change outside the editor in front', { before: "''^", text: "'", inactive: true }],
    ['an apostrophe with the template switched off', { before: "''^", text: "'", switches: { template: false } }],
    ['a greater-than sign with closing tags switched off', { before: "''' <c^", text: '>', switches: { closingTag: false } }],
    ['Enter with template and continuation switched off', { before: "''' a^", text: '\n', switches: { template: false, continuation: false } }],
  ];
  for (const [name, typing] of silent) {
    it(`does not ask for ${name}`, async () => {
      const session = type(typing);
      assert.equal(await session.autoInsert.onDidChangeTextDocument(session.event), false);
      assert.deepEqual(session.asked, []);
    });
  }
});

describe('applying the answer', () => {
  beforeEach(() => standIn.settings.clear());

  const answer = (newText: string, range: [number, number, number, number], textEditFormat = 2) => async () => ({
    textEdit: {
      range: { start: { line: range[0], character: range[1] }, end: { line: range[2], character: range[3] } },
      newText,
    },
    textEditFormat,
  });

  it('replaces the range with the snippet, in the undo step of the character typed', async () => {
    const template = "''' <summary>\n''' ${1}\n''' </summary>\n''' <remarks>${2}</remarks>$0";
    const session = type({ before: "''^\nSub Init()", text: "'" }, answer(template, [0, 0, 0, 3]));
    assert.equal(await session.autoInsert.onDidChangeTextDocument(session.event), true);
    assert.deepEqual(session.editor.snippets.map((call) => call.options), [
      { undoStopBefore: false, undoStopAfter: true, keepWhitespace: true },
    ]);
    assert.equal(session.editor.document.text, "''' <summary>\n''' \n''' </summary>\n''' <remarks></remarks>\nSub Init()");
    assert.equal(session.editor.caret, "''' <summary>\n''' ".length);
  });

  it('inserts a plain-text answer literally', async () => {
    const session = type({ before: "''' <c^", text: '>' }, answer('</c> costs $1 {x}\\', [0, 7, 0, 7], 1));
    await session.autoInsert.onDidChangeTextDocument(session.event);
    assert.equal(session.editor.document.text, "''' <c></c> costs $1 {x}\\");
  });

  it('applies nothing when the server has nothing to do', async () => {
    const session = type({ before: "''' <c^", text: '>' });
    assert.equal(await session.autoInsert.onDidChangeTextDocument(session.event), false);
    assert.deepEqual(session.editor.snippets, []);
  });

  it('drops an answer to a document that changed while the server thought', async () => {
    let session: Session | undefined;
    session = type({ before: "''' <c^", text: '>' }, async () => {
      session?.editor.document.replace(new standIn.Range(0, 0, 0, 0), 'x');
      return answer('$0</c>', [0, 7, 0, 7])();
    });
    assert.equal(await session.autoInsert.onDidChangeTextDocument(session.event), false);
    assert.deepEqual(session.editor.snippets, []);
  });

  it('does not ask about a change another one already followed', async () => {
    const session = type({ before: "''' <c^", text: '>' }, answer('$0</c>', [0, 7, 0, 7]));
    const version = session.editor.document.version;
    session.editor.document.replace(new standIn.Range(0, 7, 0, 7), 'x');
    assert.equal(await session.autoInsert.onDidChangeTextDocument(session.event, version), false);
    assert.deepEqual(session.asked, []);
  });

  it('logs a failed request and applies nothing', async () => {
    const session = type({ before: "''' <c^", text: '>' }, async () => {
      throw new Error('Request tarnwick/autoInsert failed with message: boom');
    });
    assert.equal(await session.autoInsert.onDidChangeTextDocument(session.event), false);
    assert.match(session.logged.join('\n'), /boom/);
    assert.deepEqual(session.editor.snippets, []);
  });

  it('keeps to the switches on Enter: a template applies, a continuation does not', async () => {
    const switches = { continuation: false };
    const template = type({ before: "'''^Sub A()", text: '\n', switches }, answer("''' <summary>\n''' ${1}\n''' </summary>$0\n", [0, 0, 1, 0]));
    assert.equal(await template.autoInsert.onDidChangeTextDocument(template.event), true);
    const continuation = type({ before: "''' a^", text: '\n', switches }, answer("''' $0", [1, 0, 1, 0]));
    assert.equal(await continuation.autoInsert.onDidChangeTextDocument(continuation.event), false);
    assert.deepEqual(continuation.editor.snippets, []);
  });
});
