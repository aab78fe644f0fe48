// The scenarios of the simulated unit and what they end in, read from the table the native
// and Windows tests read too (tests/shared/scenario_outcomes.def): rows as objects named by
// the table's own column names; text ids as numbers, a command by its name, none as null.
import {readFileSync} from 'node:fs';
import {catalogueText} from './catalogue.mjs';

const read = path => readFileSync(new URL(path, import.meta.url), 'utf8');
const table = read('../../shared/scenario_outcomes.def');
const messageIds = new Map([...read('../../../src/res/message_ids.h').matchAll(/constexpr std::uint16_t (k\w+) = (\d+);/g)]
    .map(([, name, id]) => [name, Number(id)]));

function value(cell) {
  const text = cell.trim();
  if (text.startsWith('"')) return JSON.parse(text);
  if (text === 'true' || text === 'false') return text === 'true';
  if (text === 'kNothingSent') return null;
  if (/^-?\d+$/.test(text)) return Number(text);
  const [, space, name] = /^(?:(\w+)::)?(\w+)$/.exec(text) ?? [];
  if (space === 'msg') {
    if (!messageIds.has(name)) throw new Error(`no text ${name} in message_ids.h`);
    return messageIds.get(name);
  }
  if (name === undefined) throw new Error(`cannot read ${text} in scenario_outcomes.def`);
  return name;
}

// The cells of a row: commas outside quotes part them.
const cells = args => args.match(/"(?:[^"\\]|\\.)*"|[^,]+/g);

function rows(macro) {
  const columns = new RegExp(String.raw`^#define ${macro}\(([^)]*)\)`, 'm').exec(table)[1].split(',').map(c => c.trim());
  return [...table.matchAll(new RegExp(String.raw`^${macro}\((.*)\)\s*$`, 'gm'))].map(([, args]) =>
    Object.fromEntries(cells(args).map((cell, at) => [columns[at], value(cell)])));
}

export const atStart = rows('AT_START');
export const afterUpdate = rows('AFTER_UPDATE');

export function rowOf(rows, scenario) {
  const row = rows.find(row => row.scenario === scenario);
  if (!row) throw new Error(`no row for ${scenario} in scenario_outcomes.def`);
  return row;
}

// A row's hint as the page shows it.
export function hintOf(row, language = 'en') {
  const hint = catalogueText(row.hint, language);
  return row.withInstructions ? `${hint}\n\n${catalogueText(messageIds.get('kInstructions'), language)}` : hint;
}
