// Loaded with `node --require` before the tests: `require('vscode')` gives
// the stand-in.
import Module = require('module');
import * as standIn from './vscode';

type Load = (request: string, parent: unknown, isMain: boolean) => unknown;
const moduleWithLoad = Module as unknown as { _load: Load };
const load = moduleWithLoad._load;
moduleWithLoad._load = function (request: string, parent: unknown, isMain: boolean): unknown {
  return request === 'vscode' ? standIn : load.call(this, request, parent, isMain);
};
