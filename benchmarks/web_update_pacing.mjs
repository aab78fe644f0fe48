// How close a whole update in the browser comes to the sum of its pauses: the page with its
// simulated unit in headless Chromium, in a visible tab and in a hidden one, timed from the
// confirmation's OK to the end of the update, as the Windows benchmark times its program.
//   node benchmarks/web_update_pacing.mjs <site folder> <floor of the pauses in ms>
import {launchChromium} from '../scripts/headless_chromium.mjs';
import {servePage} from '../scripts/serve_page.mjs';

const [site, floorArgument] = process.argv.slice(2);
const floorMs = Number(floorArgument);
const kUpdateTimeoutMs = 180000;

// Hidden: another tab in front, with the browser's throttling of background tabs left on.
async function timeUpdate(browser, port, hidden) {
  const page = await browser.newPage();
  await page.goto(`http://localhost:${port}/?simulate=ready`);
  await page.waitForFunction(() => document.body.dataset.busy === '0' && !document.getElementById('update').disabled);
  await page.click('#update');
  await page.waitForSelector('#box[open] button[data-answer="ok"]');
  const start = performance.now();
  await page.click('#box button[data-answer="ok"]');
  if (hidden) await (await browser.newPage()).bringToFront();
  // The Update button is disabled when the update has ended, either way. Watched for changes
  // of the page, which a hidden tab's slowed timers would only see late.
  await page.waitForFunction(() => document.body.dataset.busy === '0' && document.getElementById('update').disabled,
                             {polling: 'mutation', timeout: kUpdateTimeoutMs});
  const wallMs = performance.now() - start;
  const succeeded = await page.evaluate(
      () => document.getElementById('esc-version').textContent === document.title.split(' ').pop());
  if (!succeeded) throw new Error('the update did not succeed');
  console.log(`browser, ${hidden ? 'hidden' : 'visible'} tab: update wall time ${wallMs.toFixed(0)} ms, ` +
              `floor of its pauses ${floorMs} ms, ratio ${(wallMs / floorMs).toFixed(4)}`);
}

const server = await servePage(site);
const browser = await launchChromium();
try {
  await timeUpdate(browser, server.address().port, false);
  await timeUpdate(browser, server.address().port, true);
} finally {
  await browser.close();
  server.close();
}
