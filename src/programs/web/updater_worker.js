// The browser updater's dedicated worker. It runs the core (updater.js, WebAssembly), whose
// timers keep their pace here while the tab is hidden, one event at a time: while the core
// awaits a timer, a transfer or the page's answer to a box, nothing may call into it, so the
// page's presses and the device events wait in a queue. The device events that come in during
// a box are taken by the core when the box is answered, as a modal box's loop would.
'use strict';

importScripts('webhid.js', 'updater.js');

self.webHid = self.navigator.hid ? new WebHid(self.navigator.hid) : null;

const queue = [];
let core = null;
let running = false;
let answerBox = null;

self.updaterWorker = {
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
    queue.push({type: 'device', arrived, path});
    runQueue();
  },
  takeDeviceEvent() {
    const index = queue.findIndex(event => event.type === 'device');
    return index < 0 ? null : queue.splice(index, 1)[0];
  },
};

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
    case 'start':
      // WebHID in the page but not in its workers (Chromium before 131) is no WebHID here.
      self.postMessage({type: 'webhid', number: self.webHid ? 1 : 0});
      return call('updaterStart', ['string', 'string', 'number', 'number'],
                  [event.simulate || '', event.escVersion || '', event.german ? 1 : 0, self.webHid ? 1 : 0]);
    case 'press':
      return call('updaterPress', ['string'], [event.button]);
    case 'device':
      return call('updaterDeviceChange', ['number', 'string'], [event.arrived ? 1 : 0, event.path]);
    case 'granted':
      return self.webHid ? lookAtGrantedDevices() : undefined;
  }
}

async function runQueue() {
  if (running || !core) return;
  running = true;
  self.postMessage({type: 'busy', number: 1});
  while (queue.length > 0) await handle(queue.shift());
  running = false;
  self.postMessage({type: 'busy', number: 0});
}

self.onmessage = ({data}) => {
  if (data.type === 'answer') {
    const answer = answerBox;
    answerBox = null;
    if (answer) answer(data.number);
    return;
  }
  queue.push(data);
  runQueue();
};

if (self.webHid) {
  self.navigator.hid.addEventListener('connect', event => {
    self.updaterWorker.queueDeviceEvent(true, self.webHid.pathOf(event.device));
  });
  self.navigator.hid.addEventListener('disconnect', event => {
    self.webHid.disconnected(event.device);
    self.updaterWorker.queueDeviceEvent(false, self.webHid.pathOf(event.device));
  });
}

// The page shows its dialog once the core runs, and says so when it could not be loaded (the
// wasm blocked or missing); the core's own abort is no error event for the page.
createUpdaterModule().then(module => {
  core = module;
  self.postMessage({type: 'started'});
  runQueue();
}, () => self.postMessage({type: 'start-failed'}));
