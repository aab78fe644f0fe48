// A whole update through the page, reported and kept in the history: the report replays as it
// happened, the history shows the update, also once the page is opened again.
import assert from 'node:assert/strict';
import {createHash} from 'node:crypto';
import {readFileSync} from 'node:fs';
import {test} from 'node:test';
import {pageText} from './support/catalogue.mjs';
import {PageElement} from './support/page_contract.mjs';
import {openHistory, reportName, reportNotice, saveReportFromLine} from './support/report_line.mjs';
import {expectReplayed, reportLines} from './support/report_replay.mjs';
import {withUpdater} from './support/updater_page.mjs';
import {expectImageWritten, updateWholeImage} from './support/whole_update.mjs';

const kStoredHistory = `localStorage.getItem('spindra-updater-history')`;

test('Connect, then an update that succeeds: the report replays as it happened; the history keeps it', () =>
  withUpdater({granted: false}, async updater => {
    await updater.click(PageElement.Connect);
    await updater.untilEnabled(PageElement.Update);
    await updater.idle();
    await updateWholeImage(updater);
    await expectImageWritten(updater);
    assert.equal(await reportNotice(updater), '');

    const report = await saveReportFromLine(updater);
    assert.match(report.name, reportName('Updated'));
    const lines = reportLines(report.text);
    const events = lines.filter(line => line.op === 'event')
        .map(({event, button, box, answer}) => [event, button, box, answer].filter(Boolean).join(' '));
    assert.deepEqual(events, ['start', 'arrival', 'press update', 'answer ConfirmUpdate goOn']);
    assert.equal(expectReplayed(report, 0).update, 'succeeded');

    // As spindra-update keeps it: one JSON line an update, these values in this order.
    const stored = (await updater.page.evaluate(kStoredHistory)).trimEnd().split('\n').map(line => JSON.parse(line));
    const image = createHash('sha256').update(readFileSync(process.env.SPINDRA_WEB_TEST_IMAGE)).digest('hex');
    assert.deepEqual(stored.map(({time, ...entry}) => entry), [{unit: 'ROUNDEL', unitVersion: '2.3', escVersionBefore: '3.4',
                                                                 escVersionAfter: '3.5', imageSha256: image,
                                                                 outcome: 'Succeeded'}]);
    const time = stored[0].time.replace('T', ' ').replace('Z', ' UTC');
    const shown = {lines: [pageText('HistoryLine', 'en', time, 'ROUNDEL', '2.3', '3.4', '3.5', pageText('HistorySucceeded'))],
                   empty: null};
    assert.deepEqual(await openHistory(updater), shown);
    await updater.page.reload();
    await updater.page.waitForFunction(() => document.body.dataset.started === '1');
    assert.deepEqual(await openHistory(updater), shown, 'after a reload');
  }));
