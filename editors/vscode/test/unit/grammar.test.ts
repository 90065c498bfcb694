// The grammars, tokenised as VS Code does (vscode-textmate with Oniguruma):
// the ''' lines' tags and attributes get C#'s documentation scopes, over the
// extension's own VBA grammar and over another one named source.vba.
import * as assert from 'node:assert/strict';
import * as fs from 'node:fs';
import * as path from 'node:path';
import { before, describe, it } from 'node:test';
import * as oniguruma from 'vscode-oniguruma';
import * as textmate from 'vscode-textmate';

const syntaxes = path.resolve(__dirname, '../../../syntaxes');
const injection = 'comment.documentation.tarnwick.injection';

// Another extension's VBA grammar: nothing but comments and strings.
const otherGrammar = JSON.stringify({
  scopeName: 'source.vba',
  patterns: [
    { name: 'comment.line.other', match: "'.*$" },
    { name: 'string.quoted.other', match: '"[^"]*"' },
  ],
});

async function grammarWith(host: 'own' | 'other'): Promise<textmate.IGrammar> {
  const registry = new textmate.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (text) => new oniguruma.OnigString(text),
    }),
    loadGrammar: async (scopeName) => {
      if (scopeName === 'source.vba') {
        return host === 'own'
          ? textmate.parseRawGrammar(fs.readFileSync(path.join(syntaxes, 'vba.tmLanguage.json'), 'utf8'), 'vba.json')
          : textmate.parseRawGrammar(otherGrammar, 'other.json');
      }
      if (scopeName === injection) {
        const file = path.join(syntaxes, 'vba-documentation.tmLanguage.json');
        return textmate.parseRawGrammar(fs.readFileSync(file, 'utf8'), file);
      }
      return null;
    },
    getInjections: (scopeName) => (scopeName === 'source.vba' ? [injection] : undefined),
  });
  const grammar = await registry.loadGrammar('source.vba');
  assert.ok(grammar);
  return grammar;
}

// Each token's text with its innermost scope, leaving out the root scope.
function tokens(grammar: textmate.IGrammar, line: string): [string, string][] {
  const result = grammar.tokenizeLine(line, textmate.INITIAL);
  return result.tokens
    .map((token): [string, string] => [line.slice(token.startIndex, token.endIndex), token.scopes[token.scopes.length - 1]])
    .filter(([text]) => text.trim().length > 0);
}

const documentationLine = "    ''' <param name=\"a\">The first &amp; only.</param>";
const documentationTokens: [string, string][] = [
  ["'''", 'punctuation.definition.comment.vba'],
  ['<', 'punctuation.definition.tag.vba'],
  ['param', 'entity.name.tag.localname.vba'],
  ['name', 'entity.other.attribute-name.localname.vba'],
  ['=', 'punctuation.separator.equals.vba'],
  ['"', 'punctuation.definition.string.begin.vba'],
  ['a', 'string.quoted.double.vba'],
  ['"', 'punctuation.definition.string.end.vba'],
  ['>', 'punctuation.definition.tag.vba'],
  ['The first ', 'comment.block.documentation.vba'],
  ['&', 'punctuation.definition.constant.vba'],
  ['amp', 'constant.character.entity.vba'],
  [';', 'punctuation.definition.constant.vba'],
  [' only.', 'comment.block.documentation.vba'],
  ['</', 'punctuation.definition.tag.vba'],
  ['param', 'entity.name.tag.localname.vba'],
  ['>', 'punctuation.definition.tag.vba'],
];

before(async () => {
  const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
});

for (const host of ['own', 'other'] as const) {
  describe(`''' lines over ${host === 'own' ? "the extension's" : "another extension's"} VBA grammar`, () => {
    it('colour tags, attributes and entities as C# documentation comments', async () => {
      assert.deepEqual(tokens(await grammarWith(host), documentationLine), documentationTokens);
    });

    it("leave a comment that is not at the line's start, and four apostrophes, alone", async () => {
      const grammar = await grammarWith(host);
      for (const line of ["x = 1 ''' <b>not documentation</b>", "'''' <b>four</b>"]) {
        const scopes = grammar.tokenizeLine(line, textmate.INITIAL).tokens.flatMap((token) => token.scopes);
        assert.ok(!scopes.some((scope) => scope.startsWith('entity.name.tag')), line);
      }
    });
  });
}

describe("the extension's VBA grammar", () => {
  it('names declarations and keeps apostrophes inside strings', async () => {
    const grammar = await grammarWith('own');
    assert.deepEqual(tokens(grammar, 'Public Function Add(ByVal a As Long) As Long').slice(0, 3), [
      ['Public', 'storage.modifier.vba'],
      ['Function', 'storage.type.vba'],
      ['Add', 'entity.name.function.vba'],
    ]);
    assert.deepEqual(tokens(grammar, 's = "it\'s" \' note').slice(-3), [
      ['"', 'punctuation.definition.string.end.vba'],
      ["'", 'punctuation.definition.comment.vba'],
      [' note', 'comment.line.apostrophe.vba'],
    ]);
  });
});
