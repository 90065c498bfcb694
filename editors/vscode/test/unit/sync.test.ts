// The sync command: what it asks the server, and when it applies the answer.
import * as assert from 'node:assert/strict';
import { beforeEach, describe, it } from 'node:test';

import { SyncConnection, syncDocumentation, syncKind } from '../../src/commands';
import * as standIn from '../standIn/vscode';

const syncEdit = { changes: { 'file:///work/Module1.bas': [] } };

function server(answer: unknown[], whileAsked: () => void = () => undefined) {
  const requests: { method: string; params: unknown }[] = [];
  const connection: SyncConnection = {
    sendRequest: async <R>(method: string, params: unknown) => {
      requests.push({ method, params });
      whileAsked();
      return answer as R;
    },
    asWorkspaceEdit: async (edit) => edit as never,
  };
  return { requests, connection };
}

describe('syncing the documentation of the active file', () => {
  let document: standIn.TextDocument;
  beforeEach(() => {
    document = new standIn.TextDocument("''' <summary>\n''' </summary>\nSub A(x)");
    standIn.window.activeTextEditor = new standIn.TextEditor(document);
    standIn.appliedEdits.length = 0;
    standIn.messages.length = 0;
  });

  it("asks for the sync action over the whole file and applies its edit", async () => {
    const { requests, connection } = server([{ title: 'Sync documentation in this file', kind: syncKind, edit: syncEdit }]);
    await syncDocumentation(connection);
    assert.deepEqual(requests, [
      {
        method: 'textDocument/codeAction',
        params: {
          textDocument: { uri: 'file:///work/Module1.bas' },
          range: { start: { line: 0, character: 0 }, end: { line: 2, character: 8 } },
          context: { diagnostics: [], only: [syncKind], triggerKind: 1 },
        },
      },
    ]);
    assert.deepEqual(standIn.appliedEdits, [syncEdit]);
  });

  it('applies nothing to a file typed over while the server worked, and says so', async () => {
    const { connection } = server([{ title: 'Sync', kind: syncKind, edit: syncEdit }], () =>
      document.replace(new standIn.Range(2, 0, 2, 0), 'x'),
    );
    await syncDocumentation(connection);
    assert.deepEqual(standIn.appliedEdits, []);
    assert.match(standIn.messages.join('\n'), /changed while/);
  });

  it('says when there is nothing to sync, ignoring other actions', async () => {
    const { connection } = server([{ title: 'Fix', kind: 'quickfix', edit: syncEdit }]);
    await syncDocumentation(connection);
    assert.deepEqual(standIn.appliedEdits, []);
    assert.deepEqual(standIn.messages, ['Tarnwick: nothing to sync in this file.']);
  });
});
