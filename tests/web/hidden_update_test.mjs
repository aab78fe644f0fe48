// An update keeps its pace while its tab is hidden: the core's timers are the worker's, which
// the browser does not slow as it slows a hidden page's own (to about one a second). The tab's
// title tells how far it is meanwhile.
import assert from 'node:assert/strict';
import {test} from 'node:test';
import {openUpdater} from './support/updater_page.mjs';
import {expectImageWritten, updateWholeImage} from './support/whole_update.mjs';
import {PageElement} from './support/page_contract.mjs';

const kPausesMs = 45840;

const visibility = updater => updater.page.evaluate(() => document.visibilityState);

test('an update in a hidden tab keeps its pace, its progress in the tab\'s title', async () => {
  const updater = await openUpdater();
  try {
    // As the browser gives it, without the trailing space of the Windows program's caption.
    const windowTitle = await updater.page.$eval(`#${PageElement.Title}`, title => title.textContent.trim());
    const wallMs = await updateWholeImage(updater, async () => {
      await (await updater.browser.newPage()).bringToFront();
      assert.equal(await visibility(updater), 'hidden');
      await updater.page.waitForFunction((windowTitle, bar) => {
        const percent = document.getElementById(bar).value;
        return percent > 0 && document.title === `${percent} % – ${windowTitle}`;
      }, {polling: 'mutation', timeout: 60000}, windowTitle, PageElement.ProgressBar);
    });
    // Slowed to a hidden page's timers, the 2,038 blocks alone would take half an hour.
    assert.ok(wallMs < 2 * kPausesMs, `${wallMs} ms`);
    assert.equal(await visibility(updater), 'hidden');
    assert.equal(await updater.page.evaluate(() => document.title), windowTitle);
    await expectImageWritten(updater);
  } finally {
    await updater.close();
  }
});
