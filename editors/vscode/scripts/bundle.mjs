// The extension as one file, dist/extension.js: its code and the language
// client, with `vscode` left to the editor.
import { build } from 'esbuild';

await build({
  entryPoints: ['src/extension.ts'],
  bundle: true,
  outfile: 'dist/extension.js',
  external: ['vscode'],
  format: 'cjs',
  platform: 'node',
  target: 'node20',
  minify: true,
  sourcemap: false,
  logLevel: 'warning',
});
