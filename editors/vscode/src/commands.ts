// The three commands: sync the active file's documentation (through the
// server), export an Office file's modules and build the documentation site
// (through tarnwick-doc).
import * as path from 'path';
import * as vscode from 'vscode';

import { errorLine, runTool } from './tools';

export const syncKind = 'source.syncDocumentation.tarnwick';

// What the sync command needs of the language client.
export interface SyncConnection {
  sendRequest<R>(method: string, params: unknown): Promise<R>;
  asWorkspaceEdit(edit: unknown): Promise<vscode.WorkspaceEdit | undefined>;
}

interface ProtocolCodeAction {
  title: string;
  kind?: string;
  edit?: unknown;
  command?: { command: string; arguments?: unknown[] };
}

function messageOf(error: unknown): string {
  return error instanceof Error ? error.message : String(error);
}

export async function syncDocumentation(connection: SyncConnection | undefined): Promise<void> {
  const editor = vscode.window.activeTextEditor;
  if (editor === undefined || editor.document.languageId !== 'vba') {
    void vscode.window.showInformationMessage('Tarnwick: open a VBA module to sync its documentation.');
    return;
  }
  if (connection === undefined) {
    void vscode.window.showErrorMessage('Tarnwick: the language server is not running; see the Tarnwick output.');
    return;
  }
  const document = editor.document;
  const version = document.version;
  const end = document.lineAt(document.lineCount - 1).range.end;
  try {
    const actions = await connection.sendRequest<(ProtocolCodeAction | { command: string })[] | null>(
      'textDocument/codeAction',
      {
        textDocument: { uri: document.uri.toString() },
        range: { start: { line: 0, character: 0 }, end: { line: end.line, character: end.character } },
        context: { diagnostics: [], only: [syncKind], triggerKind: 1 },
      },
    );
    let action = (actions ?? []).find(
      (candidate): candidate is ProtocolCodeAction => 'kind' in candidate && candidate.kind === syncKind,
    );
    if (action === undefined) {
      void vscode.window.showInformationMessage('Tarnwick: nothing to sync in this file.');
      return;
    }
    if (action.edit === undefined && action.command === undefined) {
      action = await connection.sendRequest<ProtocolCodeAction>('codeAction/resolve', action);
    }
    if (action.edit !== undefined) {
      // The edit is for the text the server was asked about; typed over since,
      // it would land in the wrong places.
      const edit = await connection.asWorkspaceEdit(action.edit);
      if (document.version !== version || (edit !== undefined && !(await vscode.workspace.applyEdit(edit)))) {
        void vscode.window.showErrorMessage(
          'Tarnwick: the file changed while its documentation was synced; run the command again.',
        );
        return;
      }
    }
    if (action.command !== undefined) {
      await connection.sendRequest('workspace/executeCommand', {
        command: action.command.command,
        arguments: action.command.arguments,
      });
    }
  } catch (error) {
    void vscode.window.showErrorMessage(`Tarnwick: the documentation could not be synced: ${messageOf(error)}`);
  }
}

export interface ToolContext {
  docProgram: string;
  output: vscode.OutputChannel;
}

// Runs tarnwick-doc with a progress notification; the output channel gets
// all it prints. A failed run gives the tool's error line, for the caller's
// notification to quote.
async function runDoc(
  context: ToolContext,
  title: string,
  args: string[],
  cwd?: string,
): Promise<{ ok: boolean; error: string }> {
  context.output.appendLine(`> ${[context.docProgram, ...args].join(' ')}`);
  try {
    const run = await vscode.window.withProgress(
      { location: vscode.ProgressLocation.Notification, title },
      () => runTool(context.docProgram, args, cwd),
    );
    if (run.stdout.length > 0) {
      context.output.append(run.stdout);
    }
    if (run.stderr.length > 0) {
      context.output.append(run.stderr);
    }
    if (run.code === 0) {
      return { ok: true, error: '' };
    }
    context.output.appendLine(`tarnwick-doc exited with code ${run.code}`);
    return { ok: false, error: errorLine(run) };
  } catch (error) {
    const message = `cannot run ${context.docProgram}: ${messageOf(error)}`;
    context.output.appendLine(message);
    return { ok: false, error: message };
  }
}

function folderOf(uri: vscode.Uri): vscode.Uri | undefined {
  return vscode.workspace.getWorkspaceFolder(uri)?.uri ?? vscode.workspace.workspaceFolders?.[0]?.uri;
}

export async function exportModules(context: ToolContext): Promise<void> {
  const files = await vscode.window.showOpenDialog({
    title: 'Tarnwick: the Office file whose modules to export',
    openLabel: 'Export Its Modules',
    canSelectMany: false,
    filters: {
      'Office files': ['xlsm', 'xlsb', 'xlam', 'xls', 'xla', 'docm', 'dotm', 'doc', 'dot', 'pptm', 'ppam', 'ppt', 'bin'],
      'All files': ['*'],
    },
  });
  const file = files?.[0];
  if (file === undefined) {
    return;
  }
  const folders = await vscode.window.showOpenDialog({
    title: 'Tarnwick: the folder for the module files',
    openLabel: 'Export Here',
    canSelectFiles: false,
    canSelectFolders: true,
    defaultUri: folderOf(file),
  });
  const folder = folders?.[0];
  if (folder === undefined) {
    return;
  }
  const name = path.basename(file.fsPath);
  const args = ['export', '--out', folder.fsPath, file.fsPath];
  let run = await runDoc(context, `Tarnwick: exporting the modules of ${name}…`, args);
  // The tool writes nothing when a module file exists, and says so; the
  // user may then choose to replace them.
  if (!run.ok && run.error.includes('--force')) {
    const replace = 'Replace Them';
    const answer = await vscode.window.showWarningMessage(`Tarnwick: ${run.error}`, replace);
    if (answer !== replace) {
      return;
    }
    run = await runDoc(context, `Tarnwick: exporting the modules of ${name}…`, [...args, '--force']);
  }
  if (!run.ok) {
    void vscode.window.showErrorMessage(`Tarnwick: the modules of ${name} were not exported: ${run.error}`);
    return;
  }
  void vscode.window.showInformationMessage(`Tarnwick: the modules of ${name} are in ${folder.fsPath}.`);
}

export async function buildSite(context: ToolContext): Promise<void> {
  const active = vscode.window.activeTextEditor?.document.uri;
  let source = active !== undefined ? vscode.workspace.getWorkspaceFolder(active) : undefined;
  if (source === undefined) {
    source = await vscode.window.showWorkspaceFolderPick({
      placeHolder: 'Tarnwick: the folder whose modules to document',
    });
  }
  if (source === undefined) {
    void vscode.window.showInformationMessage('Tarnwick: open the folder of your modules first.');
    return;
  }
  const outs = await vscode.window.showOpenDialog({
    title: 'Tarnwick: the folder for the site (mkdocs.yml and docs/)',
    openLabel: 'Build the Site Here',
    canSelectFiles: false,
    canSelectFolders: true,
    defaultUri: source.uri,
  });
  const out = outs?.[0];
  if (out === undefined) {
    return;
  }
  const args = ['markdown', '--project', source.name, '--out', out.fsPath];
  // An encoding the user chose is passed on; otherwise the tool's own
  // default, or the project's .tarnwick file, holds.
  const encoding = vscode.workspace.getConfiguration('tarnwick', source.uri).inspect<string>('encoding');
  const chosen = encoding?.workspaceFolderValue ?? encoding?.workspaceValue ?? encoding?.globalValue;
  if (chosen !== undefined) {
    args.push('--encoding', chosen);
  }
  args.push(source.uri.fsPath);
  const run = await runDoc(context, `Tarnwick: building the documentation site of ${source.name}…`, args);
  if (!run.ok) {
    void vscode.window.showErrorMessage(`Tarnwick: the documentation site was not built: ${run.error}`);
    return;
  }
  void vscode.window.showInformationMessage(`Tarnwick: the documentation site is in ${out.fsPath}.`);
}
