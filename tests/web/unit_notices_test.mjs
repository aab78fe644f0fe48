// Getting to the unit through the browser: Connect, the chooser, a unit the browser may not
// open and a unit pulled out. Each says what to do in a notice of its own, beside the hint.
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';
import {test} from 'node:test';
import {catalogueText, pageText} from './support/catalogue.mjs';
import {withUpdater} from './support/updater_page.mjs';
import {PageElement} from './support/page_contract.mjs';

const kReady = 40000;
const kInstructions = 40001;
const kNoUnit = 40017;
const kConnectionLost = 40020;
const kVendorId = 0x21B8;
const kRuleFile = new URL('../../src/adapters/linux/70-spindra-update.rules', import.meta.url);
const kRuleName = '70-spindra-update.rules';

function noUnitHint(language = 'en') {
  return `${catalogueText(kNoUnit, language)}\n\n${catalogueText(kInstructions, language)}`;
}

async function untilNotice(updater, id) {
  await updater.page.waitForFunction(notice => document.getElementById(notice).textContent !== '',
                                     {polling: 'mutation'}, id);
  await updater.idle();
}

async function untilReady(updater) {
  await updater.untilEnabled(PageElement.Update);
  await updater.idle();
}

test('Connect is enabled only once the units\' filters are known', () =>
  withUpdater({granted: false, holdCore: true}, async updater => {
    // Before the core has started the buttons are not even shown; Connect is disabled besides.
    assert.equal(await updater.page.$eval(`#${PageElement.Connect}`, button => button.disabled), true);
    assert.equal(await updater.page.$eval(`#${PageElement.Connect}`, button => button.checkVisibility()), false);
    await updater.releaseCore();
    await updater.click(PageElement.Connect);
    await untilReady(updater);
    assert.deepEqual(await updater.choosers(),
                     [[{vendorId: kVendorId, productId: 1}, {vendorId: kVendorId, productId: 2}]]);
  }));

test('a first visit asks for Connect once; a chooser closed without a choice says what to check', async () => {
  const connect = pageText('Connect');
  const cases = [
    {platform: 'Linux', chooserClosed: `${pageText('ChooserClosed', 'en', connect)} ${pageText('ChooserClosedRule', 'en', kRuleName)}`},
    {platform: 'Windows', chooserClosed: pageText('ChooserClosed', 'en', connect)},
  ];
  for (const {platform, chooserClosed} of cases) {
    await withUpdater({granted: false, platform}, async updater => {
      const connectOnce = pageText('ConnectOnce', 'en', connect);
      assert.deepEqual((await updater.state()).notices, {[PageElement.ConnectOnce]: connectOnce}, platform);
      // The chooser lists no unit, and the user closes it.
      await updater.inWorker('self.hidStandIn.unplug()');
      await updater.click(PageElement.Connect);
      await untilNotice(updater, PageElement.ChooserClosed);
      let state = await updater.state();
      assert.deepEqual(state.notices,
                       {[PageElement.ConnectOnce]: connectOnce, [PageElement.ChooserClosed]: chooserClosed}, platform);
      assert.equal(state.hint, noUnitHint(), platform);
      await updater.inWorker('self.hidStandIn.plug()');
      await updater.click(PageElement.Connect);
      await untilReady(updater);
      state = await updater.state();
      assert.deepEqual(state.notices, {}, platform);
      assert.equal(state.hint, catalogueText(kReady), platform);
    });
  }
});

test('a unit the browser may not open is told with its likely cause, not as no unit alone', async () => {
  const rule = readFileSync(kRuleFile, 'utf8');
  const linux = language => pageText('OpenRefusedRule', language, kRuleName, kRuleName, rule);
  const cases = [
    {platform: 'Linux', language: 'en', granted: true, text: linux('en')},
    {platform: 'Linux', language: 'de', granted: false, text: linux('de')},
    {platform: 'Windows', language: 'en', granted: false, text: pageText('OpenRefused', 'en')},
    {platform: 'macOS', language: 'en', granted: true, text: pageText('OpenRefused', 'en')},
    {platform: 'Chrome OS', language: 'de', granted: true, text: pageText('OpenRefused', 'de')},
  ];
  for (const {platform, language, granted, text} of cases) {
    const name = `${platform}, ${language}, ${granted ? 'granted before' : 'just chosen'}`;
    await withUpdater({platform, language, granted, refuseOpen: true}, async updater => {
      if (!granted) await updater.click(PageElement.Connect);
      await untilNotice(updater, PageElement.OpenRefused);
      const state = await updater.state();
      assert.deepEqual(state.notices, {[PageElement.OpenRefused]: text}, name);
      assert.equal(state.hint, noUnitHint(language), name);
      assert.equal(await updater.inWorker('self.hidStandIn.opens()'), 1, name);
      assert.deepEqual(await updater.requests(), [], name);
    });
  }
});

test('the open unit pulled out says that Connect may be needed again; found again, that goes', () =>
  withUpdater({}, async updater => {
    await updater.inWorker('self.hidStandIn.unplug()');
    await untilNotice(updater, PageElement.UnitRemoved);
    let state = await updater.state();
    assert.deepEqual(state.notices, {[PageElement.UnitRemoved]: pageText('Removed', 'en', pageText('Connect'))});
    assert.equal(state.hint, `${catalogueText(kConnectionLost)}\n\n${catalogueText(kInstructions)}`);
    await updater.inWorker('self.hidStandIn.plug()');
    await untilReady(updater);
    state = await updater.state();
    assert.deepEqual(state.notices, {});
    assert.equal(state.hint, catalogueText(kReady));
  }));
