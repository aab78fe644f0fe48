// What the page shows before and without the core: whether it has started or could not, and
// why no unit can be reached in this browser. These texts are built into index.html in both
// languages, since they must show where the core never comes. Also the offline copy.
'use strict';

// Why this browser cannot reach a unit, or '' when it can. In this order: browsers give
// WebHID to secure pages only (HTTPS or localhost); Firefox and Safari have none at all;
// Chromium before 131 has it in the page but not in its workers, where the core talks to
// the unit.
function webHidMissing(inWorker) {
  if (!self.isSecureContext) return 'insecure';
  if (!('hid' in navigator)) return 'browser';
  return inWorker ? '' : 'worker';
}

function showWebHidNotice(missing, simulated) {
  const notice = document.getElementById(PageElement.NoWebHid);
  notice.hidden = missing === '' || simulated;
  for (const text of notice.children) text.hidden = text.dataset.missing !== missing;
}

function showStarted() {
  document.getElementById(PageElement.Starting).hidden = true;
  document.body.dataset.started = '1';
}

// The worker's script or the core did not load: the page says so instead of an empty dialog.
function showStartFailed() {
  if (document.body.dataset.started) return;
  document.getElementById(PageElement.Starting).hidden = true;
  document.getElementById(PageElement.StartFailed).hidden = false;
}

// The site's files are kept for the next visit, offline too (service_worker.js). Registered
// once the core runs, so that its caching does not compete with the start.
function keepOfflineCopy() {
  if (!('serviceWorker' in navigator)) return;
  navigator.serviceWorker.register('service_worker.js').catch(() => {
    // Not kept (a private window, storage refused): the page works online as before.
  });
}
