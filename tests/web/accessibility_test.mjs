// The page for a user of the keyboard, a screen reader or a phone-sized screen: named windows,
// notices a screen reader reaches, a readable red row, focus where it was, nothing sideways.
import assert from 'node:assert/strict';
import {test} from 'node:test';
import {catalogueText, pageText} from './support/catalogue.mjs';
import {withUpdater} from './support/updater_page.mjs';
import {PageElement} from './support/page_contract.mjs';

const kFailedCaption = 40002;
const kProgressTitle = 40029;
const kNarrowWidth = 320;

// WCAG's contrast ratio of two CSS rgb() colours.
function contrast(foreground, background) {
  const luminance = colour => {
    const [r, g, b] = colour.match(/\d+(\.\d+)?/g).slice(0, 3).map(Number).map(channel => {
      const c = channel / 255;
      return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
    });
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
  };
  const [light, dark] = [luminance(foreground), luminance(background)].sort((a, b) => b - a);
  return (light + 0.05) / (dark + 0.05);
}

test('the ESC row reads at 4.5:1 or more on the panel', () => withUpdater({}, async updater => {
  const rows = await updater.page.$$eval('.esc-row', cells => cells.map(cell => {
    let behind = cell;
    while (getComputedStyle(behind).backgroundColor === 'rgba(0, 0, 0, 0)') behind = behind.parentElement;
    return {id: cell.id, colour: getComputedStyle(cell).color, background: getComputedStyle(behind).backgroundColor};
  }));
  assert.equal(rows.length, 2);
  for (const {id, colour, background} of rows) {
    assert.notEqual(colour, 'rgb(0, 0, 0)', `${id} is red`);
    assert.ok(contrast(colour, background) >= 4.5, `${id}: ${colour} on ${background}`);
  }
}));

// What sticks out sideways on a narrow page: the page's scroll width beyond the view, and every
// element shown that reaches out of its window (the page's frame or a box) or the view.
function sideways(updater) {
  return updater.page.evaluate(() => {
    const sticksOut = element => {
      const frame = (element.parentElement.closest('main, dialog') ?? document.documentElement).getBoundingClientRect();
      const {left, right} = element.getBoundingClientRect();
      return left < frame.left || right > frame.right;
    };
    const past = [...document.querySelectorAll('body *')]
        .filter(element => element.checkVisibility() && sticksOut(element))
        .map(element => element.id || element.tagName);
    return {scrollWidth: document.documentElement.scrollWidth, past};
  });
}

async function expectNothingSideways(updater, when) {
  assert.deepEqual(await sideways(updater), {scrollWidth: kNarrowWidth, past: []}, when);
}

// The nodes of the accessibility tree (with what a screen reader is told of each) of a role.
async function accessibleNodes(updater, role) {
  const found = [];
  const visit = node => {
    if (node.role === role) found.push({name: node.name, description: node.description ?? ''});
    for (const child of node.children ?? []) visit(child);
  };
  visit(await updater.page.accessibility.snapshot());
  return found;
}

// The buttons (by id, else by label) that Tab reaches in so many presses, each once, in order.
async function buttonsReachedByTab(updater, presses) {
  const reached = [];
  for (let press = 0; press < presses; ++press) {
    await updater.page.keyboard.press('Tab');
    const button = await updater.page.evaluate(() => {
      const focused = document.activeElement;
      return focused.tagName === 'BUTTON' ? focused.id || focused.textContent : '';
    });
    if (button !== '' && !reached.includes(button)) reached.push(button);
  }
  return reached;
}

const focusedId = updater => updater.page.evaluate(() => document.activeElement.id);

test('the page by keyboard and screen reader on a narrow screen, through an update that fails', () =>
  withUpdater({}, async updater => {
    const {page} = updater;
    await page.setViewport({width: kNarrowWidth, height: 640});
    await expectNothingSideways(updater, 'ready');
    const enabledButtons = await page.$$eval(`#${PageElement.Buttons} button`, buttons =>
      buttons.filter(button => !button.disabled && button.checkVisibility()).map(button => button.id));
    assert.deepEqual(enabledButtons, [PageElement.Update, PageElement.Connect, PageElement.Close]);
    assert.deepEqual(await buttonsReachedByTab(updater, 8), enabledButtons);

    // The question, asked from the keyboard: named by its caption, told by its text.
    await page.focus(`#${PageElement.Update}`);
    await page.keyboard.press('Enter');
    const question = await updater.box();
    assert.deepEqual(await accessibleNodes(updater, 'alertdialog'), [{name: question.caption, description: question.text}]);
    // The focus starts on the first button and stays in the box.
    assert.deepEqual((await buttonsReachedByTab(updater, 4)).sort(), question.buttons.map(([, label]) => label).sort());
    await expectNothingSideways(updater, 'the question');
    await page.keyboard.press('Escape');
    await page.waitForSelector(`#${PageElement.Box}:not([open])`);
    assert.equal(await focusedId(updater), PageElement.Update, 'after the question cancelled');

    // The progress window's closing is seen as it happens, before the failure's box.
    await page.evaluate(id => {
      const progress = document.getElementById(id);
      new MutationObserver((changes, observer) => {
        if (progress.open) return;
        self.focusAfterProgress = document.activeElement.id;
        observer.disconnect();
      }).observe(progress, {attributeFilter: ['open']});
    }, PageElement.Progress);
    await updater.inWorker('self.hidStandIn.unplugAtBlock(300)');
    await page.keyboard.press('Enter');
    await updater.box();
    await page.keyboard.press('Enter');

    // From the lock on the notice is in the page, announced; then in the progress window.
    await updater.untilShown(PageElement.KeepOpen);
    const keepOpen = pageText('KeepOpen');
    assert.equal(await page.$eval(`#${PageElement.KeepOpen}`, notice => notice.textContent), keepOpen);
    assert.deepEqual(await page.$eval(`#${PageElement.KeepOpen}`, notice => [notice.closest('dialog[open], main').id, notice.role]),
                     [PageElement.Dialog, 'status']);
    await page.waitForSelector(`#${PageElement.Progress}[open]`, {timeout: 20000});
    assert.equal(await page.$eval(`#${PageElement.KeepOpen}`, notice => notice.parentElement.id), PageElement.Progress);
    assert.deepEqual(await accessibleNodes(updater, 'dialog'), [{name: catalogueText(kProgressTitle), description: keepOpen}]);
    assert.deepEqual((await accessibleNodes(updater, 'progressbar')).map(bar => bar.name), [catalogueText(kProgressTitle)]);
    assert.deepEqual((await accessibleNodes(updater, 'status')).map(status => status.name || keepOpen), [keepOpen]);
    await expectNothingSideways(updater, 'the progress window');

    const failure = await updater.box(60000);
    assert.equal(failure.caption, catalogueText(kFailedCaption));
    assert.equal(await page.evaluate(() => self.focusAfterProgress), PageElement.Update, 'after the progress window');
    await expectNothingSideways(updater, 'the failure box');
    await page.keyboard.press('Enter');
    await updater.idle();
    // Update, which had the focus, is disabled now: the focus goes to the first button that can take it.
    assert.equal(await focusedId(updater), PageElement.Connect, 'after the failure box');
    assert.equal(await page.$eval(`#${PageElement.KeepOpen}`, notice => notice.closest('main')?.id), PageElement.Dialog);
    await expectNothingSideways(updater, 'failed');
  }));
