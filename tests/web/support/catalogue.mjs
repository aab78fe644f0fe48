// The program's texts, read from its own catalogue (src/res/messages.def), as the page shows
// them: line breaks as LF.
import {readFileSync} from 'node:fs';

const source = readFileSync(new URL('../../../src/res/messages.def', import.meta.url), 'utf8');
const literal = String.raw`"((?:[^"\\]|\\.)*)"`;
const entry = new RegExp(String.raw`MESSAGE\((\d+),\s*` + literal + String.raw`\s*,\s*` + literal + String.raw`\)`, 'g');

function unescape(text) {
  return text.replace(/\\(.)/g, (escape, letter) => ({r: '\r', n: '\n', t: '\t'})[letter] ?? letter);
}

const texts = new Map();
for (const [, id, english, german] of source.matchAll(entry)) {
  texts.set(Number(id), {en: unescape(english), de: unescape(german)});
}

export function catalogueText(id, language = 'en') {
  const text = texts.get(id);
  if (!text) throw new Error(`no text ${id} in the catalogue`);
  return text[language].replace(/\r\n/g, '\n');
}
