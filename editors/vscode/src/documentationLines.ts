// A documentation line: its first characters past the indentation are three
// apostrophes.
export function isDocumentationLine(line: string): boolean {
  return /^[ \t]*'''/.test(line);
}
