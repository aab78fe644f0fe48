// The page's contract (src/adapters/web/page_contract.def) as the page's scripts read it from
// page_contract.js: the page's elements and the boxes' answers by name.
import {readFileSync} from 'node:fs';

const source = readFileSync(new URL('../../../src/adapters/web/page_contract.def', import.meta.url), 'utf8');

function rowsOf(kind) {
  const row = new RegExp(String.raw`^PAGE_${kind}\((\w+),\s*"([^"]*)"`, 'gm');
  return Object.freeze(Object.fromEntries([...source.matchAll(row)].map(([, name, value]) => [name, value])));
}

export const PageElement = rowsOf('ELEMENT');
export const Answer = rowsOf('ANSWER');
export const Message = rowsOf('MESSAGE');
