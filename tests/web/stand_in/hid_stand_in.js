// A stand-in for navigator.hid that the tests inject into the page and into its worker before
// their own scripts run, through the DevTools protocol. In the worker it is the bus: one
// programming unit that answers from the simulated unit (unit_model.js, injected before it). In the page it is the
// chooser: it grants that unit once the worker's stand-in has taken the grant. The tests reach
// it in the worker as self.hidStandIn, and the chooser's requests in the page as
// self.hidStandIn.choosers. Each tab's page and worker talk on a channel of their own; both
// stand for the browser on config.platform where one is given.
(function (config) {
  'use strict';
  const kVendorId = 0x21B8;
  const kWriteBlock = 0x1B;
  const inWorker = typeof WorkerGlobalScope !== 'undefined';
  const navigatorClass = inWorker ? WorkerNavigator : Navigator;
  if (config.platform) {
    Object.defineProperty(NavigatorUAData.prototype, 'platform', {get: () => config.platform, configurable: true});
  }
  // Without WebHID; or, as before Chromium 131, with it in the page but not in its worker.
  if (!config.webHid || (inWorker && config.webHid === 'page')) {
    delete navigatorClass.prototype.hid;
    return;
  }
  const channel = new BroadcastChannel(`hid-stand-in-${config.tab}`);
  const hid = new EventTarget();
  Object.defineProperty(navigatorClass.prototype, 'hid', {get: () => hid, configurable: true});

  function fire(target, type, properties) {
    const event = Object.assign(new Event(type), properties);
    target.dispatchEvent(event);
    if (typeof target['on' + type] === 'function') target['on' + type](event);
  }

  if (!inWorker) {
    // As in Chromium, the chooser needs a user's gesture; a grant is taken by the worker first.
    let asked = 0;
    self.hidStandIn = {choosers: []};
    hid.requestDevice = async ({filters}) => {
      if (!navigator.userActivation.isActive) {
        throw new DOMException('Must be handling a user gesture to show a permission request.', 'SecurityError');
      }
      self.hidStandIn.choosers.push(filters);
      const question = ++asked;
      const answered = new Promise(resolve => {
        channel.addEventListener('message', function listener({data}) {
          if (data.answer !== question) return;
          channel.removeEventListener('message', listener);
          resolve(data.device);
        });
      });
      channel.postMessage({ask: question, filters});
      const device = await answered;
      return device ? [device] : [];
    };
    hid.getDevices = async () => [];
    return;
  }

  const state = {present: false, granted: config.granted, log: [], blocks: 0, unplugAtBlock: 0, device: null,
                 opens: 0};
  let model = null;

  function exchange(request) {
    const length = model._standInReportLength();
    const requestAt = model._malloc(length);
    const replyAt = model._malloc(length);
    model.HEAPU8.fill(0, requestAt, requestAt + length);
    model.HEAPU8.set(request.subarray(0, length), requestAt);
    const replied = model._standInExchange(requestAt, length, replyAt, length);
    const reply = replied > 0 ? model.HEAPU8.slice(replyAt, replyAt + replied) : null;
    model._free(requestAt);
    model._free(replyAt);
    return reply;
  }

  function bytesOf(data) {
    return ArrayBuffer.isView(data) ? new Uint8Array(data.buffer, data.byteOffset, data.byteLength)
                                    : new Uint8Array(data);
  }

  class StandInDevice extends EventTarget {
    constructor() {
      super();
      const reportBytes = model._standInReportLength() - 1;
      const report = reportId => ({reportId, items: [{reportSize: 8, reportCount: reportBytes}]});
      this.vendorId = kVendorId;
      this.productId = model._standInProductId();
      this.productName = 'programming unit';
      this.opened = false;
      this.oninputreport = null;
      this.collections = [{usagePage: 0xFF00, usage: 1, children: [], featureReports: [],
                           inputReports: [report(2)], outputReports: [report(1)]}];
    }
    // A unit the browser may not open (Linux without the udev rule, another program holding it)
    // is refused as one that is gone: Chromium tells no cause.
    async open() {
      ++state.opens;
      if (!state.present || config.refuseOpen) throw new DOMException('Failed to open the device.', 'NotAllowedError');
      this.opened = true;
    }
    async close() {
      this.opened = false;
    }
    async forget() {
      this.opened = false;
      state.granted = false;
    }
    async sendReport(reportId, data) {
      if (!state.present || !this.opened) throw new DOMException('Failed to write the report.', 'NotAllowedError');
      const request = new Uint8Array(1 + data.byteLength);
      request[0] = reportId;
      request.set(bytesOf(data), 1);
      // The option byte tells a lock from its release; the length, a report sent whole.
      state.log.push({command: request[1], option: request[3], length: request.length, time: performance.now()});
      // Pulled out as this block goes to it: no reply comes, the removal does; or the write
      // itself is refused first, and the removal is told a moment later.
      if (request[1] === kWriteBlock && ++state.blocks === state.unplugAtBlock) {
        setTimeout(unplug, state.refusedBeforeRemoval ? 10 : 0);
        if (state.refusedBeforeRemoval) throw new DOMException('Failed to write the report.', 'NotAllowedError');
        return;
      }
      const reply = exchange(request);
      if (reply) setTimeout(() => this.deliver(reply), 0);
    }
    deliver(reply) {
      if (!state.present || !this.opened) return;
      fire(this, 'inputreport', {device: this, reportId: reply[0], data: new DataView(reply.buffer, 1)});
    }
  }

  function unplug() {
    state.present = false;
    if (state.granted) fire(hid, 'disconnect', {device: state.device});
  }

  function plug() {
    state.present = true;
    if (state.granted) fire(hid, 'connect', {device: state.device});
  }

  // The model comes with the stand-in (unit_model.js before it, its wasm in the config): the
  // worker fetches nothing for it.
  const wasmBinary = Uint8Array.from(atob(config.unitModelWasm), letter => letter.charCodeAt(0));
  const ready = createUnitModel({wasmBinary}).then(loaded => {
    model = loaded;
    state.present = model.ccall('standInLoad', 'number', ['string', 'string'], [config.scenario, config.escVersion]) === 1;
    if (state.present) state.device = new StandInDevice();
  });

  hid.onconnect = null;
  hid.ondisconnect = null;
  hid.getDevices = async () => {
    await ready;
    return state.present && state.granted ? [state.device] : [];
  };

  channel.addEventListener('message', async ({data}) => {
    if (!data.ask) return;
    await ready;
    const device = state.device;
    const chosen = state.present && data.filters.some(
        filter => filter.vendorId === device.vendorId && filter.productId === device.productId);
    if (chosen) state.granted = true;
    channel.postMessage({answer: data.ask,
                         device: chosen ? {vendorId: device.vendorId, productId: device.productId} : null});
  });

  self.hidStandIn = {
    ready,
    unplug,
    plug,
    unplugAtBlock(block, refusedBeforeRemoval = false) {
      state.unplugAtBlock = block;
      state.refusedBeforeRemoval = refusedBeforeRemoval;
    },
    // How often the page's worker tried to open the unit.
    opens: () => state.opens,
    // The commands the unit was sent, with their option bytes, report lengths and times on the
    // worker's clock.
    requests: () => state.log.slice(),
    // The unit's output report length, its id byte included.
    reportLength: () => model._standInReportLength(),
    // The ESC's flash as hexadecimal text.
    flash() {
      const size = model._standInFlash(0, 0);
      const at = model._malloc(size);
      model._standInFlash(at, size);
      const hex = Array.from(model.HEAPU8.subarray(at, at + size), byte => byte.toString(16).padStart(2, '0')).join('');
      model._free(at);
      return hex;
    },
  };
})
