// A documentation line: its first characters past the indentation are three
// apostrophes.
export function isDocumentationLine(line: string): boolean {
  return /^[ \t]*'''/.test(line);
}

// The server offers the template as a completion item too, for clients
// without auto-insert. Here auto-insert has already put it in when the third
// apostrophe was typed, so the item would only insert it a second time.
export function withoutTemplateItem<Item extends { label: string | { label: string } }>(
  items: Item[],
  templateInserted: boolean,
): Item[] {
  if (!templateInserted) {
    return items;
  }
  return items.filter((item) => !(typeof item.label === 'string' ? item.label : item.label.label).startsWith("'''"));
}
