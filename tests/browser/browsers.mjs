// Debian's Chromium and Firefox ESR, driven by puppeteer-core through
// their own protocols, and WebKitGTK's MiniBrowser, driven by
// selenium-webdriver through WebKitWebDriver on a private Xvfb display;
// all three behind one small page interface (EnginePage). Also what the
// tests and the benchmark read from gridpane.html and from the pages
// gridpane.xsl makes.
import puppeteer from 'puppeteer-core';
import { Builder, By, Key } from 'selenium-webdriver';
import { spawn } from 'node:child_process';
import { fileURLToPath, pathToFileURL } from 'node:url';
import fs from 'node:fs';
import net from 'node:net';
import path from 'node:path';

export const SOURCE = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
// GRIDPANE_PAGE tries another copy of the page (a change, a fault put in).
export const PAGE = process.env.GRIDPANE_PAGE || path.join(SOURCE, 'infsurvey', 'gridpane.html');
export const STYLESHEET = path.join(SOURCE, 'infsurvey', 'gridpane.xsl');
export const fileUrl = (file) => pathToFileURL(file).href;

const PUPPETEER = {
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
const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

// GRIDPANE_ENGINES (default "chromium firefox webkit") chooses the engines.
export const ENGINES = (process.env.GRIDPANE_ENGINES || 'chromium firefox webkit').split(/\s+/).filter(Boolean);

// What a test does with a page, the same in every engine:
//   goto(url), evaluate(fn, ...args) (fn runs in the page; JSON in and out),
//   waitFor(fn, arg, ms), choose(files) (through #files), folder(path) (through
//   #folder; Chromium only), type(selector, text),
//   press(key) (a key name: 'Backspace'), select(selector, value), click(selector),
//   inject(source) (a script text run in the page whatever its policy),
//   viewport(width, height), screenshot(file) (a PNG of what is in sight),
//   errors() (uncaught errors of the page since the last call), pids() (the
//   browser's processes), version, close(), kill() (when close would wait on
//   a tab that does not answer).
export async function launch(engine) {
  if (engine === 'webkit') return launchWebKit();
  const options = PUPPETEER[engine];
  if (!options) throw new Error(`no engine ${engine}`);
  const browser = await puppeteer.launch({ ...options, headless: true, protocolTimeout: 900000,
                                           defaultViewport: { width: 1280, height: 900 } });
  const page = await browser.newPage();
  const errors = [];
  // Gecko reports what its XML parser rejects as errors of the page.
  page.on('pageerror', (e) => /^XML Parsing Error/.test(e.message) || errors.push(e.message));
  const version = await browser.version();
  return {
    engine, version,
    goto: (url) => page.goto(url, { timeout: 600000 }),
    evaluate: (fn, ...args) => page.evaluate(fn, ...args),
    inject: (source) => page.evaluate(source),
    // Polled from here: puppeteer's own wait builds a Function in the
    // page, which the page's policy refuses in some Firefox releases.
    waitFor: (fn, arg, ms = 600000) => until('the page', () => page.evaluate(fn, arg), ms),
    choose: async (files) => (await page.$('#files')).uploadFile(...files),
    folder: async (folder) => (await page.$('#folder')).uploadFile(folder),
    type: (selector, text) => page.type(selector, text),
    press: (key) => page.keyboard.press(key),
    select: (selector, value) => page.evaluate(selectInPage, selector, value),
    click: (selector) => page.click(selector),
    viewport: (width, height) => page.setViewport({ width, height }),
    screenshot: (file) => page.screenshot({ path: file }),
    errors: () => errors.splice(0),
    pids: () => [browser.process().pid],
    close: () => browser.close(),
    kill: () => browser.process()?.kill('SIGKILL'),
  };
}

// Sets a select as a user's choice does: the value, then input and change.
function selectInPage(selector, value) {
  const select = document.querySelector(selector);
  select.value = value;
  select.dispatchEvent(new Event('input', { bubbles: true }));
  select.dispatchEvent(new Event('change', { bubbles: true }));
}

const freePort = () => new Promise((resolve, reject) => {
  const server = net.createServer().listen(0, '127.0.0.1', () => {
    const { port } = server.address();
    server.close(() => resolve(port));
  }).on('error', reject);
});

async function until(what, probe, ms = 20000) {
  for (const end = Date.now() + ms; Date.now() < end; await new Promise((r) => setTimeout(r, 50))) {
    const value = await probe();
    if (value) return value;
  }
  throw new Error(`timed out waiting for ${what}`);
}

// MiniBrowser needs a display: a private Xvfb picks a free one and names
// it on fd 3. WebKitWebDriver then starts MiniBrowser for the session.
async function launchWebKit() {
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x900x24', '-nolisten', 'tcp'],
                     { stdio: ['ignore', 'ignore', 'inherit', 'pipe'] });
  // A program that is not there fails at once, not after the wait.
  let failed = null;
  const started = (child, name) => child.on('error', (e) => {
    failed = new Error(`${name} did not start (${e.message}): scripts/setup.sh installs it`);
  });
  started(xvfb, 'Xvfb');
  let shown = '';
  xvfb.stdio[3].on('data', (chunk) => { shown += chunk; });
  const display = ':' + (await until('Xvfb', () => {
    if (failed) throw failed;
    return /\n/.test(shown) && shown.trim();
  })).trim();
  const port = await freePort();
  const server = started(spawn('WebKitWebDriver', [`--port=${port}`, '--host=127.0.0.1'],
                               { stdio: 'ignore', env: { ...process.env, DISPLAY: display } }), 'WebKitWebDriver');
  const stop = () => { server.kill(); xvfb.kill(); };
  let driver;
  try {
    await until('WebKitWebDriver', () => failed ? Promise.reject(failed) : new Promise((resolve) => {
      const socket = net.connect(port, '127.0.0.1', () => { socket.end(); resolve(true); })
        .on('error', () => resolve(false));
    }));
    driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
      browserName: 'MiniBrowser',
      'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation'] },
    }).build();
    await driver.manage().window().setRect({ width: 1280, height: 900 });
    await driver.manage().setTimeouts({ script: 600000, pageLoad: 600000 });
  } catch (e) {
    stop();
    throw e;
  }
  const evaluate = (fn, ...args) => driver.executeScript(`return (${fn}).apply(null, arguments)`, ...args);
  const keys = { Backspace: Key.BACK_SPACE, Enter: Key.ENTER, Tab: Key.TAB, End: Key.END, Home: Key.HOME };
  const version = (await driver.getCapabilities()).get('browserVersion');
  return {
    engine: 'webkit', version: `WebKitGTK ${version}`,
    // Classic WebDriver reports no errors of the page: a listener put in
    // at each load keeps them.
    goto: async (url) => {
      await driver.get(url);
      await evaluate(() => {
        window.__errors = [];
        window.addEventListener('error', (e) => window.__errors.push(String(e.message)));
        window.addEventListener('unhandledrejection', (e) => window.__errors.push(String(e.reason)));
      });
    },
    evaluate,
    inject: (source) => driver.executeScript(source),
    waitFor: (fn, arg, ms = 600000) => until('the page', () => evaluate(fn, arg), ms),
    // The chooser takes several files as lines of one text.
    choose: async (files) => (await driver.findElement(By.css('#files'))).sendKeys(files.join('\n')),
    type: async (selector, text) => (await driver.findElement(By.css(selector))).sendKeys(text),
    press: async (key) => driver.switchTo().activeElement().then((e) => e.sendKeys(keys[key] ?? key)),
    select: (selector, value) => evaluate(selectInPage, selector, value),
    click: async (selector) => (await driver.findElement(By.css(selector))).click(),
    viewport: (width, height) => driver.manage().window().setRect({ width, height }),
    screenshot: async (file) => fs.writeFileSync(file, await driver.takeScreenshot(), 'base64'),
    errors: async () => (await evaluate(() => (window.__errors || []).splice(0))) ?? [],
    pids: () => [server.pid],
    kill: () => { server.kill('SIGKILL'); xvfb.kill('SIGKILL'); },
    close: async () => {
      try { await driver.quit(); } finally { stop(); }
    },
  };
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
    counts: text('p.counts, #counts')?.replace(/\s+/g, ' ').trim(),
    title: document.title,
  };
}

export const readGrid = (page) => page.evaluate(readGridInPage);

// The messages of #messages: [class, text naming the file].
export const messages = (page) => page.evaluate(() =>
  [...document.querySelectorAll('#messages p')].map((p) => [p.className, p.firstChild?.textContent ?? '']));

const completed = (page) => page.evaluate(() => performance.getEntriesByName('gridpane:complete').length);

// Runs `act` (which makes the page draw its grid again) and waits until
// the last drawing it started is complete: keys typed one by one each
// start one, and only the last one's completion marks the page.
export async function drawn(page, act, ms) {
  const before = await completed(page);
  await act();
  await page.waitFor((n) => performance.getEntriesByName('gridpane:complete').length > n
                            && document.documentElement.dataset.grid === 'complete', before, ms);
}

// Keeps what the page's content policy refuses from now on, and what
// #progress says; violations(page) gives the first and empties the list.
export const watch = (page) => page.evaluate(() => {
  window.__violations = [];
  document.addEventListener('securitypolicyviolation',
                            (e) => window.__violations.push(`${e.violatedDirective} ${e.blockedURI}`));
  window.__progress = [];
  const progress = document.querySelector('#progress');
  if (progress) {
    new MutationObserver(() => window.__progress.push(progress.textContent.trim()))
      .observe(progress, { childList: true, characterData: true, subtree: true, attributes: true });
  }
});
export const violations = (page) => page.evaluate(() => (window.__violations || []).splice(0));

// gridpane.html opened from disk (or `url`), with `files` given through its chooser.
export async function openCatalogues(page, files, url = fileUrl(PAGE)) {
  await page.goto(url);
  await watch(page);
  await chooseCatalogues(page, files);
}

export const chooseCatalogues = (page, files, ms) => drawn(page, () => page.choose(files), ms);
