// Opens the browser updater in headless Chromium with the navigator.hid stand-in injected into
// the page and into its worker through the DevTools protocol, before their own scripts run.
import {randomUUID} from 'node:crypto';
import {readFileSync} from 'node:fs';
import {mkdtemp, readFile, rm} from 'node:fs/promises';
import {tmpdir} from 'node:os';
import {basename, join} from 'node:path';
import {launchChromium} from '../../../scripts/headless_chromium.mjs';
import {servePage} from '../../../scripts/serve_page.mjs';
import {PageElement} from './page_contract.mjs';

export const testSite = process.env.SPINDRA_WEB_TEST_SITE;
const testSupport = process.env.SPINDRA_WEB_TEST_SUPPORT;
const standIn = readFileSync(new URL('../stand_in/hid_stand_in.js', import.meta.url), 'utf8');
const unitModel = readFileSync(`${testSupport}/unit_model.js`, 'utf8');
const unitModelWasm = readFileSync(`${testSupport}/unit_model.wasm`).toString('base64');

// The worker's script reaches the worker with the stand-in before its own lines: its response,
// and only its, is rewritten through the DevTools protocol's Fetch domain.
async function injectIntoWorker(page, source) {
  const session = await page.createCDPSession();
  session.on('Fetch.requestPaused', async ({requestId, responseStatusCode, responseHeaders}) => {
    const {body, base64Encoded} = await session.send('Fetch.getResponseBody', {requestId});
    const script = Buffer.from(body, base64Encoded ? 'base64' : 'utf8').toString('utf8');
    await session.send('Fetch.fulfillRequest', {
      requestId,
      responseCode: responseStatusCode,
      responseHeaders,
      body: Buffer.from(`${source}\n${script}`).toString('base64'),
    });
  });
  await session.send('Fetch.enable', {patterns: [{urlPattern: '*/updater_worker.js', requestStage: 'Response'}]});
}

function workerOf(page) {
  return new Promise(resolve => page.once('workercreated', resolve));
}

// The core's script is held back until released, so that the page can be seen before the
// core has said anything.
async function holdCoreScript(page) {
  const session = await page.createCDPSession();
  const held = new Promise(resolve => session.once('Fetch.requestPaused', resolve));
  await session.send('Fetch.enable', {patterns: [{urlPattern: '*/updater.js', requestStage: 'Request'}]});
  return async () => session.send('Fetch.continueRequest', {requestId: (await held).requestId});
}

// The site's service worker would answer the page's requests from its copy, which the
// injection could not reach: the page's requests go to the server.
async function bypassServiceWorker(page) {
  const session = await page.createCDPSession();
  await session.send('Network.enable');
  await session.send('Network.setBypassServiceWorker', {bypass: true});
}

// options: site, query ('?simulate=ready'), scenario and escVersion of the stand-in's unit,
// granted (the unit was granted before), webHid (false: a browser without it; 'page': in the
// page but not in its worker, as before Chromium 131), language, platform (the browser's, as
// navigator.userAgentData names it), refuseOpen (the browser may not open the unit), holdCore
// (the core waits for updater.releaseCore()), host (another name for the server than
// localhost, mapped to it), serviceWorker (true: the site's service worker answers, for the
// offline copy), started (false: resolve without waiting for the core), pageScript (run in the
// page before its own scripts).
export async function openUpdater(options = {}) {
  const {site = testSite, language = 'en-US', host = 'localhost'} = options;
  const server = await servePage(site);
  const hostRule = host === 'localhost' ? [] : [`--host-resolver-rules=MAP ${host} localhost`];
  const browser = await launchChromium([`--lang=${language}`, `--accept-lang=${language}`, ...hostRule]);
  return openTab(browser, server, options);
}

// Runs check on an updater opened with these options, and closes it whatever happens.
export async function withUpdater(options, check) {
  const updater = await openUpdater(options);
  try {
    await check(updater);
  } finally {
    await updater.close();
  }
}

// Another tab of the browser, with a stand-in of its own, on the same page server.
async function openTab(browser, server, options) {
  const {query = '', scenario = 'ready', escVersion = '', granted = true, webHid = true, platform = '',
         refuseOpen = false, holdCore = false, host = 'localhost', serviceWorker = false,
         started: waitForStart = true, pageScript = ''} = options;
  const origin = `http://${host}:${server.address().port}`;
  const page = await browser.newPage();
  if (!serviceWorker) await bypassServiceWorker(page);
  const config = {scenario, escVersion, granted, webHid, platform, refuseOpen, tab: randomUUID()};
  await page.evaluateOnNewDocument(`${standIn}(${JSON.stringify(config)});`);
  if (pageScript) await page.evaluateOnNewDocument(pageScript);
  // A page over plain HTTP has no WebHID in its worker anyway; and a worker whose script the
  // DevTools protocol had rewritten would count as a public site, refused the local server.
  if (host === 'localhost') {
    await injectIntoWorker(page, `${unitModel}\n${standIn}(${JSON.stringify({...config, unitModelWasm})});`);
  }
  const releaseCoreScript = holdCore ? await holdCoreScript(page) : null;
  const worker = workerOf(page);
  await page.goto(`${origin}/${query}`);
  const updater = new UpdaterPage(browser, server, page, await worker);
  if (!waitForStart) return updater;
  // The worker's script, with the stand-in, runs only once the core's script has come.
  const started = async () => {
    if (webHid === true) await updater.standInReady();
    await updater.idle();
  };
  if (!holdCore) {
    await started();
  } else {
    updater.releaseCore = async () => {
      await releaseCoreScript();
      await started();
    };
  }
  return updater;
}

class UpdaterPage {
  constructor(browser, server, page, worker) {
    this.browser = browser;
    this.server = server;
    this.page = page;
    this.worker = worker;
  }

  // The browser and the page server, with every tab, and the files it saved.
  async close() {
    await this.browser.close();
    this.server.close();
    if (this.downloads) await rm(this.downloads, {recursive: true});
  }

  // Clicks what saves a file (a selector) and resolves with the file the browser saved: its
  // path, its name and its text.
  async saveFile(selector) {
    this.downloads ??= await mkdtemp(join(tmpdir(), 'page-downloads-'));
    const session = await this.page.createCDPSession();
    await session.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: this.downloads, eventsEnabled: true});
    const saved = new Promise((resolve, reject) => session.on('Browser.downloadProgress', ({state, filePath}) => {
      if (state === 'completed') resolve(filePath);
      if (state === 'canceled') reject(new Error(`the download of ${selector} was cancelled`));
    }));
    await this.page.click(selector);
    const path = await saved;
    await session.detach();
    return {path, name: basename(path), text: await readFile(path, 'utf8')};
  }

  openTab(options = {}) {
    return openTab(this.browser, this.server, options);
  }

  // This tab alone, as a user closes it: without the question before leaving.
  closeTab() {
    return this.page.close({runBeforeUnload: false});
  }

  inWorker(expression) {
    return this.worker.evaluate(expression);
  }

  // The worker may be reached before its script, and so the stand-in, has begun to run.
  async standInReady() {
    while (await this.inWorker('typeof self.hidStandIn').catch(() => 'undefined') !== 'object') {
      await new Promise(resolve => setTimeout(resolve, 20));
    }
    await this.inWorker('self.hidStandIn.ready');
  }

  // Until the core has handled every event and waits for the next.
  async idle(timeout = 30000) {
    await this.page.waitForFunction(() => document.body.dataset.busy === '0', {polling: 'mutation', timeout});
  }

  // Until the element with this id is enabled, or disabled; or shown.
  untilEnabled(id) {
    return this.page.waitForFunction(id => !document.getElementById(id).disabled, {polling: 'mutation'}, id);
  }

  untilDisabled(id) {
    return this.page.waitForFunction(id => document.getElementById(id).disabled, {polling: 'mutation'}, id);
  }

  untilShown(id) {
    return this.page.waitForFunction(id => !document.getElementById(id).hidden, {polling: 'mutation'}, id);
  }

  // What the page shows: panel, hint, buttons and notices.
  state() {
    return this.page.evaluate(element => {
      const text = id => document.getElementById(id).textContent;
      const shown = id => !document.getElementById(id).hidden;
      const rows = [[element.UnitLabel, element.UnitVersion], [element.LoaderLabel, element.LoaderVersion],
                    [element.EscLabel, element.EscVersion]];
      return {
        title: document.title,
        lang: document.documentElement.lang,
        rows: rows.map(([label, value]) => [text(label), text(value)]),
        // Greyed where a disabled static would be on Windows.
        greyed: rows.flat().filter(id => document.getElementById(id).classList.contains('disabled')),
        hint: text(element.Hint),
        updateEnabled: !document.getElementById(element.Update).disabled,
        connectEnabled: shown(element.Connect) && !document.getElementById(element.Connect).disabled,
        // Only the text for the reason and the page's language shows.
        noWebHid: shown(element.NoWebHid) ? document.getElementById(element.NoWebHid).innerText.trim() : null,
        imageDetails: text(element.ImageDetails),
        keepOpen: shown(element.KeepOpen),
        // The notices on the way to the unit that say something, by their elements' ids.
        notices: Object.fromEntries([...document.getElementById(element.UnitNotices).querySelectorAll('[role="status"]')]
            .filter(notice => notice.textContent !== '').map(notice => [notice.id, notice.textContent])),
      };
    }, PageElement);
  }

  // The open box: caption, text and its buttons' names and labels; waits for one.
  async box(timeout = 30000) {
    await this.page.waitForSelector(`#${PageElement.Box}[open]`, {timeout});
    return this.page.evaluate(element => ({
      caption: document.getElementById(element.BoxCaption).textContent,
      text: document.getElementById(element.BoxText).textContent,
      buttons: [...document.getElementById(element.BoxButtons).querySelectorAll('button')]
          .map(b => [b.dataset.answer, b.textContent]),
    }), PageElement);
  }

  // Presses the open box's button by name (Answer of page_contract.mjs).
  async answer(button) {
    await this.page.click(`#${PageElement.Box} button[data-answer="${button}"]`);
  }

  async click(id) {
    await this.page.click(`#${id}`);
  }

  requests() {
    return this.inWorker('self.hidStandIn.requests()');
  }

  // The filters of each chooser the page has shown.
  choosers() {
    return this.page.evaluate(() => self.hidStandIn.choosers);
  }
}
