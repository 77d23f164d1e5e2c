// Times gridpane.html in one browser, driven as the browser tests drive it.
//
//   node bench/page.mjs single ENGINE CATALOGUE FLOOR_PAGE REPS
//   node bench/page.mjs fleet ENGINE DIR REPS
//   node bench/page.mjs hostile ENGINE REPS
//   node bench/page.mjs reader ENGINE FILES...
//
// single: against its floor, the same browser loading the static page
// that xsltproc makes with gridpane.xsl from the same catalogue. One line
// of medians (ms): floor, page complete, the ratio, page first rows, and
// the slowest answer of the filter to a key. Floor: from navigation until
// the load event has passed and a frame is painted. Page: from the
// chooser's change event until the grid is drawn whole (or its first rows
// are), painted. Filter: from the input event until the first rows of the
// new grid are painted.
//
// fleet: every catalogue in DIR chosen at once. Medians (ms) from the
// choice to the first progress shown, to the first rows, to the grid
// complete; the slowest filter key ("laser 12" typed key by key); the
// coverage view and "missing from" (the first catalogue), from the
// choice to the grid complete; the memory the browser's processes took
// for the catalogues (proportional set size, all processes) in MiB per
// 100,000 rows, and all they hold then, in MiB; and the longest the
// page's main thread was busy while it read (the longest gap between two
// turns of a timer that runs as often as it is let).
//
// reader: the reader of infsurvey's own form against the browser's XML
// parser with the core's reading of its document, on the same files, in
// a page of their own (the core's script alone): MB/s of each, medians
// of 5 passes.
//
// hostile: each kind of the tests' hostile.mjs at the scale of 200,000
// (200,000 drivers of one INF file, 200,000 manufacturers, a million
// attributes, 200,000 manufacturers cut short, ...), one line each: the
// longest the main thread was busy from the choice until the page was
// done with it, and for the two kinds that show rows the page complete
// and the slowest filter key, medians (ms; "-" where not taken).
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { launch, fileUrl, PAGE, drawn } from '../tests/browser/browsers.mjs';
import { hostileCatalogues } from '../tests/browser/hostile.mjs';
import { inlineBlocks } from '../tests/node/page_source.mjs';

const [mode, engine, ...rest] = process.argv.slice(2);
const median = (xs) => [...xs].sort((a, b) => a - b)[(xs.length - 1) >> 1];
const KEYS = [...'laser 12'];

// From the last `from` mark to the first `to` mark after it.
const since = (page, from, to) => page.evaluate((a, b) => {
  const start = performance.getEntriesByName(a).at(-1).startTime;
  return performance.getEntriesByName(b).find((e) => e.startTime >= start).startTime - start;
}, from, 'gridpane:' + to);

// Keys as a user types them, each waited for; the slowest counts.
async function slowestKey(page) {
  let slowest = 0;
  await page.click('#filter');
  for (const key of KEYS) {
    await drawn(page, () => page.press(key), 900000);
    slowest = Math.max(slowest, await since(page, 'gridpane:filter', 'first-rows'));
  }
  return slowest;
}

// A choice in #show, timed from the change to the grid complete.
async function shown(page, value) {
  await drawn(page, () => page.evaluate((v) => {
    performance.mark('bench:show');
    const select = document.querySelector('#show');
    select.value = v;
    select.dispatchEvent(new Event('change'));
  }, value), 900000);
  return since(page, 'bench:show', 'complete');
}

// Proportional set size of `root` and every process under it, in KiB.
function pssKiB(root) {
  const parent = new Map();
  for (const pid of fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      parent.set(+pid, +stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
    } catch { /* gone */ }
  }
  const tree = new Set([root]);
  for (let grew = true; grew;) {
    grew = false;
    for (const [pid, ppid] of parent) if (tree.has(ppid) && !tree.has(pid)) { tree.add(pid); grew = true; }
  }
  let total = 0;
  for (const pid of tree) {
    try {
      total += +/^Pss:\s+(\d+)/m.exec(fs.readFileSync(`/proc/${pid}/smaps_rollup`, 'utf8'))[1];
    } catch { /* gone */ }
  }
  return total;
}
const settle = () => new Promise((resolve) => setTimeout(resolve, 1500));

// The longest the page's main thread is busy from the next choice on
// (the longest gap between two turns of a timer that runs as often as it
// is let) until the grid is complete: what the browser does before the
// choice reaches the page (a FileList of 10,000 files) is not the page's.
const watchStall = (page) => page.evaluate(() => {
  window.__stall = 0;
  document.addEventListener('change', () => {
    let last = performance.now();
    const beat = () => {
      const now = performance.now();
      window.__stall = Math.max(window.__stall, now - last);
      last = now;
      if (document.documentElement.dataset.grid !== 'complete') setTimeout(beat, 0);
    };
    setTimeout(beat, 0);
  }, { capture: true, once: true });
});
const stallOf = (page) => page.evaluate(() => window.__stall);

const page = await launch(engine);
let line;
try {
  if (mode === 'single') {
    const [catalogue, floorPage, reps] = rest;
    const results = { floor: [], complete: [], first: [], filter: [] };
    for (let k = 0; k < Number(reps || 3); k++) {
      // In turn, each in a fresh document.
      await page.goto(fileUrl(floorPage));
      results.floor.push(await page.evaluate(() => new Promise((resolve) =>
        requestAnimationFrame(() => setTimeout(() => resolve(performance.now()), 0)))));
      await page.goto(fileUrl(PAGE));
      await drawn(page, () => page.choose([catalogue]), 900000);
      results.complete.push(await since(page, 'gridpane:load', 'complete'));
      results.first.push(await since(page, 'gridpane:load', 'first-rows'));
      results.filter.push(await slowestKey(page));
      await page.goto('about:blank');
    }
    const f = median(results.floor), c = median(results.complete);
    line = [Math.round(f), Math.round(c), (c / f).toFixed(2), Math.round(median(results.first)),
            Math.round(median(results.filter))];
  } else if (mode === 'fleet') {
    const [dir, reps] = rest;
    const files = fs.readdirSync(dir).filter((f) => f.endsWith('.xml')).sort().map((f) => path.join(dir, f));
    const rows = files.reduce((n, f) => n + fs.readFileSync(f, 'latin1').split('<driver ').length - 1, 0);
    const r = { progress: [], first: [], complete: [], key: [], coverage: [], missing: [], memory: [], held: [], stall: [] };
    for (let k = 0; k < Number(reps || 3); k++) {
      await page.goto(fileUrl(PAGE));
      await settle();
      const before = page.pids().reduce((n, pid) => n + pssKiB(pid), 0);
      await watchStall(page);
      await drawn(page, () => page.choose(files), 2400000);
      r.stall.push(await stallOf(page));
      r.progress.push(await since(page, 'gridpane:load', 'progress'));
      r.first.push(await since(page, 'gridpane:load', 'first-rows'));
      r.complete.push(await since(page, 'gridpane:load', 'complete'));
      await settle();
      const after = page.pids().reduce((n, pid) => n + pssKiB(pid), 0);
      r.memory.push((after - before) / 1024 / rows * 100000);
      r.held.push(after / 1024);
      r.key.push(await slowestKey(page));
      r.coverage.push(await shown(page, 'coverage'));
      await shown(page, '');
      r.missing.push(await shown(page, 'missing:' + path.basename(files[0])));
      await page.goto('about:blank');
    }
    line = [files.length, rows, ...['progress', 'first', 'complete', 'key', 'coverage', 'missing']
      .map((name) => Math.round(median(r[name]))), median(r.memory).toFixed(0), Math.round(median(r.held)),
            Math.round(median(r.stall))];
  } else if (mode === 'hostile') {
    const [reps] = rest;
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'gridpane-bench-'));
    const lines = [];
    try {
      for (const kind of hostileCatalogues({ bait: 'http://127.0.0.1:9/', scale: 200000 })) {
        const file = path.join(dir, kind.name);
        fs.writeFileSync(file, kind.bytes);
        const timed = ['one-file.xml', 'makers.xml'].includes(kind.name);
        const stall = [], complete = [], key = [];
        for (let k = 0; k < Number(reps || 3); k++) {
          await page.goto(fileUrl(PAGE));
          await watchStall(page);
          await drawn(page, () => page.choose([file]), 900000);
          stall.push(await stallOf(page));
          if (!timed) continue;
          complete.push(await since(page, 'gridpane:load', 'complete'));
          key.push(await slowestKey(page));
        }
        fs.rmSync(file);
        lines.push([kind.name, (kind.bytes.length / 1e6).toFixed(1), Math.round(median(stall)),
                    ...(timed ? [Math.round(median(complete)), Math.round(median(key))] : ['-', '-'])].join(' '));
      }
      line = [lines.join('\n' + engine + ' ')];
    } finally {
      fs.rmSync(dir, { recursive: true, force: true });
    }
  } else if (mode === 'reader') {
    const core = inlineBlocks(fs.readFileSync(PAGE, 'utf8')).find((block) => block.id === 'core').text;
    const texts = rest.map((file) => fs.readFileSync(file, 'utf8'));
    await page.goto('about:blank');
    line = await page.evaluate((core, texts) => {
      (0, eval)(core);
      const { newStore, readWritersForm, readDocument } = globalThis.gridpaneCore;
      const run = (steps) => { for (;;) { const step = steps.next(); if (step.done) return step.value; } };
      const bytes = texts.reduce((n, text) => n + text.length, 0) / 1e6;
      const rate = (read) => {
        const times = [];
        for (let pass = 0; pass < 5; pass++) {
          const store = newStore(), start = performance.now();
          texts.forEach((text, k) => read(store, 'c' + k, text));
          times.push(performance.now() - start);
        }
        return Math.round(bytes / (times.sort((a, b) => a - b)[2] / 1000));
      };
      const own = rate((store, name, text) => run(readWritersForm(store, name, text)));
      const parser = new DOMParser();
      const parsed = rate((store, name, text) => readDocument(store, name, parser.parseFromString(text, 'application/xml').documentElement, false));
      return [texts.length, bytes.toFixed(1), own, parsed];
    }, core, texts);
  } else {
    throw new Error(`no mode ${mode}: single, fleet, hostile or reader`);
  }
} finally {
  await page.close();
}
console.log([engine, ...line].join(' '));
