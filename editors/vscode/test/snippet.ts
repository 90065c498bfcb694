// Applies a snippet as the editor does, for the tests: the text it inserts,
// and where the caret lands (the first tab stop, else $0, else the end).
export interface ExpandedSnippet {
  text: string;
  stops: { index: number; offset: number }[];
  caret: number;
}

export function expandSnippet(snippet: string): ExpandedSnippet {
  let text = '';
  const stops: { index: number; offset: number }[] = [];
  let at = 0;
  const parse = (inPlaceholder: boolean): void => {
    while (at < snippet.length) {
      const c = snippet[at];
      if (c === '\\' && at + 1 < snippet.length && '$}\\'.includes(snippet[at + 1])) {
        text += snippet[at + 1];
        at += 2;
      } else if (c === '}' && inPlaceholder) {
        return;
      } else if (c === '$') {
        const plain = /^\$(\d+)/.exec(snippet.slice(at));
        const braced = /^\$\{(\d+)(:|\})/.exec(snippet.slice(at));
        if (plain !== null) {
          stops.push({ index: Number(plain[1]), offset: text.length });
          at += plain[0].length;
        } else if (braced !== null) {
          stops.push({ index: Number(braced[1]), offset: text.length });
          at += braced[0].length;
          if (braced[2] === ':') {
            parse(true);
            if (snippet[at] !== '}') {
              throw new Error(`unterminated placeholder in ${JSON.stringify(snippet)}`);
            }
            at += 1;
          }
        } else if (/^\$[{A-Za-z_]/.test(snippet.slice(at))) {
          throw new Error(`a variable or choice in ${JSON.stringify(snippet)}`);
        } else {
          text += c;
          at += 1;
        }
      } else {
        text += c;
        at += 1;
      }
    }
  };
  parse(false);
  const numbered = stops.filter((stop) => stop.index > 0).sort((a, b) => a.index - b.index);
  const final = stops.find((stop) => stop.index === 0);
  const caret = numbered.length > 0 ? numbered[0].offset : final !== undefined ? final.offset : text.length;
  return { text, stops, caret };
}
