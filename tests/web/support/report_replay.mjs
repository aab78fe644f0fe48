// A report the page saved, read back and replayed as a user's report is: by the host's
// spindra-update (SPINDRA_REPLAY_PROGRAM), with --json.
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';

export function reportLines(text) {
  return text.trimEnd().split('\n').map(line => JSON.parse(line));
}

// The code line of a failure as the boxes, the history and spindra-update show it.
export function codeLine({code, systemError}) {
  const hex = number => `0x${(number >>> 0).toString(16).padStart(8, '0')}`;
  return `${hex(code)}-${hex(systemError)}`;
}

// Replays the saved report: it must make the report's calls and end as its outcome line says
// (neither 41 nor 42). Resolves with spindra-update's JSON of the outcome.
export function expectReplayed(report, exitCode) {
  const run = spawnSync(process.env.SPINDRA_REPLAY_PROGRAM, ['--replay', report.path, '--json'], {encoding: 'utf8'});
  if (run.error) throw run.error;
  assert.equal(run.status, exitCode, `${report.name} replayed: ${run.stderr}`);
  assert.doesNotMatch(run.stderr, /Warning/, 'the replay carries the image the page carried');
  return JSON.parse(run.stdout);
}
