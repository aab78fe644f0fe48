// The page's side of the report and the history. Nothing is sent anywhere: the report the
// worker keeps becomes a file the user saves, from the Report line below the dialog or from the
// notice after a failed or refused update; the history of the updates that reached a unit stays
// in this browser's storage and shows when asked.
'use strict';

const kHistoryKey = 'spindra-updater-history';

// The worker has the report whenever asked, also while the core awaits a transfer or a box.
function askForReport(event) {
  event.preventDefault();
  worker.postMessage({type: Message.ReportWanted});
}

// A download of its own, through an object URL given up once the download has taken it.
function saveReport({text, name}) {
  const url = URL.createObjectURL(new Blob([text], {type: 'application/x-ndjson'}));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(url), 0);
}

// The notice after a failed or refused update: its text, then the link that saves the report.
function showReportNotice(notice, text) {
  const link = document.createElement('a');
  link.href = '';
  link.textContent = document.getElementById(PageElement.SaveReport).textContent;
  link.addEventListener('click', askForReport);
  notice.replaceChildren(`${text} `, link);
}

// The stored lines, oldest first; none where the browser's storage is refused.
function storedHistory() {
  try {
    return (localStorage.getItem(kHistoryKey) || '').split('\n').filter(line => line !== '');
  } catch (refused) {
    return [];
  }
}

// One JSON line an update, as spindra-update keeps its history. A storage that is full or that
// the browser refuses (a setting, some private windows) costs the entry, never the update.
function keepInHistory(entry) {
  try {
    localStorage.setItem(kHistoryKey, storedHistory().concat(entry, '').join('\n'));
  } catch (refused) {
    console.warn('The update is not in the history: the browser\'s storage refused it.', refused);
  }
  showHistory();
}

const fill = (text, ...values) => text.replace(/%s/g, () => values.shift());
const hex = number => `0x${(number >>> 0).toString(16).padStart(8, '0')}`;

// An update for people; a line that cannot be read, as it is stored.
function historyLine(stored) {
  let entry;
  try {
    entry = JSON.parse(stored);
  } catch (unreadable) {
    return stored;
  }
  const outcome = entry.outcome === 'Succeeded'
      ? keptTexts[KeptText.HistorySucceeded]
      : fill(keptTexts[KeptText.HistoryFailed], entry.outcome, `${hex(entry.code)}-${hex(entry.systemError)}`);
  const time = String(entry.time).replace('T', ' ').replace('Z', ' UTC');
  return fill(keptTexts[KeptText.HistoryLine], time, entry.unit, entry.unitVersion, entry.escVersionBefore,
              entry.escVersionAfter, outcome);
}

// While it is open: newest first, or that there is none.
function showHistory() {
  if (!document.getElementById(PageElement.History).open) return;
  const items = storedHistory().reverse().map(stored => {
    const item = document.createElement('li');
    item.textContent = historyLine(stored);
    return item;
  });
  document.getElementById(PageElement.HistoryList).replaceChildren(...items);
  document.getElementById(PageElement.HistoryEmpty).hidden = items.length > 0;
}

function listenToReportLine() {
  document.getElementById(PageElement.SaveReport).addEventListener('click', askForReport);
  document.getElementById(PageElement.History).addEventListener('toggle', showHistory);
}
