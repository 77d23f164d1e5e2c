// Debian's Chromium and Firefox ESR, driven by puppeteer-core through
// their own protocols, and what the tests and the benchmark read from
// gridpane.html and from the pages gridpane.xsl makes.
import puppeteer from 'puppeteer-core';
import { fileURLToPath, pathToFileURL } from 'node:url';
import path from 'node:path';

export const SOURCE = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const PAGE = path.join(SOURCE, 'infsurvey', 'gridpane.html');
export const STYLESHEET = path.join(SOURCE, 'infsurvey', 'gridpane.xsl');
export const fileUrl = (file) => pathToFileURL(file).href;

const ALL = {
  chromium: { browser: 'chrome', executablePath: '/usr/bin/chromium',
              // As root Chromium needs --no-sandbox; the rest keep it off
              // a network this machine does not have.
              args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update',
                     '--disable-sync', '--disable-dev-shm-usage', '--window-size=1280,900'] },
  // puppeteer turns Gecko's file origin policy off; a user's Firefox has
  // it on (and then does not apply gridpane.xsl to a file from disk).
  firefox: { browser: 'firefox', executablePath: '/usr/bin/firefox-esr', args: [],
             extraPrefsFirefox: { 'security.fileuri.strict_origin_policy': true } },
};

// GRIDPANE_ENGINES (default "chromium firefox") chooses the engines.
export const ENGINES = (process.env.GRIDPANE_ENGINES || 'chromium firefox').split(/\s+/).filter(Boolean);

export async function launch(engine) {
  const options = ALL[engine];
  if (!options) throw new Error(`no engine ${engine}`);
  const browser = await puppeteer.launch({ ...options, headless: true, protocolTimeout: 900000,
                                           defaultViewport: { width: 1280, height: 900 } });
  return browser;
}

// The grid's rows with row and column spans resolved: the row's class and
// the text of each of its cells. Runs in the page; the same for
// gridpane.html and the pages of gridpane.xsl.
function readGridInPage() {
  const rows = [];
  for (const table of document.querySelectorAll('table.grid')) {
    for (const body of table.tBodies) {
      const carry = [];
      for (const tr of body.rows) {
        const row = [];
        let column = 0;
        const carried = () => {
          while (carry[column] && carry[column].left > 0) {
            row[column] = carry[column].text;
            carry[column].left--;
            column++;
          }
        };
        for (const td of tr.cells) {
          carried();
          for (let k = 0; k < td.colSpan; k++) {
            row[column] = td.textContent;
            if (td.rowSpan > 1) carry[column] = { text: td.textContent, left: td.rowSpan - 1 };
            column++;
          }
        }
        carried();
        rows.push([tr.className, ...row]);
      }
    }
  }
  const text = (selector) => document.querySelector(selector)?.textContent ?? null;
  return {
    rows,
    facts: [text('#location, .catalogue .location'), text('#time, .catalogue .time'),
            text('#comment, .catalogue .comment')],
    counts: text('p.counts')?.replace(/\s+/g, ' ').trim(),
    title: document.title,
  };
}

export const readGrid = (page) => page.evaluate(readGridInPage);

const completed = (page) => page.evaluate(() => performance.getEntriesByName('gridpane:complete').length);

// Runs `act` (which makes the page draw its grid again) and waits until
// the last drawing it started is complete: keys typed one by one each
// start one, and only the last one's completion marks the page.
export async function drawn(page, act) {
  const before = await completed(page);
  await act();
  await page.waitForFunction((n) => performance.getEntriesByName('gridpane:complete').length > n
                                    && document.documentElement.dataset.grid === 'complete',
                             { timeout: 600000, polling: 50 }, before);
}

// gridpane.html opened from disk, with `files` given through its chooser.
export async function openCatalogues(page, files) {
  await page.goto(fileUrl(PAGE));
  await chooseCatalogues(page, files);
}

export async function chooseCatalogues(page, files) {
  const input = await page.$('#files');
  await drawn(page, () => input.uploadFile(...files));
}
