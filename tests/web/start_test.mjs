// The page's start: what it says where the core cannot start or no unit can be reached, its
// offline copy, and that no other site can frame it.
import assert from 'node:assert/strict';
import {createHash} from 'node:crypto';
import {cp, mkdtemp, readFile, readdir, rm, writeFile} from 'node:fs/promises';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {test} from 'node:test';
import {testSite, withUpdater} from './support/updater_page.mjs';
import {PageElement} from './support/page_contract.mjs';

const kReadyRows = [['ROUNDEL', '2.3'], ['ESC-bootloader', '1.2'], ['ESC', '3.4']];

// A copy of the test page, changed by change(folder); removed after check(folder).
async function withChangedSite(change, check) {
  const folder = await mkdtemp(join(tmpdir(), 'changed-page-'));
  try {
    await cp(testSite, folder, {recursive: true});
    await change(folder);
    await check(folder);
  } finally {
    await rm(folder, {recursive: true});
  }
}

// The page before or without its core: the notices shown (as read) and whether the dialog's
// panel and buttons show.
function startState(page) {
  return page.evaluate(element => {
    const shownText = id => {
      const element = document.getElementById(id);
      return element.hidden ? null : element.innerText.trim();
    };
    return {
      title: document.getElementById(element.Title).textContent,
      starting: shownText(element.Starting),
      failed: shownText(element.StartFailed),
      dialogShown: document.getElementById(element.Buttons).offsetParent !== null,
    };
  }, PageElement);
}

test('without JavaScript the page says what it needs, with no empty dialog', () =>
  withUpdater({webHid: false}, async updater => {
    await updater.page.setJavaScriptEnabled(false);
    await updater.page.reload();
    const state = await startState(updater.page);
    assert.equal(state.title, 'SPINDRA 60 LV Firmware Updater');
    assert.match(state.starting, /^The updater is starting\. .*Google Chrome, Microsoft Edge or Opera.*JavaScript/);
    assert.equal(state.failed, null);
    assert.equal(state.dialogShown, false);
  }));

test('a core that cannot load is told in the page\'s language, with no empty dialog', async () => {
  const withoutWasmInPolicy = async folder => {
    const page = join(folder, 'index.html');
    await writeFile(page, (await readFile(page, 'utf8')).replace(" 'wasm-unsafe-eval'", ''));
  };
  const cases = [
    {name: 'WebAssembly blocked by the policy', change: withoutWasmInPolicy, language: 'en-US',
     text: /^The updater could not be started: its program did not load\./},
    {name: 'the WebAssembly missing', change: folder => rm(join(folder, 'updater.wasm')), language: 'de-DE',
     text: /^Der Updater konnte nicht gestartet werden: Sein Programm wurde nicht geladen\./},
    {name: 'the core\'s script missing in the worker', change: folder => rm(join(folder, 'updater.js')),
     language: 'en-US', text: /^The updater could not be started/},
  ];
  for (const {name, change, language, text} of cases) {
    await withChangedSite(change, site => withUpdater({site, language, webHid: false, started: false}, async updater => {
      await updater.page.waitForSelector(`#${PageElement.StartFailed}:not([hidden])`, {timeout: 10000});
      const state = await startState(updater.page);
      assert.match(state.failed, text, name);
      assert.equal(state.starting, null, name);
      assert.equal(state.dialogShown, false, name);
      assert.equal(await updater.page.$eval(`#${PageElement.StartFailed}`, notice => notice.getAttribute('role')), 'status', name);
    }));
  }
});

test('where no unit can be reached the page tells the first reason, and the simulated unit still runs', async () => {
  const cases = [
    // Plain HTTP has no WebHID either: that it is plain HTTP is what to fix first.
    {name: 'a page over plain HTTP', options: {host: 'updater.test', webHid: false},
     en: /open it over HTTPS/, de: /öffnen Sie sie über HTTPS/},
    {name: 'a browser without WebHID', options: {webHid: false},
     en: /Google Chrome, Microsoft Edge or Opera on a desktop/, de: /Google Chrome, Microsoft Edge oder Opera auf einem Desktop/},
    {name: 'WebHID in the page but not in its worker', options: {webHid: 'page'},
     en: /update your browser/, de: /aktualisieren Sie Ihren Browser/},
  ];
  for (const {name, options, en, de} of cases) {
    for (const [language, text] of [['en-US', en], ['de-DE', de]]) {
      await withUpdater({...options, language}, async updater => {
        const state = await updater.state();
        assert.match(state.noWebHid, text, `${name}, ${language}`);
        const others = cases.filter(other => other.name !== name).flatMap(other => [other.en, other.de]);
        assert.ok(others.every(other => !other.test(state.noWebHid)), `${name}, ${language}: only its own text`);
        assert.equal(state.connectEnabled, false, name);
        assert.equal(await updater.page.$eval(`#${PageElement.NoWebHid}`, notice => notice.getAttribute('role')), 'status', name);
      });
    }
    await withUpdater({...options, query: '?simulate=ready'}, async updater => {
      const state = await updater.state();
      assert.equal(state.noWebHid, null, name);
      assert.deepEqual(state.rows, kReadyRows, name);
    });
  }
});

test('another site cannot show the page in a frame', () => withUpdater({webHid: false}, async updater => {
  const framing = await updater.browser.newPage();
  await framing.setContent(`<iframe src="http://localhost:${updater.server.address().port}/"></iframe>`);
  assert.equal(framing.frames()[1].url(), 'chrome-error://chromewebdata/');
}));

// The service worker the build wrote: each file it keeps with its SHA-256, and its cache's.
async function serviceWorkerList(site) {
  const source = await readFile(join(site, 'service_worker.js'), 'utf8');
  const files = Object.fromEntries([...source.match(/kSiteFiles = \{([^}]*)\}/)[1].matchAll(/'([^']+)': '([0-9a-f]{64})'/g)]
                                       .map(([, name, digest]) => [name, digest]));
  return {files, digest: source.match(/kSiteDigest = '([0-9a-f]{64})'/)[1]};
}

const sha256 = bytes => createHash('sha256').update(bytes).digest('hex');

test('the service worker keeps every file of the site, its cache named by their SHA-256', async () => {
  const {files, digest} = await serviceWorkerList(testSite);
  const names = (await readdir(testSite)).filter(name => name !== 'service_worker.js').sort();
  const actual = {};
  for (const name of names) actual[name] = sha256(await readFile(join(testSite, name)));
  assert.deepEqual(files, actual);
  // As sha256sum lists them, so that anyone can check the name of the cache.
  assert.equal(digest, sha256(names.map(name => `${actual[name]}  ${name}\n`).join('')));
});

test('after one visit the page is installable and starts offline', () =>
  withUpdater({webHid: false, query: '?simulate=ready', serviceWorker: true}, async updater => {
    const {page, server} = updater;
    await page.evaluate(() => navigator.serviceWorker.ready);
    const {files, digest} = await serviceWorkerList(testSite);
    const kept = await page.evaluate(async () => {
      const names = await caches.keys();
      const cached = await (await caches.open(names[0])).keys();
      return {names, files: cached.map(request => new URL(request.url).pathname.slice(1)).sort()};
    });
    assert.equal(kept.names.length, 1);
    assert.ok(kept.names[0].endsWith(digest), kept.names[0]);
    assert.deepEqual(kept.files, Object.keys(files).sort());
    const session = await page.createCDPSession();
    assert.deepEqual((await session.send('Page.getInstallabilityErrors')).installabilityErrors, []);

    server.close();
    server.closeAllConnections();
    await page.reload();
    await updater.idle();
    const state = await updater.state();
    assert.deepEqual(state.rows, kReadyRows);
    assert.equal(state.updateEnabled, true);
    assert.equal(await page.evaluate(() => navigator.serviceWorker.controller !== null), true);
  }));
