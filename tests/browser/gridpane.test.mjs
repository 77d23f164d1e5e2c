// gridpane.html in real browsers: opened from disk, catalogues given
// through its file chooser, the grid held against the page that xsltproc
// makes with gridpane.xsl from the same file. Then the filter key by key,
// two catalogues compared, the CSV export, bad and cut-short files, a
// catalogue loaded over HTTP, a large grid scrolled, the content policy,
// a fleet of catalogues, axe-core's checks, and hostile catalogues
// (hostile.mjs) once each.
//
// Environment: INFSURVEY (the program, required), XSLTPROC (default
// xsltproc), INF_CORPUS (the INF corpus with make-store.sh; skipped with a
// message when absent), GRIDPANE_ENGINES (default "chromium firefox
// webkit"), GRIDPANE_HOSTILE_SCALE (rows of the large hostile shapes,
// default 20000: their full scale is the benchmark's).
import { describe, test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { parse } from 'csv-parse/sync';
import { createRequire } from 'node:module';
import { ENGINES, PAGE, SOURCE, STYLESHEET, launch, readGrid, messages, drawn, fileUrl,
         openCatalogues, chooseCatalogues, watch, violations } from './browsers.mjs';
import { hostileCatalogues } from './hostile.mjs';

const INFSURVEY = process.env.INFSURVEY;
const XSLTPROC = process.env.XSLTPROC || 'xsltproc';
const CORPUS = process.env.INF_CORPUS || path.join(SOURCE, '..', 'shared', 'corpus');
if (!INFSURVEY) throw new Error('INFSURVEY must name the infsurvey program');

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'gridpane-'));
const at = (name) => path.join(work, name);

function survey(repository, comment, name) {
  fs.writeFileSync(at(name), execFileSync(INFSURVEY, [repository, comment]));
  return at(name);
}

// A repository of INF files given as {folder: {file: lines}}.
function repository(name, packages) {
  const root = at(name);
  for (const [folder, files] of Object.entries(packages)) {
    fs.mkdirSync(path.join(root, folder), { recursive: true });
    for (const [file, lines] of Object.entries(files)) {
      fs.writeFileSync(path.join(root, folder, file), lines.join('\r\n') + '\r\n', 'latin1');
    }
  }
  return root + '/';
}

// Values a user may really meet, and some that try to become markup:
// the fixture the stylesheet's tests share (see its "about").
const AWKWARD = JSON.parse(fs.readFileSync(path.join(SOURCE, 'tests', 'data', 'awkward-repository.json'), 'utf8'));
const HOSTILE = AWKWARD.packages["fab & <co>'s.inf_amd64_1"]["fab & <co>'s.inf"]
  .find((line) => line.startsWith('Hostile=')).slice('Hostile='.length);

// As the Windows build writes it, with names no INF gives: characters
// beyond U+FFFF sort after U+FFFD in code point order, before it in UTF-16.
function windowsCatalogue() {
  const store = 'C:\\Windows\\System32\\DriverStore\\FileRepository\\';
  const m = (name, folder, drivers) => `  <manufacturer name='${name}' filename='${store}${folder}' >\r\n`
    + drivers.map((d) => `    <driver name='${d}' >\r\n       ${d}.GPD,USBPRINT\\${d}\r\n    </driver>\r\n`).join('')
    + '  </manufacturer>\r\n';
  return '<?xml version="1.0" encoding="utf-8"?>\r\n<?xml-stylesheet href="gridpane.xsl" type="text/xsl"?>\r\n'
    + `<drivers\r\n location='${store}'\r\n time="09:05:00 Mo 07 Dezember 2026" >\r\n`
    + '  <comment>\r\nDrucker im B\u00fcro \u65e5\u672c\r\n  </comment>\r\n'
    + m('\u{1D504}cme', 'a.inf_amd64_1\\a.inf', ['Mono 21'])
    + m('\uFFFDx', 'b.inf_amd64_2\\b.inf', ['B\u00e9ta'])
    + m('\u00c9pson', 'c.inf_amd64_3\\c.inf', [])
    + m('Zeta', 'd.inf_x86_4\\d.inf', ['Z 1', 'Z 2'])
    + '</drivers>\r\n';
}

// More rows than the page draws at once: it draws those near the screen,
// and all of them to print.
function largeCatalogue() {
  const files = [];
  for (let k = 0; k < 700; k++) {
    const drivers = Array.from({ length: k % 17 }, (_, d) =>
      `    <driver name='Model ${k}.${d}' >\r\n       M${d}.GPD,USBPRINT\\M_${k}_${d}\r\n    </driver>\r\n`);
    files.push(`  <manufacturer name='Maker ${k * 7 % 23}' filename='/r/p${k * 37 % 701}.inf_x/p.inf' >\r\n`
               + drivers.join('') + '  </manufacturer>\r\n');
  }
  return '<?xml version="1.0" encoding="utf-8"?>\r\n<drivers\r\n location=\'/r/\'\r\n time="12:00:00 Tue 08 December 2026" >\r\n'
    + '  <comment>\r\nlarge\r\n  </comment>\r\n' + files.join('') + '</drivers>\r\n';
}

const EXAMPLES = path.join(SOURCE, 'examples', 'driver-repository') + '/';
const catalogues = {};
before(() => {
  catalogues.sample = survey(EXAMPLES, 'Sample driver repository', 'sample.xml');
  catalogues.awkward = survey(repository(AWKWARD.repository, AWKWARD.packages), AWKWARD.comment, 'awkward.xml');
  for (const [name, make] of [['windows', windowsCatalogue], ['large', largeCatalogue]]) {
    fs.writeFileSync(at(name + '.xml'), make());
    catalogues[name] = at(name + '.xml');
  }
  fs.mkdirSync(at('none'));
  catalogues.empty = survey(at('none') + '/', '', 'empty.xml');
  if (fs.existsSync(path.join(CORPUS, 'make-store.sh'))) {
    execFileSync('bash', [path.join(CORPUS, 'make-store.sh'), at('corpus-store') + '/']);
    catalogues.corpus = survey(at('corpus-store') + '/', 'corpus', 'corpus.xml');
  } else {
    console.log(`# the INF corpus is not at ${CORPUS}: its catalogue is not compared`);
  }
  for (const [name, file] of Object.entries(catalogues)) {
    fs.writeFileSync(at(name + '.html'), execFileSync(XSLTPROC, [STYLESHEET, file]));
  }
  // A second machine without the Contoso PostScript package.
  const second = at('server2');
  fs.cpSync(EXAMPLES, second, { recursive: true });
  fs.rmSync(path.join(second, 'contosops.inf_amd64_0b5e6c11'), { recursive: true });
  survey(second + '/', 'Second server', 'server2.xml');
});
after(() => fs.rmSync(work, { recursive: true, force: true }));

// The rows of the grid as CSV records: "no drivers" has empty fields.
const records = (rows, catalogue) => rows.map(([cls, m, d, f, v, c]) =>
  cls === 'empty' ? [m, '', f, '', c ?? catalogue] : [m, d, f, v, c ?? catalogue]);

// The CSV export, caught where the page hands it to the browser: the blob
// as it is made (read without a fetch the page's policy may forbid), the
// name as the link offers it.
async function exported(page) {
  await page.evaluate(() => {
    const make = URL.createObjectURL;
    URL.createObjectURL = (blob) => { window.__blob = blob; return make.call(URL, blob); };
    HTMLAnchorElement.prototype.click = function () { window.__saved = this.download; };
  });
  await page.click('#export');
  const saved = await page.evaluate(async () => ({
    name: window.__saved, bytes: [...new Uint8Array(await window.__blob.arrayBuffer())] }));
  return { name: saved.name, bytes: Buffer.from(saved.bytes) };
}

// What one machine of a fleet has: drivers all have, some have, one has;
// in the writer's own form, or as another tool saves it (LF line ends,
// no stylesheet), which only the browser's parser reads.
const FLEET = Array.from({ length: 30 }, (_, k) => `fleet-${String(k + 1).padStart(2, '0')}.xml`);
function fleetCatalogue(k, resaved = false) {
  const driver = (name) => `    <driver name='${name}' >\n       F.GPD,USBPRINT\\${name.replace(/ /g, '_')}\n    </driver>\n`;
  const text = '<?xml version="1.0" encoding="utf-8"?>\n<?xml-stylesheet href="gridpane.xsl" type="text/xsl"?>\n'
    + `<drivers\n location='/srv/${k}/'\n time="12:00:00 Tue 08 December 2026" >\n  <comment>\nmachine ${k}\n  </comment>\n`
    + `  <manufacturer name='Fleet' filename='/srv/common.inf_1/common.inf' >\n`
    + driver('Common') + (k % 2 === 0 ? driver('Even') : '') + '  </manufacturer>\n'
    + `  <manufacturer name='Only' filename='/srv/${k}/only.inf_1/only.inf' >\n${driver(`Only ${k}`)}  </manufacturer>\n`
    + '</drivers>\n';
  return resaved ? text.replace(/<\?xml-stylesheet[^\n]*\n/, '') : text.replace(/\n/g, '\r\n');
}

// The catalogues and the page over HTTP; anything else asked for is kept
// in `fetched` (hostile catalogues name /bait/ addresses).
const fetched = [];
let origin;
const server = http.createServer((request, response) => {
  const name = decodeURIComponent(new URL(request.url, 'http://x').pathname.slice(1));
  const file = name === 'gridpane.html' ? PAGE : at(name);
  if (!/^[\w.-]+$/.test(name) || !fs.existsSync(file)) {
    if (name !== 'favicon.ico') fetched.push(request.url);
    response.writeHead(404).end();
    return;
  }
  response.writeHead(200).end(fs.readFileSync(file));
});
before(async () => {
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  origin = `http://127.0.0.1:${server.address().port}`;
  fs.mkdirSync(at('resaved'));
  FLEET.forEach((name, k) => {
    fs.writeFileSync(at(name), fleetCatalogue(k + 1));
    fs.writeFileSync(at('resaved/' + name), fleetCatalogue(k + 1, k % 2 === 0));
  });
});
after(() => server.close());

const HOSTILE_KINDS = () => hostileCatalogues({ bait: `${origin}/bait`,
                                                scale: Number(process.env.GRIDPANE_HOSTILE_SCALE || 20000) });
const AXE = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

// Settles within `ms`, or rejects: a frozen tab never answers.
const within = (ms, promise, what) => Promise.race([promise, new Promise((resolve, reject) =>
  setTimeout(() => reject(new Error(`${what}: no answer within ${ms} ms`)), ms).unref())]);

// Rows drawn where the screen shows the grid: every point sampled down
// the middle of the viewport that falls on the grid's body falls on a row
// with text, not on a block waiting to be drawn.
function rowsInSightDrawnInPage() {
  const grid = document.querySelector('#grid');
  const box = grid.getBoundingClientRect();
  const x = box.left + box.width * 0.4;
  let seen = 0;
  for (let y = 40; y < innerHeight - 10; y += 37) {
    const hit = document.elementFromPoint(x, y);
    if (!hit || !grid.contains(hit) || hit.closest('thead, th')) continue;
    const row = hit.closest('tbody tr');
    if (!row || !row.textContent.trim()) return false;
    seen++;
  }
  return seen > 0;
}


for (const engine of ENGINES) {
  describe(engine, () => {
    let page;
    before(async () => { page = await launch(engine); });
    after(() => page?.close());
    // Bad and hostile files may make the XML parser build elements with
    // inline styles (Chromium's error report) or handlers (from the file):
    // refused in a document that never shows them, and harmless. Loads,
    // fetches and scripts are never refused: the page never asks for them.
    let parserMade = false;
    afterEach(async () => {
      assert.deepEqual(await page.errors(), [], 'errors in the page');
      const refused = await violations(page);
      assert.deepEqual(refused.filter((v) => !parserMade || !/^(style|script)-src-attr inline$/.test(v)), [],
                       'refused by the content policy');
      parserMade = false;
    });

    test('shows each catalogue as gridpane.xsl does', async () => {
      for (const [name, file] of Object.entries(catalogues)) {
        await page.goto(fileUrl(at(name + '.html')));
        const expected = await readGrid(page);
        await openCatalogues(page, [file]);
        const drawnWhole = await page.evaluate(() => document.querySelectorAll('#grid tbody tr').length);
        assert.equal(drawnWhole < expected.rows.length, name === 'large', name);
        await page.evaluate(() => window.dispatchEvent(new Event('beforeprint')));
        const got = await readGrid(page);
        assert.deepEqual(got, expected, name);
        assert.ok(got.rows.length > 0, name);
      }
      assert.equal(await page.evaluate(() => window.__ran ?? null), null);
      await openCatalogues(page, [catalogues.awkward]);
      assert.equal(await page.evaluate(() => document.querySelectorAll('#grid img, #grid script').length), 0);
      const texts = (await readGrid(page)).rows.map((r) => r[4]);
      assert.ok(texts.includes(HOSTILE), texts.join('|'));
    });

    test('the filter, key by key: narrower, taken back, and a new text', async () => {
      await openCatalogues(page, [catalogues.sample]);
      const all = (await readGrid(page)).rows;
      const none = [['', ...Array(4).fill('No driver matches the filter.')]];
      const steps = [
        // [what is done, the filter's text after it]
        [() => page.type('#filter', 'uSBprint\\acme'), 'usbprint\\acme'],
        [() => page.press('Backspace'), 'usbprint\\acm'],
        [() => page.evaluate(() => document.querySelector('#filter').select()), null],
        [() => page.type('#filter', 'acmel'), 'acmel'],
        [() => page.press('Backspace'), 'acme'],
        [() => page.evaluate(() => document.querySelector('#filter').select()), null],
        [() => page.type('#filter', 'contoso'), 'contoso'],
        [() => page.type('#filter', ' no such thing'), 'contoso no such thing'],
        [() => page.evaluate(() => document.querySelector('#filter').select()), null],
        [() => page.press('Backspace'), ''],
      ];
      // The drivers each text keeps, in grid order; each step changes them,
      // so a filter that kept the last ones fails.
      const acme = ['InkStar20', 'InkStar20', 'InkStar40&'], lasers = ['Acme LaserPro 500', 'Acme LaserPro 500 PS', 'Acme LaserPro 700'];
      const kept = { 'usbprint\\acme': ['InkStar20', 'InkStar40&', ...lasers], 'usbprint\\acm': ['InkStar20', 'InkStar40&', ...lasers],
                     acmel: lasers, acme: [...acme, ...lasers], contoso: ['Contoso PS Class Driver', 'Contoso Print & Scan 3000'],
                     'contoso no such thing': [], '': all.map((r) => r[2]) };
      for (const [act, text] of steps) {
        if (text === null) { await act(); continue; }
        await drawn(page, act);
        const { rows, counts } = await readGrid(page);
        assert.deepEqual(rows.map((r) => r[2]), kept[text].length ? kept[text] : [none[0][2]], text);
        assert.ok(rows.every((r) => !kept[text].length || all.some((a) => a.join('\0') === r.join('\0'))), text);
        assert.match(counts, text ? new RegExp(` ${kept[text].length} drivers? shown, of 10 in all$`) : / 10 drivers$/, text);
      }
    });

    test('two catalogues: each row names its own; the drivers one lacks; the CSV of those', async () => {
      await openCatalogues(page, [catalogues.sample, at('server2.xml')]);
      const both = (await readGrid(page)).rows;
      assert.deepEqual(new Set(both.map((r) => r[5])), new Set(['sample.xml', 'server2.xml']));
      await drawn(page, () => page.select('#show', 'missing:server2.xml'));
      const have = new Set(both.filter((r) => r[5] === 'server2.xml' && r[0] === 'driver').map((r) => r[1] + '\0' + r[2]));
      const lacking = both.filter((r) => r[5] === 'sample.xml' && r[0] === 'driver' && !have.has(r[1] + '\0' + r[2]));
      const { rows } = await readGrid(page);
      assert.deepEqual(rows, lacking);
      assert.deepEqual(rows.map((r) => r[2]), ['Contoso PS Class Driver', 'Contoso Print & Scan 3000']);

      const saved = await exported(page);
      const bytes = saved.bytes;
      assert.equal(saved.name, 'printer-drivers.csv');
      assert.deepEqual([...bytes.subarray(0, 3)], [0xEF, 0xBB, 0xBF]);
      assert.ok(bytes.toString().endsWith('\r\n'));
      const read = parse(bytes, { bom: true, record_delimiter: '\r\n' });
      assert.deepEqual(read, [['Manufacturer', 'Driver', 'INF file', 'Driver text', 'Catalogue'],
                              ...records(rows.map((r) => r.slice(0, 5)), 'sample.xml')]);
    });

    test('CSV: quoting, and values a spreadsheet would run', async () => {
      await openCatalogues(page, [catalogues.awkward]);
      const { rows } = await readGrid(page);
      const read = parse((await exported(page)).bytes, { bom: true }).slice(1);
      // The fields a spreadsheet would run, each with an apostrophe; the rest as shown.
      const armed = ["'@cmd", "'=1+2", "'@cmd", "'-1", "'+e.gpd"];
      assert.deepEqual(read.flat().filter((v) => v.startsWith("'")), armed);
      assert.deepEqual(read.map((r) => r.map((v) => (armed.includes(v) ? v.slice(1) : v))), records(rows, 'awkward.xml'));
      assert.deepEqual(read.filter((r) => r[0] === "'@cmd").map((r) => [r[1], r[3]]),
                       [['Sum', "'=1+2"], ["'-1", "'+e.gpd"]]);
    });

    test('bad and cut-short files get a message that names them; good ones keep their rows', async () => {
      const sample = fs.readFileSync(catalogues.sample);
      const after = (text, from = 0) => sample.indexOf(text, from);
      // Cut inside an element between drivers, and inside a driver's text.
      const cuts = { 'cut.xml': after('</driver>', after('Contoso')) + 20,
                     'cut-text.xml': after('AcmeLaserPro500,') };
      const bad = { 'notes.xml': 'Printers to move:\n  <all of them>\n',
                    'page.xml': '<?xml version="1.0"?>\n<html><body/></html>\n', 'zero.xml': '' };
      for (const [name, end] of Object.entries(cuts)) bad[name] = sample.subarray(0, end);
      for (const [name, text] of Object.entries(bad)) fs.writeFileSync(at(name), text);
      parserMade = true;
      await openCatalogues(page, [catalogues.sample, ...Object.keys(bad).map(at)]);
      const shown = await messages(page);
      assert.equal(shown.length, 5, JSON.stringify(shown));
      const [notXml, notCatalogue, empty, ...cutShort] = shown;
      assert.match(notXml[1], /^notes\.xml is not XML: the parser stopped at line \d+, column \d+\.$/);
      assert.equal(notCatalogue[1], 'page.xml is XML but not an infsurvey catalogue: its root element is not <drivers>.');
      assert.deepEqual(empty, ['error', 'zero.xml is empty.']);
      const { rows } = await readGrid(page);
      const from = (name) => rows.filter((r) => r[5] === name && r[0] === 'driver');
      assert.equal(from('sample.xml').length, 10);
      for (const [[cls, text], [name, end]] of cutShort.map((m, k) => [m, Object.entries(cuts)[k]])) {
        const head = sample.subarray(0, end).toString();
        const drivers = head.split('</driver>').length - 1;
        assert.equal(cls, 'warning');
        assert.match(text, new RegExp(`^${name.replace('.', '\\.')} is incomplete: it breaks off at line \\d+, column \\d+`
                                      + ` before the catalogue ends\\. Its complete elements are shown: \\d+ INF files?, ${drivers} drivers\\.$`));
        assert.equal(from(name).length, drivers, name);
      }
      assert.ok(!rows.some((r) => r[5] === 'cut-text.xml' && r[2] === 'Acme LaserPro 500'), 'a driver cut in its text is shown');
      assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('#catalogues tr.catalogue')].map((tr) =>
        [tr.querySelector('.name').firstChild.textContent, tr.querySelector('.drivers').textContent,
         tr.querySelector('.cut')?.textContent ?? ''])),
      [['sample.xml', '10', ''], ['cut.xml', '6', 'incomplete'], ['cut-text.xml', '7', 'incomplete']]);
    });

    test('served over HTTP, ?catalogue= loads from the same origin only', async () => {
      await page.goto(`${origin}/gridpane.html?catalogue=sample.xml`
                      + '&catalogue=missing.xml&catalogue=http://example.invalid/x.xml');
      await page.waitFor(() => performance.getEntriesByName('gridpane:complete').length);
      const got = await readGrid(page);
      assert.deepEqual((await messages(page)).map((m) => m[1]), [
        'missing.xml could not be loaded: HTTP 404 Not Found',
        'http://example.invalid/x.xml is not on this page\'s server, so it is not loaded.']);
      fetched.splice(0);
      // And chosen, as from disk; the policy refuses nothing either way.
      await openCatalogues(page, [catalogues.sample], `${origin}/gridpane.html`);
      assert.deepEqual(await readGrid(page), got);
      await page.goto(fileUrl(at('sample.html')));
      assert.deepEqual(got, await readGrid(page));
    });

    test('a large grid: the rows in sight are drawn, scrolled to the end and back', async () => {
      await page.goto(fileUrl(at('large.html')));
      const last = (await readGrid(page)).rows.at(-1)[2];
      await openCatalogues(page, [catalogues.large]);
      // Blocks drawn take their own height, not the one guessed for them:
      // the end is reached as a user reaches it, by scrolling on.
      for (const f of [0, 0.25, 0.5, 0.75, 1, 0.5, 0.1, 0]) {
        for (let tries = 0; tries < 10; tries++) {
          await page.evaluate((f) => {
            const grid = document.querySelector('#grid');
            const top = grid.getBoundingClientRect().top + scrollY;
            scrollTo(0, top + (grid.offsetHeight - innerHeight) * f);
          }, f);
          await page.waitFor(rowsInSightDrawnInPage, null, 10000);
          if (f < 1 || await page.evaluate(() => document.querySelector('#grid').getBoundingClientRect().bottom <= innerHeight + 1)) break;
        }
        if (f === 1) {
          assert.ok(await page.evaluate((text) => [...document.querySelectorAll('#grid tbody td')]
            .some((td) => td.textContent === text && td.getBoundingClientRect().bottom <= innerHeight + 1), last), 'the last row');
        }
      }
    });

    test('the content policy: an inline script put in the page does not run', async () => {
      await openCatalogues(page, [catalogues.sample]);
      const ran = await page.evaluate(() => {
        try {
          const script = document.createElement('script');
          script.textContent = 'window.__inline = 1';
          document.body.append(script);
        } catch { /* Trusted Types refuse the text itself */ }
        return window.__inline ?? null;
      });
      assert.equal(ran, null);
      // Refused by the policy, and said so (Gecko also as an error of the
      // page, which may come after the event: waited for, up to 5 s, so
      // that it is not taken for an error of the next test).
      const refused = await violations(page);
      assert.ok(refused.length && refused.every((v) => /^(script-src(-elem)?|require-trusted-types-for) /.test(v)), refused.join());
      const policy = (e) => /^Content-Security-Policy: /.test(e);
      let errors = await page.errors();
      for (let k = 0; page.engine === 'firefox' && !errors.some(policy) && k < 100; k++) {
        await new Promise((resolve) => setTimeout(resolve, 50));
        errors = errors.concat(await page.errors());
      }
      assert.deepEqual(errors.filter((e) => !policy(e)), []);
    });

    test('a fleet of 30: progress, every row, coverage rarest first, missing from; the same whichever reader read each', async () => {
      await openCatalogues(page, FLEET.map(at));
      const said = await page.evaluate(() => window.__progress);
      const counts = said.map((t) => /^Reading (\d+) of (\d+)$/.exec(t)).filter(Boolean);
      assert.ok(counts.length > 0 && counts.every(([, n, m]) => +m === 30 && +n <= 30), JSON.stringify(said));
      assert.equal(await page.evaluate(() => document.querySelector('#progress').textContent.trim()), '');
      assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('#catalogues tr.catalogue .name')]
        .map((e) => e.firstChild.textContent)), FLEET);
      const grid = await readGrid(page);
      assert.match(grid.counts, / 75 drivers$/);
      assert.equal(grid.rows.filter((r) => r[0] === 'driver').length, 75);

      // Rarest first: each "Only" held by one, "Even" by half, "Common" by all.
      const coverage = async () => {
        await drawn(page, () => page.select('#show', 'coverage'));
        return (await readGrid(page)).rows;
      };
      const rows = await coverage();
      const only = FLEET.map((name, k) => [`Only ${k + 1}`, name]).sort(([a], [b]) => (a < b ? -1 : 1));
      const odd = FLEET.filter((_, k) => k % 2 === 0);
      assert.deepEqual(rows, [
        ...only.map(([driver, name]) => ['coverage', 'Only', driver, '1 of 30', 'held by 1: ' + name]),
        ['coverage', 'Fleet', 'Even', '15 of 30', `missing from 15: ${odd.slice(0, 10).join(', ')}, \u2026 (all 15)`],
        ['coverage', 'Fleet', 'Common', '30 of 30', '']]);
      // The whole list a click away; the order turned by the column's title.
      await page.click('#grid details summary');
      await page.waitFor(() => document.querySelector('#grid details p') !== null, null, 10000);
      assert.equal(await page.evaluate(() => document.querySelector('#grid details p').textContent), odd.join(', '));
      await drawn(page, () => page.click('#grid th:nth-child(3) button'));
      assert.deepEqual((await readGrid(page)).rows.slice(0, 2).map((r) => r[2]), ['Common', 'Even']);

      await drawn(page, () => page.select('#show', 'missing:fleet-01.xml'));
      const lacking = new Set((await readGrid(page)).rows.map((r) => r[2]));
      assert.deepEqual([...lacking].sort(), ['Even', ...FLEET.slice(1).map((_, k) => `Only ${k + 2}`)].sort());

      // Half of them saved again by another tool, for the browser's parser.
      await openCatalogues(page, FLEET.map((name) => at('resaved/' + name)));
      assert.deepEqual(await readGrid(page), grid);
      await drawn(page, () => page.select('#show', 'coverage'));
      assert.deepEqual((await readGrid(page)).rows, rows);
    });

    test('a list longer than is drawn: its rows in sight, each reached by scrolling, Remove keeps the keyboard in it', async () => {
      const names = Array.from({ length: 250 }, (_, k) => `list-${k + 1}.xml`);
      names.forEach((name, k) => fs.writeFileSync(at(name), fleetCatalogue(k + 100)));
      await openCatalogues(page, names.map(at));
      // Each row drawn in its place, one run of them; the table counts all.
      const drawnRows = async () => {
        const { count, rows } = await page.evaluate(() => ({
          count: document.querySelector('#catalogues table').getAttribute('aria-rowcount'),
          rows: [...document.querySelectorAll('#catalogues tr.catalogue')]
            .map((tr) => [Number(tr.getAttribute('aria-rowindex')), tr.querySelector('.name').firstChild.textContent]) }));
        assert.equal(count, String(names.length + 1));
        assert.ok(rows.length > 0 && rows.length < 200, String(rows.length));
        rows.forEach(([index, name], k) => assert.deepEqual([index, name], [rows[0][0] + k, names[rows[0][0] + k - 2]]));
        return rows;
      };
      assert.equal((await drawnRows())[0][1], names[0]);
      await page.evaluate(() => { const box = document.querySelector('#catalogues'); box.scrollTop = box.scrollHeight; });
      await page.waitFor((last) => [...document.querySelectorAll('#catalogues tr.catalogue .name')]
        .some((e) => e.firstChild.textContent === last), names.at(-1), 10000);
      assert.equal((await drawnRows()).at(-1)[1], names.at(-1));
      await drawn(page, () => page.click('#catalogues tr.catalogue:last-child button'));
      names.pop();
      await drawnRows();
      assert.equal(await page.evaluate(() => document.activeElement.getAttribute('aria-label')), 'Remove ' + names.at(-1));
    });

    test('files of the same name are kept apart, equal bytes are loaded once, files chosen while others load join them', async () => {
      fs.mkdirSync(at('again'), { recursive: true });
      fs.copyFileSync(at('server2.xml'), at('again/sample.xml'));
      fs.mkdirSync(at('copy'), { recursive: true });
      fs.copyFileSync(catalogues.sample, at('copy/sample.xml'));
      await page.goto(fileUrl(PAGE));
      await watch(page);
      // Reading waits until the test lets it go, so that a choice lands mid-load.
      await page.evaluate(() => {
        const read = Blob.prototype.arrayBuffer;
        const go = new Promise((resolve) => { window.__go = resolve; });
        Blob.prototype.arrayBuffer = function () { return go.then(() => read.call(this)); };
      });
      await page.choose([catalogues.sample]);
      await page.choose([at('again/sample.xml'), at('copy/sample.xml')]);
      await drawn(page, () => page.evaluate(() => window.__go()));
      assert.ok((await page.evaluate(() => window.__progress)).includes('Reading 0 of 3'));
      assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('#catalogues tr.catalogue')].map((tr) =>
        [tr.querySelector('.name').textContent, tr.querySelector('.location').textContent])),
      [['sample.xml', EXAMPLES], ['sample.xml (2)', at('server2') + '/']]);
      assert.deepEqual(await messages(page), [['warning', 'sample.xml has the same bytes as sample.xml, which is loaded: it is not loaded again.']]);
      // Removed, it leaves the list and the choices of view; the keyboard goes on to the next.
      await drawn(page, () => page.click('#catalogues tr.catalogue button'));
      assert.deepEqual(await page.evaluate(() => [[...document.querySelectorAll('#catalogues tr.catalogue .name')].map((e) => e.textContent),
        [...document.querySelectorAll('#show option')].map((o) => o.value), document.activeElement.getAttribute('aria-label')]),
      [['sample.xml (2)'], ['', 'coverage', 'missing:sample.xml (2)'], 'Remove sample.xml (2)']);
    });

    test('a share of catalogues: every .xml below a folder chosen or dropped, each named by its path, the rest named', async () => {
      const share = { 'PC-1/drivers.xml': fs.readFileSync(catalogues.sample, 'latin1'), 'PC-2/sub/drivers.xml': fs.readFileSync(at('server2.xml'), 'latin1'),
                      'PC-3/drivers.xml': fs.readFileSync(catalogues.sample, 'latin1'), 'PC-4/page.xml': '<html/>', 'notes/readme.txt': 'hi' };
      for (const [name, text] of Object.entries(share)) {
        fs.mkdirSync(path.dirname(at('share/' + name)), { recursive: true });
        fs.writeFileSync(at('share/' + name), text, 'latin1');
      }
      const expected = async () => {
        assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('#catalogues tr.catalogue .name')].map((e) => e.textContent).sort()),
                         ['share/PC-1/drivers.xml', 'share/PC-2/sub/drivers.xml']);
        assert.deepEqual((await messages(page)).map(([, text]) => text).sort(), [
          'Skipped 1 file of the folders, not named .xml: share/notes/readme.txt.',
          'share/PC-3/drivers.xml has the same bytes as share/PC-1/drivers.xml, which is loaded: it is not loaded again.',
          'share/PC-4/page.xml is XML but not an infsurvey catalogue: its root element is not <drivers>.']);
      };
      // Dropped: the entries a browser gives for a folder, stood in for by the test's own.
      await page.goto(fileUrl(PAGE));
      await drawn(page, () => page.evaluate((files) => {
        const folder = (name, fullPath, children) => ({ isDirectory: true, name, fullPath, createReader: () => {
          let given = false;
          return { readEntries: (ok) => ok(given ? [] : (given = true, children)) };
        } });
        const tree = { children: new Map() };
        for (const [name, text] of Object.entries(files)) {
          let at = tree, fullPath = '/share';
          for (const part of name.split('/').slice(0, -1)) {
            fullPath += '/' + part;
            if (!at.children.has(part)) at.children.set(part, { fullPath, children: new Map() });
            at = at.children.get(part);
          }
          const base = name.split('/').at(-1);
          at.children.set(base, { isDirectory: false, name: base, fullPath: `/share/${name}`, file: (ok) => ok(new File([text], base)) });
        }
        const entry = (name, node) => (node.children ? folder(name, node.fullPath, [...node.children].map(([n, c]) => entry(n, c))) : node);
        const drop = new Event('drop', { bubbles: true, cancelable: true });
        Object.defineProperty(drop, 'dataTransfer', { value: { items: [{ webkitGetAsEntry: () => entry('share', { fullPath: '/share', children: tree.children }),
                                                                         getAsFile: () => null }], files: [], types: ['Files'] } });
        document.dispatchEvent(drop);
      }, share));
      await expected();
      // Chosen through the folder chooser, which only Chromium's driver can fill.
      if (engine !== 'chromium') return;
      await page.goto(fileUrl(PAGE));
      await drawn(page, async () => (await page.folder(at('share'))));
      await expected();
    });

    test('axe-core finds nothing, with one catalogue, several, and their coverage',
      { skip: engine === 'webkit' && 'axe-core is checked in Chromium and Firefox' }, async () => {
        const check = async (what) => {
          await page.inject(AXE);
          const found = await page.evaluate(async () => (await axe.run(document)).violations
            .map((v) => `${v.id} (${v.impact}): ${v.nodes.length}× ${v.nodes[0].target.join(' ')}`));
          assert.deepEqual(found, [], what);
        };
        await openCatalogues(page, [catalogues.sample]);
        await check('one catalogue');
        await chooseCatalogues(page, [at('server2.xml')]);
        await check('two catalogues');
        await drawn(page, () => page.select('#show', 'coverage'));
        await check('their coverage');
      });

    test('hostile catalogues: rows or a message naming the file, in seconds; nothing fetched or run', async (t) => {
      // A tab that froze or crashed is put down, and the next kind gets a new browser.
      const tried = (name, run) => async () => {
        try {
          await run();
        } catch (e) {
          page.kill();
          page = await launch(engine);
          throw e;
        }
      };
      for (const kind of HOSTILE_KINDS()) {
        await t.test(kind.name, tried(kind.name, async () => {
          fs.writeFileSync(at(kind.name), kind.bytes);
          parserMade = true;
          await page.goto(fileUrl(PAGE));
          await watch(page);
          const started = Date.now();
          const before = await page.evaluate(() => performance.getEntriesByName('gridpane:complete').length);
          await page.choose([at(kind.name)]);
          await within(20000, page.waitFor(([shows, n]) => {
            const progress = document.querySelector('#progress');
            if (progress && !progress.hidden && progress.textContent.trim()) return false;
            if (document.documentElement.dataset.grid === 'drawing') return false;
            const said = document.querySelectorAll('#messages p').length > 0;
            const drew = performance.getEntriesByName('gridpane:complete').length > n;
            return shows === 'message' ? said : shows === 'rows' ? drew : said && drew;
          }, [kind.shows, before], 20000), kind.name);
          t.diagnostic(`${engine} ${kind.name}: ${Date.now() - started} ms`);
          assert.equal(await within(5000, page.evaluate(() => 6 * 7), kind.name), 42);
          const shown = await messages(page);
          const grid = await readGrid(page);
          if (kind.shows !== 'rows') {
            assert.ok(shown.some(([, text]) => text.startsWith(`${kind.name} ${kind.says}`)), JSON.stringify(shown));
          }
          assert.ok(!shown.some(([, text]) => text.includes('SENDER')), JSON.stringify(shown));
          if (kind.shows !== 'message') assert.ok(grid.rows.some((r) => r[0] === 'driver'), kind.name);
          if (kind.drivers) assert.match(grid.counts.replace(/(\d)[,.\u00a0\u202f ](?=\d{3}\b)/g, '$1'), new RegExp(` ${kind.drivers} drivers$`));
          if (kind.check) assert.ok(kind.check(grid), JSON.stringify(grid.rows.slice(0, 3)).slice(0, 400));
          assert.equal(await page.evaluate(() => window.__ran ?? null), null, 'a value ran');
          assert.deepEqual(fetched.splice(0), [], 'fetched');
          fs.rmSync(at(kind.name));
        }));
      }
    });
  });
}
