// A paste in a VBA editor goes through here, so that auto-insert can tell it
// from typing: a pasted apostrophe looks like a typed one in the change event.
// The paste's edit may reach the extension a little after the command
// settles (paste providers run first), so the guard stays up a moment longer.
import * as vscode from 'vscode';

const settleMs = 500;

export class PasteGuard {
  private running = 0;
  private quietUntil = 0;

  get pasting(): boolean {
    return this.running > 0 || Date.now() < this.quietUntil;
  }

  async paste(): Promise<void> {
    this.running++;
    try {
      await vscode.commands.executeCommand('editor.action.clipboardPasteAction');
    } finally {
      this.running--;
      this.quietUntil = Date.now() + settleMs;
    }
  }
}
