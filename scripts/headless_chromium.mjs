// Debian's Chromium, headless, driven through puppeteer-core (the browser tests' package): for
// the browser tests, the benchmark and the screenshots.
import {createRequire} from 'node:module';

const require = createRequire(new URL('../tests/web/package.json', import.meta.url));
const puppeteer = require('puppeteer-core');

// Throttling of background tabs stays on, as for a user: puppeteer's default flags turn it off.
const kThrottlingOff = ['--disable-background-timer-throttling', '--disable-renderer-backgrounding',
                        '--disable-backgrounding-occluded-windows'];
// Without the background-networking flags Chromium keeps calling out to a network that may be
// closed.
const kBrowserArgs = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                      '--disable-background-networking', '--disable-component-update', '--disable-sync'];

export function launchChromium(extraArgs = []) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    ignoreDefaultArgs: kThrottlingOff,
    args: [...kBrowserArgs, ...extraArgs],
  });
}
