// A whole update through the page at real pacing, and what the unit saw of it.
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';
import {Answer, PageElement} from './page_contract.mjs';

const kWriteBlock = 0x1B;
const kEraseFirmware = 0x1E;
const kCommandPauseMs = 20;
const kEraseWaitsMs = 1000 + 4000;  // the wait for the erase's reply, then its settling
const kUpdateTimeoutMs = 180000;

// Presses Update, confirms, and calls whileWriting once the writing has begun; resolves with
// the wall time from the confirmation to the end of the update.
export async function updateWholeImage(updater, whileWriting = async () => {}) {
  await updater.click(PageElement.Update);
  await updater.box();
  const start = performance.now();
  await updater.answer(Answer.Ok);
  await updater.untilShown(PageElement.KeepOpen);
  await whileWriting();
  await updater.page.waitForFunction(
      update => document.body.dataset.busy === '0' && document.getElementById(update).disabled,
      {polling: 'mutation', timeout: kUpdateTimeoutMs}, PageElement.Update);
  return performance.now() - start;
}

// The ESC's flash holds the test image, the rest erased; the panel shows its version.
export async function expectImageWritten(updater) {
  const image = readFileSync(process.env.SPINDRA_WEB_TEST_IMAGE);
  const flash = Buffer.from(await updater.inWorker('self.hidStandIn.flash()'), 'hex');
  assert.equal(flash.subarray(0, image.length).equals(image), true, 'the flash starts with the image');
  assert.equal(flash.subarray(image.length).every(byte => byte === 0xFF), true, 'the rest of the flash is erased');
  const state = await updater.state();
  assert.equal(state.rows[2][1], state.title.split(' ').pop());
  assert.equal(state.keepOpen, false);
}

// No request came sooner than the unit's pause after a block or its waits after the erase.
export function expectPausesKept(requests) {
  const blocks = requests.filter(request => request.command === kWriteBlock);
  assert.equal(blocks.length, Math.ceil(readFileSync(process.env.SPINDRA_WEB_TEST_IMAGE).length / 48));
  for (let i = 1; i < requests.length; ++i) {
    const previous = requests[i - 1];
    const gap = requests[i].time - previous.time;
    if (previous.command === kWriteBlock) assert.ok(gap >= kCommandPauseMs, `${gap} ms after block ${i}`);
    if (previous.command === kEraseFirmware) assert.ok(gap >= kEraseWaitsMs, `${gap} ms after the erase`);
  }
}
