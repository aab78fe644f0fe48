// The report a user saves from the page, and what it holds: the run with the browser, every
// exchange with the browser's own words for a failure, the session's events and the outcome.
// Replayed by spindra-update, it must make the same calls and end the same way.
import assert from 'node:assert/strict';
import {createHash} from 'node:crypto';
import {readFileSync} from 'node:fs';
import {test} from 'node:test';
import {catalogueText, pageText} from './support/catalogue.mjs';
import {Answer, PageElement} from './support/page_contract.mjs';
import {openHistory, reportLine, reportName, reportNotice, saveReportFromLine,
        saveReportFromNotice} from './support/report_line.mjs';
import {codeLine, expectReplayed, reportLines} from './support/report_replay.mjs';
import {afterUpdate, atStart, rowOf} from './support/scenario_outcomes.mjs';
import {withUpdater} from './support/updater_page.mjs';

const kConfirmCaption = 40037;
const kFailedCaption = 40002;
const kDeviceNotConnected = 1167;
const kAccessDenied = 5;
const failingAtBlock = rowOf(afterUpdate, 'fail-at:WriteBlock:100');
const refused = rowOf(afterUpdate, 'short-reports');
const noUnit = rowOf(atStart, 'no-unit');
const ready = rowOf(atStart, 'ready');

// A storage that is full: every entry it is given is refused.
const kStorageFull = `Storage.prototype.setItem = function () {
  throw new DOMException('The quota has been exceeded.', 'QuotaExceededError');
};`;

async function pressUpdateAndConfirm(updater) {
  await updater.click(PageElement.Update);
  assert.equal((await updater.box()).caption, catalogueText(kConfirmCaption));
  await updater.answer(Answer.Ok);
}

// The failure's box answered: the box it was, once the core has handled its answer.
async function answerFailure(updater) {
  const box = await updater.box(90000);
  assert.equal(box.caption, catalogueText(kFailedCaption));
  await updater.answer(Answer.Ok);
  await updater.idle();
  return box;
}

function noticeWithLink(language = 'en') {
  return `${pageText('ReportNotice', language)} ${pageText('SaveReport', language)}`;
}

// The run a report begins with: the page, its firmware and language, the browser and the
// system as the browser names them, the time in UTC; nothing else.
async function expectRun(updater, report, language) {
  const [begin] = reportLines(report.text);
  const version = (await updater.state()).title.split(' ').pop();
  const image = createHash('sha256').update(readFileSync(process.env.SPINDRA_WEB_TEST_IMAGE)).digest('hex');
  const browserVersion = (await updater.browser.version()).split('/').pop();
  assert.deepEqual({...begin.run, started: '', platform: {...begin.run.platform, os: ''}}, {
    frontEnd: 'spindra-updater-web', frontEndVersion: version, imageVersion: version, imageSha256: image, language,
    platform: {os: '', browser: 'Chromium', browserVersion}, started: '',
  });
  assert.match(begin.run.platform.os, /^Linux/);
  assert.match(begin.run.started, /^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$/);
}

test('a failed update offers its report in a notice; saved, it replays to the same failure', () =>
  withUpdater({webHid: false, query: `?simulate=${failingAtBlock.scenario}`}, async updater => {
    assert.equal(await reportNotice(updater), '');
    await pressUpdateAndConfirm(updater);
    const box = await answerFailure(updater);
    assert.equal(await reportNotice(updater), noticeWithLink());
    const report = await saveReportFromNotice(updater);
    assert.match(report.name, reportName(failingAtBlock.step));
    await expectRun(updater, report, 'en');
    const {ms, ...outcome} = reportLines(report.text).at(-1);
    assert.deepEqual(outcome, {op: 'outcome', readiness: 'Ready', outcome: 'BlockTransferFailed', step: failingAtBlock.step,
                               code: failingAtBlock.result, systemError: failingAtBlock.systemError});
    assert.ok(ms > 0);
    assert.ok(box.text.endsWith(codeLine(outcome)), box.text);
    const replayed = expectReplayed(report, failingAtBlock.exitCode);
    assert.equal(replayed.step, failingAtBlock.step);
    assert.ok(replayed.failure.endsWith(codeLine(outcome)), replayed.failure);
    // The simulated unit is no ESC: its updates stay out of the history.
    assert.deepEqual(await openHistory(updater), {lines: [], empty: pageText('HistoryEmpty')});
  }));

test('a unit pulled out at block 700: the report, with the browser\'s words, replays to the same failure; ' +
     'a full storage costs the history\'s entry alone', () =>
  withUpdater({pageScript: kStorageFull}, async updater => {
    // The write is refused, then the removal told: the browser says why in its exception.
    await updater.inWorker('self.hidStandIn.unplugAtBlock(700, true)');
    await pressUpdateAndConfirm(updater);
    const box = await answerFailure(updater);
    assert.equal(await reportNotice(updater), noticeWithLink());
    const report = await saveReportFromNotice(updater);
    assert.match(report.name, reportName('BlockTransfer'));
    const lines = reportLines(report.text);
    const failed = lines.filter(line => line.op === 'write' && !line.ok);
    assert.deepEqual(failed.map(({error, platform}) => ({error, platform})),
                     [{error: kDeviceNotConnected, platform: 'NotAllowedError: Failed to write the report.'}]);
    assert.equal(lines.filter(line => line.op === 'write' && line.data.startsWith('011b')).length, 700);
    const outcome = lines.at(-1);
    assert.equal(outcome.step, 'BlockTransfer');
    assert.equal(outcome.systemError, kDeviceNotConnected);
    assert.ok(box.text.endsWith(codeLine(outcome)), box.text);
    const replayed = expectReplayed(report, failingAtBlock.exitCode);
    assert.ok(replayed.failure.endsWith(codeLine(outcome)), replayed.failure);
    assert.deepEqual(await openHistory(updater), {lines: [], empty: pageText('HistoryEmpty')});
  }));

test('the Report line in English and German; a refusal offers the report too', async () => {
  for (const language of ['en', 'de']) {
    await withUpdater({scenario: refused.scenario, language}, async updater => {
      assert.deepEqual(await reportLine(updater),
                       ['ReportCaption', 'SaveReport', 'HistoryCaption'].map(name => pageText(name, language)), language);
      await updater.click(PageElement.Update);
      await updater.box();
      await updater.answer(Answer.Ok);
      await updater.idle();
      assert.equal(await reportNotice(updater), noticeWithLink(language), language);
      const report = await saveReportFromNotice(updater);
      assert.match(report.name, reportName(refused.step), language);
      await expectRun(updater, report, language);
      assert.equal(expectReplayed(report, refused.exitCode).step, refused.step, language);
      // Refused, the update reached no unit: the history keeps nothing.
      assert.deepEqual(await openHistory(updater), {lines: [], empty: pageText('HistoryEmpty', language)}, language);
    });
  }
});

test('a unit the browser may not open: the report from the Report line names the browser\'s words', () =>
  withUpdater({refuseOpen: true}, async updater => {
    const report = await saveReportFromLine(updater);
    assert.match(report.name, reportName(noUnit.readiness));
    const opens = reportLines(report.text).filter(line => line.op === 'open');
    assert.deepEqual(opens.map(({handle, error, platform}) => ({handle, error, platform})),
                     [{handle: -1, error: kAccessDenied, platform: 'NotAllowedError: Failed to open the device.'}]);
    expectReplayed(report, noUnit.exitCode);
  }));

test('a tab that takes the updater over from another keeps one report from its own start', () =>
  withUpdater({}, async first => {
    const second = await first.openTab();
    await first.closeTab();
    await second.untilEnabled(PageElement.Update);
    await second.idle();
    const report = await saveReportFromLine(second);
    assert.match(report.name, reportName(ready.readiness));
    const lines = reportLines(report.text);
    assert.equal(lines.filter(line => line.op === 'begin').length, 1);
    assert.deepEqual(lines.filter(line => line.op === 'event').map(line => line.event), ['start', 'start']);
    expectReplayed(report, ready.exitCode);
  }));
