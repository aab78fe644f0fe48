// A whole update through the WebHID adapter at real pacing, in a visible tab, with what a user
// may do meanwhile: press Update again, press Escape at the progress window, try to leave.
import assert from 'node:assert/strict';
import {test} from 'node:test';
import {openUpdater} from './support/updater_page.mjs';
import {PageElement} from './support/page_contract.mjs';
import {expectImageWritten, expectPausesKept, updateWholeImage} from './support/whole_update.mjs';

const kSetSystemLock = 0x0B;
const kEraseFirmware = 0x1E;

// The page's screen wake lock requests and releases, as the page's window.wakeLocks.
function wakeLockStandIn() {
  self.wakeLocks = [];
  const wakeLock = {
    async request(type) {
      const sentinel = {type, released: false, async release() { sentinel.released = true; }};
      self.wakeLocks.push(sentinel);
      return sentinel;
    },
  };
  Object.defineProperty(Navigator.prototype, 'wakeLock', {get: () => wakeLock, configurable: true});
}

async function waitForRequest(updater, command) {
  while (!(await updater.requests()).some(request => request.command === command)) {
    await new Promise(resolve => setTimeout(resolve, 20));
  }
}

const progressIsOpen = async updater => (await updater.page.$('#progress[open]')) !== null;

// Leaving the page while the ESC is written asks first; the user stays.
async function expectLeavingAsked(updater) {
  const asked = new Promise(resolve => updater.page.once('dialog', async dialog => {
    await dialog.dismiss();
    resolve(dialog.type());
  }));
  const closed = new Promise(resolve => updater.page.once('close', () => resolve('closed without asking')));
  await updater.page.close({runBeforeUnload: true});
  assert.equal(await Promise.race([asked, closed]), 'beforeunload');
  assert.equal(updater.page.isClosed(), false);
}

test('a whole update writes the image whole, keeping every pause, whatever is pressed meanwhile', async () => {
  const updater = await openUpdater({pageScript: `(${wakeLockStandIn})();`});
  try {
    await updateWholeImage(updater, async () => {
      // Pressed before the progress window opens: dropped, never a second update afterwards.
      await waitForRequest(updater, kEraseFirmware);
      await updater.click(PageElement.Update);
      await updater.page.waitForSelector('#progress[open]', {timeout: 30000});
      for (let pressed = 1; pressed <= 3; ++pressed) {
        await updater.page.keyboard.press('Escape');
        assert.equal(await progressIsOpen(updater), true, `after ${pressed} Escapes`);
      }
      await expectLeavingAsked(updater);
      assert.deepEqual(await updater.page.evaluate(() => self.wakeLocks.map(lock => [lock.type, lock.released])),
                       [['screen', false]]);
    });
    await expectImageWritten(updater);
    const requests = await updater.requests();
    expectPausesKept(requests);
    const locks = requests.filter(request => request.command === kSetSystemLock && request.option === 1);
    assert.equal(locks.length, 1, 'one lock');
    const reportLength = await updater.inWorker('self.hidStandIn.reportLength()');
    assert.deepEqual(requests.filter(request => request.length !== reportLength), [], 'every report whole');
    assert.equal(await updater.page.$('#box[open]'), null);
    assert.deepEqual(await updater.page.evaluate(() => self.wakeLocks.map(lock => lock.released)), [true]);
  } finally {
    await updater.close();
  }
});
