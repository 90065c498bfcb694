// Running tarnwick-doc, and the line a failure notification quotes.
import * as assert from 'node:assert/strict';
import { describe, it } from 'node:test';

import { bundledProgram, errorLine, runTool } from '../../src/tools';

describe('the error line of a failed run', () => {
  const cases: [string, string, number | null, string][] = [
    [
      "the file's error line, before the usage that follows",
      'Book.xlsm: error: not an Office file\nusage: tarnwick-doc export [--out DIR] PATH...\n',
      2,
      'Book.xlsm: error: not an Office file',
    ],
    ['the first of several errors', 'a.bas: warning: x\r\nb.xlsm: error: one\r\nc.xlsm: error: two\r\n', 2, 'b.xlsm: error: one'],
    ["the tool's own complaint", 'tarnwick-doc: no PATH given\nusage: tarnwick-doc ...\n', 2, 'tarnwick-doc: no PATH given'],
    ['else the last line printed', 'something\nwent wrong\n\n', 3, 'went wrong'],
    ['else the exit code', '', 4, 'tarnwick-doc exited with code 4'],
    ['else that it was stopped', '', null, 'tarnwick-doc was stopped'],
  ];
  for (const [name, stderr, code, expected] of cases) {
    it(name, () => assert.equal(errorLine({ code, stdout: '', stderr }), expected));
  }
});

describe('running a program', () => {
  it('gives its exit code and what it printed', async () => {
    const script = "process.stdout.write('out'); process.stderr.write('m.bas: error: bad\\n'); process.exit(2)";
    const run = await runTool(process.execPath, ['-e', script]);
    assert.deepEqual(run, { code: 2, stdout: 'out', stderr: 'm.bas: error: bad\n' });
  });

  it('rejects when the program cannot be started', async () => {
    await assert.rejects(runTool('/nonexistent/tarnwick-doc', ['--version']), /ENOENT/);
  });

  it("names the platform's program in the extension's bin folder", () => {
    assert.equal(bundledProgram('/ext', 'tarnwick-lsp', 'linux'), '/ext/bin/tarnwick-lsp');
    assert.match(bundledProgram('/ext', 'tarnwick-doc', 'win32'), /bin[\\/]tarnwick-doc\.exe$/);
  });
});
