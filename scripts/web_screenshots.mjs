// Takes pictures of the browser updater with its simulated unit in headless Chromium:
//   node scripts/web_screenshots.mjs <site folder> <output folder> [ready|all]
// "ready" (the default) saves screenshot-en.png; "all" saves the README's pictures in English
// and German: web-<language>.png (ready to update), web-progress-<language>.png (an update
// under way) and web-failure-<language>.png (the box of an update that failed).
import {join} from 'node:path';
import {launchChromium} from './headless_chromium.mjs';
import {servePage} from './serve_page.mjs';

const [site, output, which = 'ready'] = process.argv.slice(2);
const kViewport = {width: 900, height: 620};

async function openPage(browser, port, language) {
  const page = await browser.newPage();
  await page.setViewport(kViewport);
  await page.evaluateOnNewDocument(languages => {
    Object.defineProperty(navigator, 'languages', {get: () => languages});
  }, [language]);
  // The update fails at its 1000th block, so the progress window stays on screen a while.
  await page.goto(`http://localhost:${port}/?simulate=fail-at:WriteBlock:1000`);
  await page.waitForFunction(() => document.body.dataset.busy === '0' && !document.getElementById('update').disabled);
  return page;
}

async function shootAll(page, language) {
  await page.screenshot({path: join(output, `web-${language}.png`)});
  await page.click('#update');
  await page.waitForSelector('#box[open] button[data-answer="ok"]');
  await page.click('#box button[data-answer="ok"]');
  await page.waitForFunction(() => document.getElementById('progress-bar').value >= 20, {timeout: 60000});
  await page.screenshot({path: join(output, `web-progress-${language}.png`)});
  await page.waitForSelector('#box[open]', {timeout: 60000});
  await page.screenshot({path: join(output, `web-failure-${language}.png`)});
}

const server = await servePage(site);
const browser = await launchChromium();
try {
  if (which === 'all') {
    for (const language of ['en', 'de']) await shootAll(await openPage(browser, server.address().port, language), language);
  } else {
    const page = await openPage(browser, server.address().port, 'en');
    await page.screenshot({path: join(output, 'screenshot-en.png')});
  }
} finally {
  await browser.close();
  server.close();
}
