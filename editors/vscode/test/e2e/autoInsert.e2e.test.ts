// End to end: the shared keystroke tables typed into tarnwick-lsp as the
// editor types them. Each key is a change sent to the server; the client's own
// logic decides which changes ask tarnwick/autoInsert, and the answer is
// applied as the editor applies a snippet. The document and caret at the end
// are the add-in's `after`.
//
// TARNWICK_LSP names the server, TARNWICK_DUMP_CASES the program that prints
// the tables.
import * as assert from 'node:assert/strict';
import { ChildProcess, execFileSync, spawn } from 'node:child_process';
import * as fs from 'node:fs';
import * as os from 'node:os';
import * as path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { pathToFileURL } from 'node:url';
import * as rpc from 'vscode-jsonrpc/node';
import type * as vscode from 'vscode';

import { AutoInsertResult, typedCharacter } from '../../src/autoInsert';
import { expandSnippet } from '../snippet';
import * as standIn from '../standIn/vscode';

interface KeystrokeCase {
  name: string;
  before: string;
  keys: string;
  after: string;
}

const server = process.env.TARNWICK_LSP;
const dumpCases = process.env.TARNWICK_DUMP_CASES;
if (server === undefined || dumpCases === undefined) {
  throw new Error('TARNWICK_LSP and TARNWICK_DUMP_CASES name the server and tarnwick_dump_cases');
}

// The keys as the changes the editor makes: one per character (a character
// outside the BMP is one change), an input-method composition as one change
// of its text, Enter as a line break. Undefined when a key is not typing
// (Tab, clicks, selections: the editor's own snippet session and mouse).
function changesOf(keys: string): string[] | undefined {
  const changes: string[] = [];
  for (let at = 0; at < keys.length; ) {
    if (keys.startsWith('{{', at) || keys.startsWith('}}', at)) {
      changes.push(keys[at]);
      at += 2;
    } else if (keys.startsWith('{Enter}', at)) {
      changes.push('\n');
      at += '{Enter}'.length;
    } else if (keys.startsWith('{Ime ', at)) {
      const end = keys.indexOf('}', at);
      changes.push(keys.slice(at + '{Ime '.length, end));
      at = end + 1;
    } else if (keys[at] === '{') {
      return undefined;
    } else {
      const character = String.fromCodePoint(keys.codePointAt(at) ?? 0);
      changes.push(character);
      at += character.length;
    }
  }
  return changes;
}

function positionAt(text: string, offset: number): { line: number; character: number } {
  const lines = text.slice(0, offset).split('\n');
  return { line: lines.length - 1, character: lines[lines.length - 1].length };
}

function offsetAt(text: string, position: { line: number; character: number }): number {
  const lines = text.split('\n');
  let offset = 0;
  for (let i = 0; i < position.line; i++) {
    offset += lines[i].length + 1;
  }
  return offset + position.character;
}

// Where the add-in's Tab walk goes in a template: the summary's body, each
// empty tag's content in order, then the end of the block.
function tabWalkOf(template: string): { stops: number[]; end: number } {
  const stops: number[] = [];
  const summary = /<summary>\n[ \t]*''' /.exec(template);
  if (summary !== null) {
    stops.push(summary.index + summary[0].length);
  }
  for (const tag of template.matchAll(/<(\w+)[^>\n]*>(?=<\/\1>)/g)) {
    stops.push((tag.index ?? 0) + tag[0].length);
  }
  return { stops, end: template.lastIndexOf('>') + 1 };
}

// A server that stops answering fails the run within a minute, not at CTest's limit.
describe('typing the keystroke tables into tarnwick-lsp', { timeout: 60_000 }, () => {
  const cases = (JSON.parse(execFileSync(dumpCases, { encoding: 'utf8' })) as KeystrokeCase[]).filter(
    (keystrokeCase) => changesOf(keystrokeCase.keys) !== undefined,
  );
  const workspace = fs.mkdtempSync(path.join(os.tmpdir(), 'tarnwick-e2e-'));
  let child: ChildProcess;
  let connection: rpc.MessageConnection;
  let stderr = '';

  before(async () => {
    child = spawn(server, ['--stdio'], { stdio: ['pipe', 'pipe', 'pipe'] });
    child.stderr?.on('data', (chunk: Buffer) => (stderr += chunk.toString()));
    connection = rpc.createMessageConnection(
      new rpc.StreamMessageReader(child.stdout!),
      new rpc.StreamMessageWriter(child.stdin!),
    );
    // Progress, configuration and registrations are acknowledged and ignored.
    connection.onRequest(() => null);
    connection.listen();
    await connection.sendRequest('initialize', {
      processId: process.pid,
      rootUri: pathToFileURL(workspace).href,
      workspaceFolders: [{ uri: pathToFileURL(workspace).href, name: 'e2e' }],
      capabilities: { window: { workDoneProgress: true } },
      initializationOptions: { tarnwick: { encoding: 'windows-1252', missing: 'public', ignore: [], exclude: [], descriptions: false } },
    });
    await connection.sendNotification('initialized', {});
  });

  after(async () => {
    try {
      const late = new Promise((_, reject) => setTimeout(() => reject(new Error('no answer to shutdown')), 5000).unref());
      await Promise.race([connection.sendRequest('shutdown'), late]);
      await connection.sendNotification('exit');
    } finally {
      connection.dispose();
      setTimeout(() => child.kill(), 2000).unref();
      fs.rmSync(workspace, { recursive: true, force: true });
    }
  });

  cases.forEach((keystrokeCase, index) => {
    it(keystrokeCase.name, async () => {
      const uri = pathToFileURL(path.join(workspace, `Case${index}.bas`)).href;
      let text = keystrokeCase.before.replace('^', '');
      let caret = keystrokeCase.before.indexOf('^');
      let version = 1;
      await connection.sendNotification('textDocument/didOpen', {
        textDocument: { uri, languageId: 'vba', version, text },
      });
      const replace = async (start: number, end: number, inserted: string): Promise<void> => {
        const range = { start: positionAt(text, start), end: positionAt(text, end) };
        text = text.slice(0, start) + inserted + text.slice(end);
        await connection.sendNotification('textDocument/didChange', {
          textDocument: { uri, version: ++version },
          contentChanges: [{ range, text: inserted }],
        });
      };
      for (const typed of changesOf(keystrokeCase.keys) ?? []) {
        // Enter carries the line's indentation over, as the editor does.
        const line = text.slice(text.lastIndexOf('\n', caret - 1) + 1, caret);
        const inserted = typed === '\n' ? '\n' + /^[ \t]*/.exec(line)![0] : typed;
        const at = positionAt(text, caret);
        await replace(caret, caret, inserted);
        caret += inserted.length;
        const change = typedCharacter({
          document: new standIn.TextDocument(text),
          contentChanges: [{ range: new standIn.Range(at.line, at.character, at.line, at.character), text: inserted }],
          reason: undefined,
        } as unknown as vscode.TextDocumentChangeEvent);
        if (change === undefined) {
          continue;
        }
        const result = await connection.sendRequest<AutoInsertResult | null>('tarnwick/autoInsert', {
          textDocument: { uri },
          position: { line: change.position.line, character: change.position.character },
          ch: change.ch,
        });
        if (result === null) {
          continue;
        }
        assert.equal(result.textEditFormat, 2, 'the answer is a snippet');
        const start = offsetAt(text, result.textEdit.range.start);
        const end = offsetAt(text, result.textEdit.range.end);
        const snippet = expandSnippet(result.textEdit.newText);
        if (snippet.stops.some((stop) => stop.index === 1)) {
          const walk = tabWalkOf(snippet.text);
          const numbered = snippet.stops.filter((stop) => stop.index > 0).sort((a, b) => a.index - b.index);
          assert.deepEqual(numbered.map((stop) => stop.offset), walk.stops, `Tab walks the tags of ${JSON.stringify(snippet.text)}`);
          assert.deepEqual(snippet.stops.filter((stop) => stop.index === 0).map((stop) => stop.offset), [walk.end], 'the walk ends after the block');
        }
        await replace(start, end, snippet.text);
        caret = start + snippet.caret;
      }
      await connection.sendNotification('textDocument/didClose', { textDocument: { uri } });
      const shown = text.slice(0, caret) + '^' + text.slice(caret);
      assert.equal(shown, keystrokeCase.after, stderr);
    });
  });
});
