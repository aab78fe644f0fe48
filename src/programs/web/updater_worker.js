// The browser updater's dedicated worker. It runs the core (updater.js, WebAssembly), whose
// timers keep their pace here while the tab is hidden, one event at a time: while the core
// awaits a timer, a transfer or the page's answer to a box, nothing may call into it, so the
// device events wait in a queue. The device events that come in during a box are taken by the
// core when the box is answered, as a modal box's loop would. A press while the core is busy is
// dropped, as the Windows dialog takes none during an update: kept for later, it would start
// another update after this one.
// One updater per browser profile reaches units: the worker that holds the updater's lock.
// The worker keeps the session's report as the core writes it, and hands it to the page
// whenever asked, also while the core awaits something.
'use strict';

importScripts('page_contract.js', 'webhid.js', 'updater.js');

const webHid = self.navigator.hid ? new WebHid(self.navigator.hid) : null;

const queue = [];
let core = null;
let running = false;
let answerBox = null;
// The report's lines so far, and how the session stood after the last event the core handled.
const reportLines = [];
let reportOutcome = {line: '', word: 'Starting', time: new Date()};

// What the core calls on (page_link.cpp), handed to it with the WebHID side (webhid_bus.cpp).
const pageLink = {
  post(message) {
    self.postMessage(message);
  },
  ask(box) {
    return new Promise(resolve => {
      answerBox = resolve;
      self.postMessage(box);
    });
  },
  queueDeviceEvent(arrived, path) {
    queue.push({type: Message.Device, arrived, path});
    runQueue();
  },
  takeDeviceEvent() {
    const index = queue.findIndex(event => event.type === Message.Device);
    return index < 0 ? null : queue.splice(index, 1)[0];
  },
  reportLine(line) {
    reportLines.push(line);
  },
  reportOutcome(line, word) {
    reportOutcome = {line, word, time: new Date()};
  },
};

// The report as a file: every line so far, then how the session stands. Its name says what
// happened and when (UTC, to the minute), with no character a file system forbids:
// spindra-report-BlockTransfer-2026-12-11T0931Z.jsonl.
function reportFile() {
  const {line, word, time} = reportOutcome;
  const when = time.toISOString().slice(0, 16).replace(':', '');
  return {
    text: reportLines.join('') + (line ? `${line}\n` : ''),
    name: `spindra-report-${word.replace(/[^A-Za-z]/g, '')}-${when}Z.jsonl`,
  };
}

// What the browser says of itself and of the system it runs on, for the report; nothing of the
// user's. Chromium names its brand and system in userAgentData (the full versions on request);
// other browsers only in the user agent.
async function browserFacts() {
  const agent = self.navigator.userAgentData;
  if (!agent) return {os: self.navigator.platform, browser: self.navigator.userAgent, browserVersion: ''};
  const details = await agent.getHighEntropyValues(['platformVersion', 'fullVersionList']).catch(() => ({}));
  const brands = (details.fullVersionList || agent.brands).filter(brand => !/not.a.brand/i.test(brand.brand));
  const named = brands.find(brand => brand.brand !== 'Chromium') || brands[0] || {brand: '', version: ''};
  const os = [agent.platform, details.platformVersion].filter(Boolean).join(' ') || self.navigator.platform;
  return {os, browser: named.brand, browserVersion: named.version};
}

const kUpdaterLock = 'spindra-updater';

// Web Locks hold per origin and browser profile, so no two tabs or windows of the page send to
// one unit. A lock taken is held until the worker ends with its tab. Resolves whether it was.
function takeUpdaterLock(options) {
  return new Promise(resolve => {
    self.navigator.locks.request(kUpdaterLock, options, lock => {
      resolve(lock !== null);
      return lock ? new Promise(() => {}) : undefined;
    });
  });
}

function showNotice(element, shown) {
  self.postMessage({type: Message.Notice, element, number: shown ? 1 : 0});
}

// While another tab has the updater, this one opens and sends nothing; it takes over by itself
// when that tab is closed.
function waitForOtherTab() {
  showNotice(PageElement.OtherTab, true);
  takeUpdaterLock({}).then(() => {
    queue.push({type: Message.TakeOver});
    runQueue();
  });
}

// The simulated unit needs no lock, and without WebHID there is nothing to guard.
async function start(event) {
  // WebHID in the page but not in its workers (Chromium before 131) is no WebHID here.
  self.postMessage({type: Message.WebHid, number: webHid ? 1 : 0});
  const guarded = webHid !== null && !event.simulate;
  const claimed = guarded && await takeUpdaterLock({ifAvailable: true});
  const {os, browser, browserVersion} = await browserFacts();
  await call('updaterStart', ['string', 'string', 'number', 'number', 'string', 'string', 'string'],
             [event.simulate || '', event.escVersion || '', event.german ? 1 : 0, claimed ? 1 : 0, os, browser,
              browserVersion]);
  if (guarded && !claimed) waitForOtherTab();
}

// What the core met on its way to a unit, told by the page's notices: no unit granted yet, a
// unit the browser may not open; a unit opened makes every such notice void.
function showUnitAccess() {
  const access = webHid.takeAccess();
  if (access.listed !== null) showNotice(PageElement.ConnectOnce, access.listed === 0);
  if (access.refused && !access.opened) showNotice(PageElement.OpenRefused, true);
  if (!access.opened) return;
  for (const notice of [PageElement.OpenRefused, PageElement.UnitRemoved, PageElement.ChooserClosed]) {
    showNotice(notice, false);
  }
}

function call(name, types, values) {
  return core.ccall(name, null, types, values, {async: true});
}

// The page's chooser granted a unit: whatever this page may open now is looked at.
async function lookAtGrantedDevices() {
  const listed = await webHid.list();
  for (const path of listed.paths || []) await call('updaterDeviceChange', ['number', 'string'], [1, path]);
}

function handle(event) {
  switch (event.type) {
    case Message.Start:
      return start(event);
    case Message.Press:
      return call('updaterPress', ['string'], [event.button]);
    case Message.Device:
      return call('updaterDeviceChange', ['number', 'string'], [event.arrived ? 1 : 0, event.path]);
    case Message.Granted:
      return webHid ? lookAtGrantedDevices() : undefined;
    case Message.TakeOver:
      showNotice(PageElement.OtherTab, false);
      return call('updaterTakeOver', [], []);
  }
}

async function runQueue() {
  if (running || !core) return;
  running = true;
  self.postMessage({type: Message.Busy, number: 1});
  while (queue.length > 0) {
    await handle(queue.shift());
    if (webHid) showUnitAccess();
  }
  running = false;
  self.postMessage({type: Message.Busy, number: 0});
}

self.onmessage = ({data}) => {
  if (!MessagesToWorker.includes(data.type)) {
    console.error('The updater\'s worker got a message it does not know:', data);
    return;
  }
  if (data.type === Message.Answer) {
    const answer = answerBox;
    answerBox = null;
    if (answer) answer(data.goOn);
    return;
  }
  if (data.type === Message.ReportWanted) {
    self.postMessage({type: Message.Report, ...reportFile()});
    return;
  }
  if (data.type === Message.Press && (running || !core)) return;
  queue.push(data);
  runQueue();
};

if (webHid) {
  self.navigator.hid.addEventListener('connect', event => {
    pageLink.queueDeviceEvent(true, webHid.pathOf(event.device));
  });
  self.navigator.hid.addEventListener('disconnect', event => {
    // A unit without a serial number is granted only until it is unplugged.
    if (webHid.isOpen(event.device)) showNotice(PageElement.UnitRemoved, true);
    webHid.disconnected(event.device);
    pageLink.queueDeviceEvent(false, webHid.pathOf(event.device));
  });
}

// The page shows its dialog once the core runs, and says so when it could not be loaded (the
// wasm blocked or missing); the core's own abort is no error event for the page.
createUpdaterModule({webHid, pageLink}).then(module => {
  core = module;
  self.postMessage({type: Message.Started});
  runQueue();
}, () => self.postMessage({type: Message.StartFailed}));
