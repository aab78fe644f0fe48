// The browser updater's page over the WebHID stand-in (the simulated unit behind navigator.hid
// in the worker): what a user sees and what reaches the unit, short of a whole update.
import assert from 'node:assert/strict';
import {createHash} from 'node:crypto';
import {cp, mkdtemp, readFile, rm, writeFile} from 'node:fs/promises';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {test} from 'node:test';
import {catalogueText} from './support/catalogue.mjs';
import {testSite, withUpdater} from './support/updater_page.mjs';
import {Answer, Message, PageElement} from './support/page_contract.mjs';
import {afterUpdate, atStart, hintOf, rowOf} from './support/scenario_outcomes.mjs';

const kReady = 40000;
const kFailedCaption = 40002;
const kNoUnit = 40017;
const kUpdateFailedHint = 40030;
const kConfirmCaption = 40037;
const kSystemLockFailed = 40026;
const kImageDamaged = 40044;
const kWriteBlock = 0x1B;
const kReadyRows = [['ROUNDEL', '2.3'], ['ESC-bootloader', '1.2'], ['ESC', '3.4']];

// Update pressed and the question before it answered: the box that follows, if any.
async function pressUpdateAndConfirm(updater) {
  await updater.click(PageElement.Update);
  const question = await updater.box();
  assert.equal(question.caption, catalogueText(kConfirmCaption));
  await updater.answer(Answer.Ok);
}

test('a unit granted before is ready at start', () => withUpdater({}, async updater => {
  const ready = rowOf(atStart, 'ready');
  const state = await updater.state();
  assert.match(state.title, /^TELMARIX SPINDRA 60 LV FW Updater \d+\.\d+/);
  assert.equal(state.lang, 'en');
  assert.deepEqual(state.rows, kReadyRows);
  assert.deepEqual(state.greyed, []);
  assert.equal(state.hint, hintOf(ready));
  assert.equal(state.updateEnabled, ready.updateEnabled);
  assert.equal(state.noWebHid, null);
}));

test('with no unit granted the page asks for one, and Connect makes it ready', () =>
  withUpdater({granted: false}, async updater => {
    const noUnit = rowOf(atStart, 'no-unit');
    let state = await updater.state();
    assert.equal(state.hint, hintOf(noUnit));
    assert.deepEqual(state.rows.map(([, version]) => version), ['0.0.0', '0.0.0', noUnit.escVersion]);
    assert.equal(state.greyed.length, 6);
    assert.equal(state.updateEnabled, noUnit.updateEnabled);
    assert.equal(state.connectEnabled, true);
    await updater.click(PageElement.Connect);
    await updater.untilEnabled(PageElement.Update);
    await updater.idle();
    state = await updater.state();
    assert.deepEqual(state.rows, kReadyRows);
    assert.equal(state.hint, catalogueText(kReady));
  }));

test('Close gives the unit up and shows no unit; the unit plugged in again is ready', () =>
  withUpdater({}, async updater => {
    await updater.click(PageElement.Close);
    await updater.untilDisabled(PageElement.Update);
    await updater.idle();
    assert.equal((await updater.state()).hint.startsWith(catalogueText(kNoUnit)), true);
    await updater.inWorker('self.hidStandIn.unplug(), self.hidStandIn.plug()');
    await updater.untilEnabled(PageElement.Update);
    assert.deepEqual((await updater.state()).rows, kReadyRows);
  }));

test('Cancel at the question sends nothing to the unit', () => withUpdater({}, async updater => {
  const before = (await updater.requests()).length;
  await updater.click(PageElement.Update);
  const question = await updater.box();
  assert.deepEqual(question.buttons, [[Answer.Ok, 'OK'], [Answer.Cancel, 'Cancel']]);
  await updater.answer(Answer.Cancel);
  await updater.idle();
  assert.equal((await updater.requests()).length, before);
  assert.equal((await updater.state()).updateEnabled, true);
}));

const boxIsOpen = async updater => (await updater.page.$(`#${PageElement.Box}[open]`)) !== null;

async function pressEscape(page, times) {
  for (let i = 0; i < times; ++i) await page.keyboard.press('Escape');
}

// Escapes come without a user's activation in between, after which Chromium would close a modal
// dialog whose cancel the page prevented; a browser without closedby="none" closes it itself.
const kWaysToDismiss = [
  {name: 'two Escapes', dismiss: page => pressEscape(page, 2)},
  {name: 'three Escapes', dismiss: page => pressEscape(page, 3)},
  {name: 'a close by the browser', dismiss: page => page.$eval('#box', box => box.close())},
];

// As the Windows message box: Escape answers Cancel, or OK where that is the only button; a
// Yes/No question waits for a button. No box closes without an answer.
test('Escape cancels the question, closes a box with OK alone and leaves Yes or No to a button', async () => {
  await withUpdater({escVersion: '0x0305'}, async updater => {
    const before = (await updater.requests()).length;
    for (const {name, dismiss} of kWaysToDismiss) {
      await updater.click(PageElement.Update);
      await updater.box();
      await dismiss(updater.page);
      await updater.idle(5000);
      assert.equal(await boxIsOpen(updater), false, `OK and Cancel, ${name}`);
      assert.equal((await updater.requests()).length, before, `OK and Cancel, ${name}`);
      await pressUpdateAndConfirm(updater);
      const question = await updater.box();
      assert.deepEqual(question.buttons, [[Answer.Yes, 'Yes'], [Answer.No, 'No']]);
      await dismiss(updater.page);
      await new Promise(resolve => setTimeout(resolve, 500));
      assert.deepEqual(await updater.box(1000), question, `Yes and No, ${name}`);
      await updater.answer(Answer.No);
      await updater.idle();
      assert.equal((await updater.requests()).length, before, name);
      assert.equal((await updater.state()).updateEnabled, true, name);
    }
  });
  for (const {name, dismiss} of kWaysToDismiss) {
    await withUpdater({scenario: 'short-reports'}, async updater => {
      await updater.click(PageElement.Update);
      await updater.box();
      await dismiss(updater.page);
      await updater.idle(5000);
      assert.equal(await boxIsOpen(updater), false, `OK alone, ${name}`);
    });
  }
});

// A copy of the test page with one bit of its image flipped inside the wasm.
async function damagedSite() {
  const folder = await mkdtemp(join(tmpdir(), 'damaged-page-'));
  await cp(testSite, folder, {recursive: true});
  const image = await readFile(process.env.SPINDRA_WEB_TEST_IMAGE);
  const wasm = await readFile(join(folder, 'updater.wasm'));
  const at = wasm.indexOf(image.subarray(0, 64));
  assert.notEqual(at, -1, 'the image is in the wasm');
  wasm[at + 1000] ^= 0x01;
  await writeFile(join(folder, 'updater.wasm'), wasm);
  return folder;
}

test('what cannot be written is refused at Update, before any question and with nothing sent', async () => {
  const damaged = await damagedSite();
  const shortReports = rowOf(afterUpdate, 'short-reports');
  const cases = [
    {name: 'output reports shorter than a block', options: {scenario: shortReports.scenario},
     text: shortReports.boxText},
    {name: 'a damaged image', options: {site: damaged}, text: kImageDamaged},
  ];
  try {
    for (const {name, options, text} of cases) {
      await withUpdater(options, async updater => {
        const before = (await updater.requests()).length;
        await updater.click(PageElement.Update);
        const box = await updater.box();
        assert.ok(box.text.startsWith(catalogueText(text)), name);
        assert.deepEqual(box.buttons.map(([button]) => button), [Answer.Ok], name);
        await updater.answer(Answer.Ok);
        await updater.idle();
        assert.equal((await updater.requests()).length, before, name);
        assert.equal((await updater.state()).updateEnabled, false, name);
      });
    }
  } finally {
    await rm(damaged, {recursive: true});
  }
});

test('German browsers get the German texts', () => withUpdater({language: 'de-DE'}, async updater => {
  const state = await updater.state();
  assert.equal(state.lang, 'de');
  assert.equal(state.hint, catalogueText(kReady, 'de'));
  assert.deepEqual(state.rows.map(([label]) => label), ['ROUNDEL', 'Regler-Bootloader', 'Regler']);
  assert.equal(await updater.page.$eval(`#${PageElement.Close}`, button => button.textContent), 'Beenden');
  await updater.click(PageElement.Update);
  const question = await updater.box();
  assert.equal(question.caption, catalogueText(kConfirmCaption, 'de'));
  assert.deepEqual(question.buttons, [[Answer.Ok, 'OK'], [Answer.Cancel, 'Abbrechen']]);
  await updater.answer(Answer.Cancel);
}));

test('a unit pulled out mid-transfer ends in the failure box with its code line', async () => {
  const cases = [
    {name: 'its reply never comes', refusedBeforeRemoval: false},
    {name: 'the write is refused before the removal is told', refusedBeforeRemoval: true},
  ];
  for (const {name, refusedBeforeRemoval} of cases) {
    await withUpdater({}, async updater => {
      await updater.inWorker(`self.hidStandIn.unplugAtBlock(40, ${refusedBeforeRemoval})`);
      await pressUpdateAndConfirm(updater);
      const box = await updater.box(60000);
      assert.equal(box.caption, catalogueText(kFailedCaption), name);
      assert.match(box.text, /0x0000048f$/, name);
      const blocks = (await updater.requests()).filter(request => request.command === kWriteBlock);
      assert.equal(blocks.length, 40, name);
      await updater.answer(Answer.Ok);
      await updater.idle();
      const state = await updater.state();
      assert.equal(state.updateEnabled, false, name);
      assert.equal(state.keepOpen, false, name);
      assert.equal(state.hint, catalogueText(kUpdateFailedHint), name);
      // The removal was handled while the box was open: the unit is given up.
      assert.deepEqual(state.rows.map(([, version]) => version), ['0.0.0', '0.0.0', '0.0.0'], name);
    });
  }
});

// The removal is handled as the question is answered, so the update finds no unit open: it fails
// at the system lock with no transfer to tell of, and so no code line.
test('a unit pulled out during the question fails the update at the system lock, sending nothing', () =>
  withUpdater({}, async updater => {
    const before = (await updater.requests()).length;
    await updater.click(PageElement.Update);
    await updater.box();
    await updater.inWorker('self.hidStandIn.unplug()');
    await updater.answer(Answer.Ok);
    const box = await updater.box();
    assert.equal(box.caption, catalogueText(kFailedCaption));
    assert.equal(box.text, catalogueText(kSystemLockFailed));
    await updater.answer(Answer.Ok);
    await updater.idle();
    assert.equal((await updater.requests()).length, before);
    assert.deepEqual((await updater.state()).rows.map(([, version]) => version), ['0.0.0', '0.0.0', '0.0.0']);
  }));

test('a browser without WebHID says so and which browsers work', () =>
  withUpdater({webHid: false}, async updater => {
    const state = await updater.state();
    assert.match(state.noWebHid, /Chrome, Microsoft Edge or Opera/);
    assert.equal(state.connectEnabled, false);
    assert.equal(state.hint, hintOf(rowOf(atStart, 'no-unit')));
  }));

test('the simulated unit runs without WebHID, on demand', () =>
  withUpdater({webHid: false, query: '?simulate=ready&esc-version=0x0305'}, async updater => {
    const state = await updater.state();
    assert.equal(state.noWebHid, null);
    assert.deepEqual(state.rows, [['ROUNDEL', '2.3'], ['ESC-bootloader', '1.2'], ['ESC', '3.5']]);
    assert.equal(await updater.page.$eval(`#${PageElement.Simulated}`, notice => notice.hidden), false);
  }));

// Each in a tab of its own in one browser: the simulated unit takes no lock.
test('each scenario of the simulated unit starts as the other front ends start it', () =>
  withUpdater({webHid: false, started: false}, async browser => {
    for (const row of atStart) {
      const updater = await browser.openTab({webHid: false, query: `?simulate=${row.scenario}`, started: false});
      if (row.boxText) {
        const box = await updater.box();
        assert.equal(box.caption, catalogueText(row.boxCaption), row.scenario);
        assert.equal(box.text, catalogueText(row.boxText).replace('%s', 'SPINDRA 60 LV'), row.scenario);
        await updater.answer(Answer.Ok);
      }
      await updater.idle();
      const state = await updater.state();
      assert.equal(state.hint, hintOf(row), row.scenario);
      assert.equal(state.updateEnabled, row.updateEnabled, row.scenario);
      assert.equal(state.rows[2][1], row.escVersion, row.scenario);
    }
  }));

async function sha256Of(file) {
  return createHash('sha256').update(await readFile(file)).digest('hex');
}

test('the details line names the firmware the page carries by its version and SHA-256', async () => {
  const testImage = await sha256Of(process.env.SPINDRA_WEB_TEST_IMAGE);
  const siteImage = await sha256Of(process.env.SPINDRA_WEB_SITE_IMAGE);
  const cases = [
    {name: 'the test page', options: {}, text: version => `Firmware ${version} carried by this page, SHA-256 ${testImage}`},
    {name: 'the test page in German', options: {language: 'de-DE'},
     text: version => `Von dieser Seite mitgebrachte Firmware ${version}, SHA-256 ${testImage}`},
    {name: 'the page the build makes', options: {site: process.env.SPINDRA_WEB_SITE},
     text: version => process.env.SPINDRA_WEB_SITE_PLACEHOLDER === '1'
         ? `This page carries no firmware, only a placeholder for the simulated unit (SHA-256 ${siteImage}).`
         : `Firmware ${version} carried by this page, SHA-256 ${siteImage}`},
  ];
  for (const {name, options, text} of cases) {
    await withUpdater(options, async updater => {
      const state = await updater.state();
      assert.equal(state.imageDetails, text(state.title.split(' ').pop()), name);
    });
  }
});

// The page and its worker take only the messages of their contract; any other is a fault of
// the sender, told in the console and otherwise ignored.
test('a message the page or its worker does not take is an error in the console and changes nothing', () =>
  withUpdater({webHid: false, query: '?simulate=ready'}, async updater => {
    // The page's console shows its worker's too.
    const errors = [];
    updater.page.on('console', message => { if (message.type() === 'error') errors.push(message.text()); });
    const before = await updater.state();
    await updater.inWorker(`self.postMessage({type: 'no-such-message', number: 50})`);
    await updater.page.evaluate(
        device => worker.postMessage({type: device, arrived: false, path: 'simulated'}), Message.Device);
    for (let waitedMs = 0; errors.length < 2 && waitedMs < 5000; waitedMs += 50) {
      await new Promise(resolve => setTimeout(resolve, 50));
    }
    await updater.idle();
    assert.deepEqual(errors.map(text => text.split(':')[0]).sort(), ['The updater\'s page got a message it does not know',
                                                                    'The updater\'s worker got a message it does not know']);
    assert.deepEqual(await updater.state(), before);
  }));
