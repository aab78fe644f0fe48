// The browser updater's page: it draws the dialog, asks the user for the unit and answers the
// boxes. The core runs in a dedicated worker (updater_worker.js) and says what to show.
'use strict';

const worker = new Worker('updater_worker.js');
const parameters = new URLSearchParams(location.search);
const simulation = parameters.get('simulate');
const unitFilters = [];
// Texts for what the page makes itself: the boxes' buttons, the history's lines.
const keptTexts = {};
const noticeTexts = {};
let boxButtons = [];
let wakeLock = null;
let writing = false;
let windowTitle = '';
let focusInPage = null;
let progressShown = false;

const byId = id => document.getElementById(id);

// The first of the user's languages that the updater speaks; English otherwise.
function speaksGerman() {
  for (const language of navigator.languages || [navigator.language]) {
    const primary = language.toLowerCase().split('-')[0];
    if (primary === 'de') return true;
    if (primary === 'en') return false;
  }
  return false;
}

function showText(id, text) {
  const target = byId(id);
  if (!target) {
    keptTexts[id] = text;
    return;
  }
  target.textContent = text.replace(/\r\n/g, '\n');
  if (id === PageElement.Simulated) target.hidden = false;
}

// A button is disabled; a label or value of the panel is greyed, as a disabled static is.
function showEnabled(target, enabled) {
  if (target instanceof HTMLButtonElement) target.disabled = !enabled;
  else target.classList.toggle('disabled', !enabled);
}

// The first button goes on, any other stops.
function showBox({text, caption, icon, buttons: names}) {
  const box = byId(PageElement.Box);
  byId(PageElement.BoxCaption).textContent = caption;
  byId(PageElement.BoxText).textContent = text.replace(/\r\n/g, '\n');
  if (icon) box.dataset.icon = icon;
  else delete box.dataset.icon;
  boxButtons = names;
  const buttons = names.map((name, index) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.dataset.answer = name;
    button.textContent = keptTexts[AnswerLabel[name]];
    button.addEventListener('click', () => closeBox(index === 0));
    return button;
  });
  byId(PageElement.BoxButtons).replaceChildren(...buttons);
  box.showModal();
  buttons[0].focus();
}

function closeBox(goOn) {
  boxButtons = [];
  byId(PageElement.Box).close();
  restoreFocus();
  worker.postMessage({type: Message.Answer, goOn});
}

// As the Windows message box: Escape answers Cancel, or OK when that is the only button; a
// Yes/No question needs a button. Returns whether it answered.
function answerByEscape() {
  if (boxButtons.includes(Answer.Cancel)) closeBox(false);
  else if (boxButtons.length === 1) closeBox(true);
  else return false;
  return true;
}

// Escape on a box answers it or does nothing; on the progress window it does nothing at all.
function onEscape(event) {
  if (event.key !== 'Escape') return;
  if (byId(PageElement.Box).open) {
    event.preventDefault();
    answerByEscape();
  } else if (byId(PageElement.Progress).open) {
    event.preventDefault();
  }
}

// A browser without closedby="none" closes a modal dialog at a second close request the page
// could not prevent: a box closed that way is answered as Escape would, or shown again.
function onBoxClosed() {
  const box = byId(PageElement.Box);
  if (!box.open && boxButtons.length > 0 && !answerByEscape()) box.showModal();
}

// The progress window stays open until the core closes it, as the ESC is written meanwhile.
function onProgressClosed() {
  const progress = byId(PageElement.Progress);
  if (!progress.open && progressShown) progress.showModal();
}

function leaveWarning(event) {
  event.preventDefault();
  event.returnValue = '';
}

async function holdScreenOn() {
  if (!writing || !('wakeLock' in navigator) || document.visibilityState !== 'visible') return;
  try {
    wakeLock = await navigator.wakeLock.request('screen');
  } catch (refused) {
    wakeLock = null;  // not granted here: the notice still asks to keep the computer awake
  }
}

// A hidden tab's title tells how far the ESC is written, as the progress window would.
function showTitle() {
  const showsProgress = writing && document.visibilityState === 'hidden';
  document.title = showsProgress ? `${byId(PageElement.ProgressBar).value} % – ${windowTitle}` : windowTitle;
}

// From the lock of the unit to its restore: the screen stays on where the browser grants it,
// leaving or reloading the page asks first, and the page says the tab must stay open.
function showWriting(active) {
  writing = active;
  byId(PageElement.KeepOpen).hidden = !active;
  if (active) {
    byId(PageElement.ProgressBar).value = 0;  // not the last update's end until the window opens
    addEventListener('beforeunload', leaveWarning);
    holdScreenOn();
  } else {
    removeEventListener('beforeunload', leaveWarning);
    if (wakeLock) wakeLock.release();
    wakeLock = null;
  }
  showTitle();
}

// The keep-open notice goes with the window in front: a screen reader reaches nothing of the page
// behind the modal progress window, which opens only after the unit's lock and erase.
function placeKeepOpen(inProgressWindow) {
  const notice = byId(PageElement.KeepOpen);
  if (inProgressWindow) byId(PageElement.Progress).append(notice);
  else byId(PageElement.UnitNotices).before(notice);
}

// A window closed gives the focus back to the page's control that had it; one disabled or hidden
// meanwhile passes it to the first button that can take it.
function restoreFocus() {
  if (!focusInPage) return;
  const reachable = element => !element.disabled && element.checkVisibility();
  const buttons = [...byId(PageElement.Buttons).children];
  (reachable(focusInPage) ? focusInPage : buttons.find(reachable))?.focus();
}

function openProgress(title) {
  byId(PageElement.ProgressTitle).textContent = title;
  byId(PageElement.ProgressBar).value = 0;
  placeKeepOpen(true);
  progressShown = true;
  byId(PageElement.Progress).showModal();
}

function showProgressPosition(percent) {
  byId(PageElement.ProgressBar).value = percent;
  showTitle();
}

function closeProgress() {
  progressShown = false;
  byId(PageElement.Progress).close();
  placeKeepOpen(false);
  restoreFocus();
}

// A notice: its element stays in the page while empty, so that its text is announced as it
// comes (role="status"). The report's notice ends with the link that saves it.
function showNotice({element, number, text}) {
  if (text) noticeTexts[element] = text;
  if (number !== 0 && element === PageElement.ReportNotice) showReportNotice(byId(element), noticeTexts[element]);
  else byId(element).textContent = number !== 0 ? noticeTexts[element] : '';
}

function onWorkerMessage({data: message}) {
  switch (message.type) {
    case Message.Title:
      windowTitle = message.text;
      showTitle();
      byId(PageElement.Title).textContent = message.text;
      break;
    case Message.ElementText:
      showText(message.element, message.text);
      break;
    case Message.ElementEnabled:
      showEnabled(byId(message.element), message.number !== 0);
      break;
    case Message.UnitFilter:
      unitFilters.push({vendorId: message.number >>> 16, productId: message.number & 0xFFFF});
      break;
    case Message.Box:
      showBox(message);
      break;
    case Message.ProgressOpen:
      openProgress(message.text);
      break;
    case Message.ProgressPosition:
      showProgressPosition(message.number);
      break;
    case Message.ProgressClose:
      closeProgress();
      break;
    case Message.Writing:
      showWriting(message.number !== 0);
      break;
    case Message.Busy:
      document.body.dataset.busy = String(message.number);
      break;
    case Message.WebHid:
      showWebHid(message.number !== 0);
      break;
    case Message.Notice:
      showNotice(message);
      break;
    case Message.Started:
      showStarted();
      keepOfflineCopy();
      break;
    case Message.StartFailed:
      showStartFailed();
      break;
    case Message.Report:
      saveReport(message);
      break;
    case Message.HistoryEntry:
      keepInHistory(message.text);
      break;
    default:
      console.error('The updater\'s page got a message it does not know:', message);
  }
}

// Connect is enabled once the worker has given the units' filters: the chooser lists units only.
async function connectUnit() {
  showNotice({element: PageElement.ChooserClosed, number: 0});
  // A chooser closed without a choice grants nothing; one that cannot be shown fails.
  const granted = await navigator.hid.requestDevice({filters: unitFilters}).catch(() => []);
  if (granted.length > 0) worker.postMessage({type: Message.Granted});
  else showNotice({element: PageElement.ChooserClosed, number: 1});
}

// Without WebHID in the page and in its worker no unit can be reached: the page says why and
// what would help. The simulated unit needs none.
function showWebHid(inWorker) {
  const missing = webHidMissing(inWorker);
  showWebHidNotice(missing, simulation !== null);
  byId(PageElement.Connect).hidden = simulation !== null;
}

function start() {
  document.documentElement.lang = speaksGerman() ? 'de' : 'en';
  showWebHid('hid' in navigator);
  const press = button => worker.postMessage({type: Message.Press, button});
  byId(PageElement.Connect).addEventListener('click', connectUnit);
  byId(PageElement.Update).addEventListener('click', () => press(PageElement.Update));
  byId(PageElement.Close).addEventListener('click', () => press(PageElement.Close));
  listenToReportLine();
  document.addEventListener('keydown', onEscape);
  for (const dialog of [byId(PageElement.Box), byId(PageElement.Progress)]) {
    dialog.addEventListener('cancel', event => event.preventDefault());
  }
  byId(PageElement.Box).addEventListener('close', onBoxClosed);
  byId(PageElement.Progress).addEventListener('close', onProgressClosed);
  document.addEventListener('visibilitychange', holdScreenOn);
  document.addEventListener('visibilitychange', showTitle);
  byId(PageElement.Dialog).addEventListener('focusin', event => { focusInPage = event.target; });
  worker.addEventListener('message', onWorkerMessage);
  worker.addEventListener('error', showStartFailed);
  worker.postMessage({type: Message.Start, simulate: simulation, escVersion: parameters.get('esc-version'),
                      german: document.documentElement.lang === 'de'});
}

start();
