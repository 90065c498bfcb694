// The programs that come with the extension, and running tarnwick-doc.
import { spawn } from 'child_process';
import * as path from 'path';

export function programName(name: string, platform: NodeJS.Platform = process.platform): string {
  return platform === 'win32' ? `${name}.exe` : name;
}

// The extension's own copy of a program: bin/ in the extension's folder.
export function bundledProgram(
  extensionPath: string,
  name: string,
  platform: NodeJS.Platform = process.platform,
): string {
  return path.join(extensionPath, 'bin', programName(name, platform));
}

export interface ToolRun {
  code: number | null;
  stdout: string;
  stderr: string;
}

// What a program prints is kept up to this many characters per stream; a
// message quotes one line, and the output channel gets the rest.
const keptOutput = 1 << 20;

// Runs a program to its end. Rejects only when it cannot be started.
export function runTool(program: string, args: readonly string[], cwd?: string): Promise<ToolRun> {
  return new Promise((resolve, reject) => {
    const child = spawn(program, args, { cwd, windowsHide: true, stdio: ['ignore', 'pipe', 'pipe'] });
    let stdout = '';
    let stderr = '';
    child.stdout.setEncoding('utf8');
    child.stderr.setEncoding('utf8');
    child.stdout.on('data', (chunk: string) => {
      if (stdout.length < keptOutput) {
        stdout += chunk;
      }
    });
    child.stderr.on('data', (chunk: string) => {
      if (stderr.length < keptOutput) {
        stderr += chunk;
      }
    });
    child.on('error', reject);
    child.on('close', (code) => resolve({ code, stdout, stderr }));
  });
}

// The line of a failed run that says what went wrong, in the tool's own
// words: its first "FILE: error: ..." line, else its first "tarnwick-doc: ..."
// line, else the last line it printed.
export function errorLine(run: ToolRun, toolName = 'tarnwick-doc'): string {
  const lines = run.stderr
    .split(/\r?\n/)
    .map((line) => line.trimEnd())
    .filter((line) => line.length > 0);
  const error = lines.find((line) => /: error: /.test(line));
  if (error !== undefined) {
    return error;
  }
  const own = lines.find((line) => line.startsWith(`${toolName}: `));
  if (own !== undefined) {
    return own;
  }
  if (lines.length > 0) {
    return lines[lines.length - 1];
  }
  return run.code === null ? `${toolName} was stopped` : `${toolName} exited with code ${run.code}`;
}
