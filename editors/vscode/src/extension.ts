// The extension: starts tarnwick-lsp for VBA documents, answers typing with
// the server's insertions, and registers the commands.
import * as fs from 'fs';
import * as path from 'path';
import * as vscode from 'vscode';
import {
  DidChangeConfigurationNotification,
  LanguageClient,
  LanguageClientOptions,
  ServerOptions,
  TransportKind,
} from 'vscode-languageclient/node';

import { AutoInsert, AutoInsertResult, autoInsertMethod } from './autoInsert';
import { buildSite, exportModules, SyncConnection, syncDocumentation } from './commands';
import { isDocumentationLine, withoutTemplateItem } from './documentationLines';
import { PasteGuard } from './paste';
import { configuredServerPath, serverKeys, serverSettings } from './settings';
import { bundledProgram } from './tools';

let client: LanguageClient | undefined;

// The program to run: the setting's (relative to the first workspace folder
// when it is not absolute), or the extension's own.
function serverProgram(extensionPath: string): string {
  const configured = configuredServerPath();
  if (configured.length === 0) {
    return bundledProgram(extensionPath, 'tarnwick-lsp');
  }
  const base = vscode.workspace.workspaceFolders?.[0]?.uri.fsPath ?? extensionPath;
  return path.resolve(base, configured);
}

// A package unpacked without its file modes leaves the bundled programs
// unable to run; they are made executable again.
function ensureExecutable(program: string): void {
  if (process.platform === 'win32') {
    return;
  }
  try {
    const mode = fs.statSync(program).mode;
    if ((mode & 0o111) === 0) {
      fs.chmodSync(program, mode | 0o755);
    }
  } catch {
    // Missing or not ours to change: starting it says why.
  }
}

function running(): LanguageClient | undefined {
  return client !== undefined && client.isRunning() ? client : undefined;
}

export async function activate(context: vscode.ExtensionContext): Promise<void> {
  const output = vscode.window.createOutputChannel('Tarnwick');
  const paste = new PasteGuard();
  const autoInsert = new AutoInsert({
    ask: async (params) => {
      const connection = running();
      return connection === undefined
        ? null
        : connection.sendRequest<AutoInsertResult | null>(autoInsertMethod, params);
    },
    pasting: () => paste.pasting,
    log: (message) => output.appendLine(message),
  });

  const start = async (): Promise<void> => {
    // Each package carries the programs of one platform, named in its manifest
    // (Windows on Arm runs the x64 ones).
    const target = (context.extension.packageJSON as { target?: string }).target;
    const platform = `${process.platform}-${process.arch}`;
    const [targetSystem, targetArch] = (target ?? platform).split('-');
    const runs = targetSystem === process.platform && (targetSystem === 'win32' || targetArch === process.arch);
    if (configuredServerPath().length === 0 && !runs) {
      void vscode.window.showErrorMessage(
        `Tarnwick: this package's programs are for ${target}; install the package for ${platform}.`,
      );
      return;
    }
    const program = serverProgram(context.extensionPath);
    ensureExecutable(program);
    if (!fs.existsSync(program)) {
      output.appendLine(`The language server ${program} does not exist.`);
      void vscode.window.showErrorMessage(
        `Tarnwick: the language server ${program} does not exist; check the setting tarnwick.server.path.`,
      );
      return;
    }
    // The client adds --stdio, and restarts the server when it dies (up to
    // four times in three minutes, then it says so and stops).
    const serverOptions: ServerOptions = { command: program, transport: TransportKind.stdio };
    const clientOptions: LanguageClientOptions = {
      documentSelector: [
        { scheme: 'file', language: 'vba' },
        { scheme: 'untitled', language: 'vba' },
      ],
      outputChannel: output,
      initializationOptions: serverSettings(),
      middleware: {
        // The change reaches the server before the question about it.
        didChange: async (event, next) => {
          const version = event.document.version;
          await next(event);
          void autoInsert.onDidChangeTextDocument(event, version);
        },
        // Our completions are the documentation's tags and names: asked for
        // only on ''' lines, so that they never crowd another VBA
        // extension's completions in code.
        provideCompletionItem: async (document, position, completionContext, token, next) => {
          if (!isDocumentationLine(document.lineAt(position.line).text)) {
            return undefined;
          }
          const answer = await next(document, position, completionContext, token);
          const templateOn = vscode.workspace
            .getConfiguration('tarnwick')
            .get<boolean>('autoInsert.template', true);
          if (answer === undefined || answer === null) {
            return answer;
          }
          return Array.isArray(answer)
            ? withoutTemplateItem(answer, templateOn)
            : { ...answer, items: withoutTemplateItem(answer.items, templateOn) };
        },
        // Typing is answered by auto-insert; formatting on type as well would
        // insert the same text twice.
        provideOnTypeFormattingEdits: () => undefined,
      },
    };
    client = new LanguageClient('tarnwick', 'Tarnwick', serverOptions, clientOptions);
    try {
      await client.start();
    } catch (error) {
      output.appendLine(`The language server did not start: ${error instanceof Error ? error.message : String(error)}`);
    }
  };

  const stop = async (): Promise<void> => {
    const previous = client;
    client = undefined;
    if (previous !== undefined) {
      await previous.dispose().catch(() => undefined);
    }
  };

  const syncConnection = (): SyncConnection | undefined => {
    const connection = running();
    if (connection === undefined) {
      return undefined;
    }
    return {
      sendRequest: (method, params) => connection.sendRequest(method, params),
      asWorkspaceEdit: (edit) =>
        connection.protocol2CodeConverter.asWorkspaceEdit(
          edit as Parameters<typeof connection.protocol2CodeConverter.asWorkspaceEdit>[0],
        ),
    };
  };
  const toolContext = () => {
    const docProgram = bundledProgram(context.extensionPath, 'tarnwick-doc');
    ensureExecutable(docProgram);
    return { docProgram, output };
  };

  context.subscriptions.push(
    output,
    vscode.commands.registerCommand('tarnwick.paste', () => paste.paste()),
    vscode.commands.registerCommand('tarnwick.syncDocumentation', () => syncDocumentation(syncConnection())),
    vscode.commands.registerCommand('tarnwick.exportModules', () => exportModules(toolContext())),
    vscode.commands.registerCommand('tarnwick.buildSite', () => buildSite(toolContext())),
    vscode.workspace.onDidChangeConfiguration(async (event) => {
      if (event.affectsConfiguration('tarnwick.server.path')) {
        await stop();
        await start();
      } else if (serverKeys.some((key) => event.affectsConfiguration(key))) {
        await running()?.sendNotification(DidChangeConfigurationNotification.type, {
          settings: serverSettings(),
        });
      }
    }),
    { dispose: () => void stop() },
  );
  await start();
}

export async function deactivate(): Promise<void> {
  const previous = client;
  client = undefined;
  await previous?.stop();
}
