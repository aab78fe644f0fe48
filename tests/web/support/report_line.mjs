// The page's Report line, the notice that offers the report, and the history, as a user sees them.
import {PageElement} from './page_contract.mjs';

// A saved report's name: what happened, and when in UTC to the minute, with no character that
// a file system forbids.
export function reportName(word) {
  return new RegExp(String.raw`^spindra-report-${word}-\d{4}-\d\d-\d\dT\d{4}Z\.jsonl$`);
}

export function reportNotice(updater) {
  return updater.page.$eval(`#${PageElement.ReportNotice}`, notice => notice.textContent);
}

export function saveReportFromNotice(updater) {
  return updater.saveFile(`#${PageElement.ReportNotice} a`);
}

export function saveReportFromLine(updater) {
  return updater.saveFile(`#${PageElement.SaveReport}`);
}

// The Report line's texts: its caption, its link and the history's control.
export function reportLine(updater) {
  return updater.page.evaluate(element => [element.ReportCaption, element.SaveReport, element.HistoryCaption]
      .map(id => document.getElementById(id).textContent), PageElement);
}

// Opens the history (once a page) and resolves with what it shows: its lines, newest first,
// or the text that there is none.
export async function openHistory(updater) {
  await updater.click(PageElement.HistoryCaption);
  await updater.page.waitForFunction(element => {
    const list = document.getElementById(element.HistoryList);
    return list.children.length > 0 || !document.getElementById(element.HistoryEmpty).hidden;
  }, {polling: 'mutation'}, PageElement);
  return updater.page.evaluate(element => {
    const empty = document.getElementById(element.HistoryEmpty);
    return {lines: [...document.getElementById(element.HistoryList).children].map(item => item.textContent),
            empty: empty.hidden ? null : empty.textContent};
  }, PageElement);
}
