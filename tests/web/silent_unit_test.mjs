// A unit that stops answering: its reply is waited for 30 s, then the update fails with the
// platform's timeout error, as on Windows.
import assert from 'node:assert/strict';
import {test} from 'node:test';
import {catalogueText} from './support/catalogue.mjs';
import {openUpdater} from './support/updater_page.mjs';
import {Answer, PageElement} from './support/page_contract.mjs';

const kFailedCaption = 40002;
const kReplyBoundMs = 30000;

test('a unit silent from the lock on fails the update after 30 s with ERROR_TIMEOUT', async () => {
  // Its fourth exchange from discovery on is the lock that begins an update.
  const updater = await openUpdater({scenario: 'silent-from:4'});
  try {
    await updater.click(PageElement.Update);
    await updater.box();
    const start = performance.now();
    await updater.answer(Answer.Ok);
    const box = await updater.box(2 * kReplyBoundMs);
    const waitedMs = performance.now() - start;
    assert.equal(box.caption, catalogueText(kFailedCaption));
    assert.match(box.text, /0x000005b4$/);
    assert.ok(waitedMs >= kReplyBoundMs, `${waitedMs} ms`);
  } finally {
    await updater.close();
  }
});
