// One updater per browser profile: a second tab of the page opens and sends nothing while the
// first has the updater, says so, and takes over by itself once the first is closed.
import assert from 'node:assert/strict';
import {test} from 'node:test';
import {catalogueText, pageText} from './support/catalogue.mjs';
import {withUpdater} from './support/updater_page.mjs';
import {Answer, PageElement} from './support/page_contract.mjs';

const kReady = 40000;
const kNoUnit = 40017;
const kInstructions = 40001;
const kWriteBlock = 0x1B;
const kBlocksWatched = 300;
const kReadyRows = [['ROUNDEL', '2.3'], ['ESC-bootloader', '1.2'], ['ESC', '3.4']];

async function blocksWritten(updater) {
  return (await updater.requests()).filter(request => request.command === kWriteBlock).length;
}

// The waiting tab: the notice, no unit, no Connect, and nothing opened or sent by its worker.
async function expectWaiting(tab, language) {
  const state = await tab.state();
  assert.deepEqual(state.notices, {[PageElement.OtherTab]: pageText('OtherTab', language)});
  assert.equal(state.hint, `${catalogueText(kNoUnit, language)}\n\n${catalogueText(kInstructions, language)}`);
  assert.equal(state.connectEnabled, false);
  assert.equal(state.updateEnabled, false);
  assert.equal(await tab.inWorker('self.hidStandIn.opens()'), 0);
  assert.deepEqual(await tab.requests(), []);
}

async function expectTakenOver(tab, language) {
  await tab.untilEnabled(PageElement.Update);
  await tab.idle();
  const state = await tab.state();
  assert.deepEqual(state.notices, {});
  assert.equal(state.hint, catalogueText(kReady, language));
  assert.equal(state.connectEnabled, true);
}

test('a second tab sends nothing during the first\'s update and takes over when it is closed', () =>
  withUpdater({}, async first => {
    await first.click(PageElement.Update);
    await first.box();
    await first.answer(Answer.Ok);
    await first.untilShown(PageElement.KeepOpen);
    const second = await first.openTab();
    await expectWaiting(second, 'en');
    while (await blocksWritten(first) < kBlocksWatched) await new Promise(resolve => setTimeout(resolve, 200));
    await expectWaiting(second, 'en');
    await first.closeTab();
    await expectTakenOver(second, 'en');
    assert.deepEqual((await second.state()).rows, kReadyRows);
  }));

test('the simulated unit takes no lock; a German tab waits for the first and takes over', () =>
  withUpdater({language: 'de-DE'}, async first => {
    const simulated = await first.openTab({query: '?simulate=ready'});
    assert.deepEqual((await simulated.state()).notices, {});
    assert.equal((await simulated.state()).hint, catalogueText(kReady, 'de'));
    const second = await first.openTab();
    await expectWaiting(second, 'de');
    await first.closeTab();
    await expectTakenOver(second, 'de');
  }));
