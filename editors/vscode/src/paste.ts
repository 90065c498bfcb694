// A paste in a VBA editor goes through here, so that auto-insert can tell it
// from typing: a pasted apostrophe looks like a typed one in the change event.
// The change events of the paste reach the extension before the command's
// promise settles, so they all see `pasting` true.
import * as vscode from 'vscode';

export class PasteGuard {
  private running = 0;

  get pasting(): boolean {
    return this.running > 0;
  }

  async paste(): Promise<void> {
    this.running++;
    try {
      await vscode.commands.executeCommand('editor.action.clipboardPasteAction');
    } finally {
      this.running--;
    }
  }
}
