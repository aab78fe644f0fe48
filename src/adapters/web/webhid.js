// The WebHID side of the worker's HID transport (webhid_bus.cpp): the devices this page was
// granted, each under a path of its own, the opened ones under handles, and every transfer
// bounded. Failures are the platform's error codes, as the core reports them, and where the
// browser threw an exception, its own words for it, which a report keeps beside the code.
'use strict';

const kErrorFileNotFound = 2;
const kErrorAccessDenied = 5;
const kErrorInvalidHandle = 6;
const kErrorGeneralFailure = 31;
const kErrorDeviceNotConnected = 1167;
const kErrorTimeout = 1460;
const kDisconnectGraceMs = 250;

// The longest report of a kind in the device's collections, in bytes, with its id byte:
// what Windows reports as the report length.
function longestReport(device, kind) {
  let longest = 0;
  const visit = collections => {
    for (const collection of collections || []) {
      for (const report of collection[kind] || []) {
        const bits = (report.items || []).reduce((sum, item) => sum + item.reportSize * item.reportCount, 0);
        longest = Math.max(longest, Math.ceil(bits / 8));
      }
      visit(collection.children);
    }
  };
  visit(device.collections);
  return longest + 1;
}

// Nothing met yet on the way to a unit: no list taken, nothing opened or refused.
function noAccessYet() {
  return {listed: null, opened: false, refused: false};
}

class WebHid {
  constructor(hid) {
    this.hid = hid;
    this.pathOfDevice = new Map();
    this.deviceOfPath = new Map();
    this.openedByHandle = new Map();
    this.nextPath = 1;
    this.nextHandle = 1;
    this.access = noAccessYet();
    this.failureWords = '';
  }

  // The browser's words for the exception that failed the last call, once: '' where none did.
  takeFailureWords() {
    const words = this.failureWords;
    this.failureWords = '';
    return words;
  }

  // Each call is a new one: what the browser said of an earlier one is not its.
  beginCall() {
    this.failureWords = '';
  }

  keepFailureWords(failure) {
    this.failureWords = `${failure.name}: ${failure.message}`;
  }

  // What the core met on its way to a unit since this was last asked, for the page's notices:
  // how many devices this page was granted (null: none listed), whether one opened, whether
  // the browser refused to open one.
  takeAccess() {
    const access = this.access;
    this.access = noAccessYet();
    return access;
  }

  // Whether the core holds the device open under a handle.
  isOpen(device) {
    return [...this.openedByHandle.values()].some(opened => opened.device === device);
  }

  pathOf(device) {
    let path = this.pathOfDevice.get(device);
    if (!path) {
      path = 'webhid:' + this.nextPath++;
      this.pathOfDevice.set(device, path);
      this.deviceOfPath.set(path, device);
    }
    return path;
  }

  async list() {
    this.beginCall();
    try {
      const devices = await this.hid.getDevices();
      this.access.listed = devices.length;
      return {paths: devices.map(device => this.pathOf(device))};
    } catch (failure) {
      this.keepFailureWords(failure);
      return {error: kErrorGeneralFailure};
    }
  }

  // A positive handle, or the negative error code.
  async open(path) {
    this.beginCall();
    const device = this.deviceOfPath.get(path);
    if (!device) return -kErrorFileNotFound;
    try {
      if (!device.opened) await device.open();
    } catch (failure) {
      this.keepFailureWords(failure);
      // Chromium refuses every open it may not make alike, whatever the cause.
      if (failure.name !== 'NotAllowedError') return -kErrorGeneralFailure;
      this.access.refused = true;
      return -kErrorAccessDenied;
    }
    this.access.opened = true;
    const opened = {device, reports: [], wake: null, gone: false};
    opened.listener = event => this.received(opened, event);
    device.addEventListener('inputreport', opened.listener);
    const handle = this.nextHandle++;
    this.openedByHandle.set(handle, opened);
    return handle;
  }

  deviceOf(handle) {
    const opened = this.openedByHandle.get(handle);
    return opened ? opened.device : null;
  }

  reportLengths(handle) {
    const device = this.deviceOf(handle);
    return device ? {output: longestReport(device, 'outputReports'), input: longestReport(device, 'inputReports')} : null;
  }

  // Reports are kept until read, as the platform's driver buffers them.
  received(opened, event) {
    const report = new Uint8Array(1 + event.data.byteLength);
    report[0] = event.reportId;
    report.set(new Uint8Array(event.data.buffer, event.data.byteOffset, event.data.byteLength), 1);
    opened.reports.push(report);
    if (opened.wake) opened.wake();
  }

  // WebHID's disconnect: a transfer waiting on the device fails at once.
  disconnected(device) {
    for (const opened of this.openedByHandle.values()) {
      if (opened.device !== device) continue;
      opened.gone = true;
      if (opened.wake) opened.wake();
    }
  }

  // Waits until end(error) is called, by the transfer, the device's removal or the bound.
  async transfer(opened, start, timeoutMs) {
    let end;
    const ended = new Promise(resolve => { end = resolve; });
    const timer = setTimeout(() => end(kErrorTimeout), timeoutMs);
    opened.wake = () => start.wake(end);
    start.begin(end);
    const error = await ended;
    clearTimeout(timer);
    opened.wake = null;
    return error;
  }

  async write(handle, report, timeoutMs) {
    this.beginCall();
    const opened = this.openedByHandle.get(handle);
    if (!opened) return kErrorInvalidHandle;
    if (opened.gone) return kErrorDeviceNotConnected;
    return this.transfer(opened, {
      // A write refused as the unit is pulled out may come before the disconnect: that is
      // waited for a moment, so the failure is told as the removal it is.
      begin: end => opened.device.sendReport(report[0], report.subarray(1)).then(() => end(0), failure => {
        this.keepFailureWords(failure);
        if (opened.gone) end(kErrorDeviceNotConnected);
        else setTimeout(() => end(opened.gone ? kErrorDeviceNotConnected : kErrorGeneralFailure), kDisconnectGraceMs);
      }),
      wake: end => { if (opened.gone) end(kErrorDeviceNotConnected); },
    }, timeoutMs);
  }

  async read(handle, timeoutMs) {
    this.beginCall();
    const opened = this.openedByHandle.get(handle);
    if (!opened) return {error: kErrorInvalidHandle};
    const settle = end => {
      if (opened.reports.length > 0) end(0);
      else if (opened.gone) end(kErrorDeviceNotConnected);
    };
    const error = await this.transfer(opened, {begin: settle, wake: settle}, timeoutMs);
    return error ? {error} : {report: opened.reports.shift()};
  }

  async close(handle) {
    const opened = this.openedByHandle.get(handle);
    if (!opened) return;
    this.openedByHandle.delete(handle);
    opened.device.removeEventListener('inputreport', opened.listener);
    if (!this.isOpen(opened.device) && opened.device.opened) {
      try {
        await opened.device.close();
      } catch (failure) {
        // A device that is gone is closed already.
      }
    }
  }
}
