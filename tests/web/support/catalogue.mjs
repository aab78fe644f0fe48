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

// The page's own texts (src/adapters/web/web_texts.def), each %s given the next argument.
const pageSource = readFileSync(new URL('../../../src/adapters/web/web_texts.def', import.meta.url), 'utf8');
const pageEntry = /^WEB_TEXT\((\w+),([\s\S]*?)\)\s*(?=^WEB_TEXT|(?![\s\S]))/gm;
const pageTexts = new Map();
for (const [, name, body] of pageSource.matchAll(pageEntry)) {
  const languages = [''];
  for (const [, part] of body.matchAll(new RegExp(literal + '|(,)', 'g'))) {
    if (part === undefined) languages.push('');
    else languages[languages.length - 1] += unescape(part);
  }
  pageTexts.set(name, {en: languages[0], de: languages[1]});
}

export function pageText(name, language = 'en', ...args) {
  const text = pageTexts.get(name);
  if (!text) throw new Error(`no text ${name} in the page's texts`);
  return text[language].replace(/%s/g, () => args.shift());
}
