// An update keeps its pace while its tab is hidden: the core's timers are the worker's, which
// the browser does not slow as it slows a hidden page's own (to about one a second).
import assert from 'node:assert/strict';
import {test} from 'node:test';
import {openUpdater} from './support/updater_page.mjs';
import {expectImageWritten, updateWholeImage} from './support/whole_update.mjs';

const kPausesMs = 45840;

test('an update in a hidden tab keeps its pace', async () => {
  const updater = await openUpdater();
  try {
    const wallMs = await updateWholeImage(updater, async () => {
      await (await updater.browser.newPage()).bringToFront();
      assert.equal(await updater.page.evaluate(() => document.visibilityState), 'hidden');
    });
    // Slowed to a hidden page's timers, the 2,038 blocks alone would take half an hour.
    assert.ok(wallMs < 2 * kPausesMs, `${wallMs} ms`);
    await expectImageWritten(updater);
  } finally {
    await updater.close();
  }
});
