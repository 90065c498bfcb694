// The settings the server takes: the keys of the .tarnwick file, under
// "tarnwick", sent at start (initializationOptions) and on every change.
import * as vscode from 'vscode';

export interface ServerSettings {
  encoding: string;
  missing: string;
  ignore: string[];
  exclude: string[];
  descriptions: boolean;
}

export function serverSettings(): { tarnwick: ServerSettings } {
  const section = vscode.workspace.getConfiguration('tarnwick');
  return {
    tarnwick: {
      encoding: section.get<string>('encoding', 'windows-1252'),
      missing: section.get<string>('missing', 'public'),
      ignore: section.get<string[]>('ignore', []),
      exclude: section.get<string[]>('exclude', []),
      descriptions: section.get<boolean>('descriptions', false),
    },
  };
}

// The server the user named, or the empty string for the bundled one.
export function configuredServerPath(): string {
  return vscode.workspace.getConfiguration('tarnwick').get<string>('server.path', '').trim();
}

export const serverKeys = ['encoding', 'missing', 'ignore', 'exclude', 'descriptions'].map(
  (key) => `tarnwick.${key}`,
);
