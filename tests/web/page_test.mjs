// The browser updater's page over the WebHID stand-in: what a user sees and what reaches the
// unit, short of a whole update.
import assert from 'node:assert/strict';
import {test} from 'node:test';
import {catalogueText} from './support/catalogue.mjs';
import {openUpdater} from './support/updater_page.mjs';

const kReady = 40000;
const kNoUnit = 40017;
const kInstructions = 40001;

test('a unit granted before is ready at start', async () => {
  const updater = await openUpdater();
  try {
    const state = await updater.state();
    assert.match(state.title, /^TELMARIX SPINDRA 60 LV FW Updater \d+\.\d+/);
    assert.deepEqual(state.rows, [['ROUNDEL', '2.3'], ['ESC-bootloader', '1.2'], ['ESC', '3.4']]);
    assert.equal(state.hint, catalogueText(kReady));
    assert.equal(state.updateEnabled, true);
    assert.equal(state.noWebHid, null);
  } finally {
    await updater.close();
  }
});
