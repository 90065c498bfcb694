// The platform packages: each holds the bundle, the grammars and its own
// platform's programs, and nothing else, and says which platform it is for.
//
// TARNWICK_VSIX names the folder with the .vsix files; their packed folders
// are in build/vsix/<target> (scripts/vscode.sh).
import * as assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import * as fs from 'node:fs';
import * as path from 'node:path';
import { describe, it } from 'node:test';
import * as zlib from 'node:zlib';

const extensionFolder = path.resolve(__dirname, '../../..');
const repository = path.resolve(extensionFolder, '../..');
const manifest = JSON.parse(fs.readFileSync(path.join(extensionFolder, 'package.json'), 'utf8')) as {
  version: string;
};
const vsixFolder = path.resolve(process.env.TARNWICK_VSIX ?? path.join(repository, 'build/vsix'));

interface ZipEntry {
  name: string;
  mode: number;
  data: () => Buffer;
}

// The entries of a zip file, read from its central directory.
function readZip(file: string): ZipEntry[] {
  const zip = fs.readFileSync(file);
  const end = zip.lastIndexOf(Buffer.from([0x50, 0x4b, 0x05, 0x06]));
  assert.ok(end >= 0, `${file} is a zip file`);
  const count = zip.readUInt16LE(end + 10);
  let at = zip.readUInt32LE(end + 16);
  const entries: ZipEntry[] = [];
  for (let i = 0; i < count; i++) {
    const method = zip.readUInt16LE(at + 10);
    const size = zip.readUInt32LE(at + 20);
    const nameLength = zip.readUInt16LE(at + 28);
    const extraLength = zip.readUInt16LE(at + 30);
    const commentLength = zip.readUInt16LE(at + 32);
    const external = zip.readUInt32LE(at + 38);
    const local = zip.readUInt32LE(at + 42);
    const name = zip.toString('utf8', at + 46, at + 46 + nameLength);
    entries.push({
      name,
      mode: external >>> 16,
      data: () => {
        const start = local + 30 + zip.readUInt16LE(local + 26) + zip.readUInt16LE(local + 28);
        const bytes = zip.subarray(start, start + size);
        return method === 8 ? zlib.inflateRawSync(bytes) : Buffer.from(bytes);
      },
    });
    at += 46 + nameLength + extraLength + commentLength;
  }
  return entries;
}

function isElfX8664(bytes: Buffer): boolean {
  // ELF magic, 64-bit class, machine EM_X86_64.
  return bytes.readUInt32BE(0) === 0x7f454c46 && bytes[4] === 2 && bytes.readUInt16LE(18) === 0x3e;
}

function isPeX64(bytes: Buffer): boolean {
  // MZ, then the PE header that e_lfanew points to, machine AMD64.
  if (bytes.toString('latin1', 0, 2) !== 'MZ') {
    return false;
  }
  const pe = bytes.readUInt32LE(0x3c);
  return bytes.readUInt32BE(pe) === 0x50450000 && bytes.readUInt16LE(pe + 4) === 0x8664;
}

const targets = [
  { target: 'linux-x64', suffix: '', isPlatformBinary: isElfX8664 },
  { target: 'win32-x64', suffix: '.exe', isPlatformBinary: isPeX64 },
];

for (const { target, suffix, isPlatformBinary } of targets) {
  describe(`the ${target} package`, () => {
    const vsix = path.join(vsixFolder, `Tarnwick-${manifest.version}-${target}.vsix`);
    const programs = [`bin/tarnwick-doc${suffix}`, `bin/tarnwick-lsp${suffix}`];
    const files = [
      'README.md',
      ...programs,
      'bin/rules.md',
      'dist/extension.js',
      'language-configuration.json',
      'package.json',
      'syntaxes/vba-documentation.tmLanguage.json',
      'syntaxes/vba.tmLanguage.json',
    ].sort();

    it('vsce ls lists exactly the bundle, the grammars and the platform programs', () => {
      const listed = execFileSync(
        path.join(extensionFolder, 'node_modules/.bin/vsce'),
        ['ls', '--no-dependencies'],
        { cwd: path.join(repository, 'build/vsix', target), encoding: 'utf8' },
      );
      assert.deepEqual(listed.split('\n').filter((line) => line.length > 0).sort(), files);
    });

    const entries = readZip(vsix);
    const entry = (name: string): ZipEntry => {
      const found = entries.find((candidate) => candidate.name === name);
      assert.ok(found, `${name} is in ${path.basename(vsix)}`);
      return found;
    };

    it('holds those files under extension/, with its manifest', () => {
      // vsce files the README as readme.md.
      const packed = files.map((file) => `extension/${file === 'README.md' ? 'readme.md' : file}`);
      const names = entries.map((candidate) => candidate.name).sort();
      assert.deepEqual(names, ['[Content_Types].xml', 'extension.vsixmanifest', ...packed].sort());
    });

    it(`declares the target ${target}`, () => {
      const declared = entry('extension.vsixmanifest').data().toString('utf8');
      assert.match(declared, new RegExp(`TargetPlatform="${target}"`));
      const packaged = JSON.parse(entry('extension/package.json').data().toString('utf8')) as {
        main: string;
        target: string;
      };
      assert.equal(packaged.target, target);
      assert.equal(packaged.main, './dist/extension.js');
    });

    it('carries programs of its platform, executable', () => {
      for (const program of programs) {
        const file = entry(`extension/${program}`);
        assert.ok(isPlatformBinary(file.data()), `${program} is a ${target} program`);
        if (suffix === '') {
          assert.equal(file.mode & 0o111, 0o111, `${program} can be run`);
        }
      }
    });
  });
}
