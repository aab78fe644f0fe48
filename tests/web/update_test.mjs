// A whole update through the WebHID adapter at real pacing, in a visible tab.
import {test} from 'node:test';
import {openUpdater} from './support/updater_page.mjs';
import {expectImageWritten, expectPausesKept, updateWholeImage} from './support/whole_update.mjs';

test('a whole update writes the image, keeping every pause', async () => {
  const updater = await openUpdater();
  try {
    await updateWholeImage(updater);
    await expectImageWritten(updater);
    expectPausesKept(await updater.requests());
  } finally {
    await updater.close();
  }
});
