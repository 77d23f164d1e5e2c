// gridpane.html in real browsers: opened from disk, catalogues given
// through its file chooser, the grid held against the page that xsltproc
// makes with gridpane.xsl from the same file. Then the filter, two
// catalogues compared, the CSV export, bad files and hostile values once
// each, and a catalogue loaded over HTTP.
//
// Environment: INFSURVEY (the program, required), XSLTPROC (default
// xsltproc), INF_CORPUS (the INF corpus with make-store.sh; skipped with a
// message when absent), GRIDPANE_ENGINES (default "chromium firefox").
import { describe, test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { parse } from 'csv-parse/sync';
import { ENGINES, PAGE, SOURCE, STYLESHEET, launch, readGrid, drawn, fileUrl,
         openCatalogues, chooseCatalogues } from './browsers.mjs';

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

const printer = (manufacturer, ...models) =>
  ['[Version]', 'Class=Printer', '[Manufacturer]', manufacturer, ...models];

// Values a user may really meet, and some that try to become markup.
const HOSTILE = '<img src=x onerror="window.__ran=1"> <script>window.__ran=2</script>';
const AWKWARD = {
  'fab & <co>\'s.inf_amd64_1': { "fab & <co>'s.inf": printer('"Fab & <Co>"=Fab,NTamd64',
    '[Fab.NTamd64]', '"&amp; already escaped"=a.gpd, &lt;not a tag&gt; &#65;',
    '"Two  blanks"=b.gpd,\tUSBPRINT\\Tab\t"q"', 'Empty=', `Hostile=${HOSTILE}`) },
  'second.inf_x86_2': { 'second.inf': printer('"Fab & <Co>"=Fab,NTx86', '[Fab.NTx86]',
                                              "Later=c.gpd, ]]> and ' and \"") },
  'lower.inf_3': { 'lower.inf': printer('"fab & <co>"=Fab,NTx86', '[Fab.NTx86]', 'Case=d.gpd') },
  'lonely \xe9t\xe9.inf_4': { 'lonely \xe9t\xe9.inf': printer('Lonely=Lonely,NTx86') },
  'fab empty.inf_5': { 'fab empty.inf': printer('"Fab & <Co>"=Fab,NTia64') },
  'formula.inf_6': { 'formula.inf': printer('@cmd=Eq,NTx86', '[Eq.NTx86]', 'Sum==1+2', '-1=+e.gpd') },
};

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

const catalogues = {};
before(() => {
  const examples = path.join(SOURCE, 'examples', 'driver-repository') + '/';
  catalogues.sample = survey(examples, 'Sample driver repository', 'sample.xml');
  catalogues.awkward = survey(repository('awk & <ward>', AWKWARD), 'Line one & <two>\n\tline  two', 'awkward.xml');
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
  fs.cpSync(examples, second, { recursive: true });
  fs.rmSync(path.join(second, 'contosops.inf_amd64_0b5e6c11'), { recursive: true });
  survey(second + '/', 'Second server', 'server2.xml');
});
after(() => fs.rmSync(work, { recursive: true, force: true }));

// The rows of the grid as CSV records: "no drivers" has empty fields.
const records = (rows, catalogue) => rows.map(([cls, m, d, f, v, c]) =>
  cls === 'empty' ? [m, '', f, '', c ?? catalogue] : [m, d, f, v, c ?? catalogue]);

// The CSV export, caught where the page hands it to the browser.
async function exported(page) {
  // The page's CSP lets it fetch nothing but its own server: the blob is
  // caught as it gets its address.
  await page.evaluate(() => {
    const address = URL.createObjectURL;
    URL.createObjectURL = (blob) => { window.__saved = { blob }; return address(blob); };
    HTMLAnchorElement.prototype.click = function () { window.__saved.name = this.download; };
  });
  await page.click('#export');
  const saved = await page.evaluate(async () => ({
    name: window.__saved.name,
    bytes: [...new Uint8Array(await window.__saved.blob.arrayBuffer())] }));
  return { name: saved.name, bytes: Buffer.from(saved.bytes) };
}

for (const engine of ENGINES) {
  describe(engine, () => {
    let browser, page;
    const errors = [];
    before(async () => {
      browser = await launch(engine);
      page = await browser.newPage();
      // Gecko reports what its XML parser rejects as errors of the page.
      page.on('pageerror', (e) => /^XML Parsing Error/.test(e.message) || errors.push(e.message));
    });
    after(() => browser?.close());
    afterEach(() => assert.deepEqual(errors.splice(0), [], 'errors in the page'));

    test('shows each catalogue as gridpane.xsl does', async () => {
      for (const [name, file] of Object.entries(catalogues)) {
        await page.goto(fileUrl(at(name + '.html')));
        const expected = await readGrid(page);
        await openCatalogues(page, [file]);
        const waiting = await page.$$eval('.run, .block.pending', (e) => e.length);
        assert.equal(waiting > 0, name === 'large', name);
        await page.evaluate(() => window.dispatchEvent(new Event('beforeprint')));
        const got = await readGrid(page);
        assert.deepEqual(got, expected, name);
        assert.ok(got.rows.length > 0, name);
      }
      assert.equal(await page.evaluate(() => window.__ran), undefined);
      await openCatalogues(page, [catalogues.awkward]);
      assert.equal(await page.$$eval('#grid img, #grid script', (e) => e.length), 0);
      const texts = (await readGrid(page)).rows.map((r) => r[4]);
      assert.ok(texts.includes(HOSTILE), texts.join('|'));
    });

    test('the filter keeps rows whose four values hold its text, in any case', async () => {
      await openCatalogues(page, [catalogues.sample]);
      const all = (await readGrid(page)).rows;
      await drawn(page, () => page.type('#filter', 'uSBprint\\acme'));
      const needle = 'usbprint\\acme';
      const { rows, counts } = await readGrid(page);
      assert.deepEqual(rows, all.filter((r) => r.slice(1).some((v) => v.toLowerCase().includes(needle))));
      assert.equal(counts, `1 manufacturer · 2 INF files · ${rows.length} drivers shown, of 10 in all`);
      await drawn(page, () => page.type('#filter', 'no such thing'));
      assert.deepEqual((await readGrid(page)).rows, [['', 'No driver matches the filter.',
        'No driver matches the filter.', 'No driver matches the filter.', 'No driver matches the filter.']]);
      await page.$eval('#filter', (box) => box.select());
      await drawn(page, () => page.keyboard.press('Backspace'));
      assert.deepEqual((await readGrid(page)).rows, all);
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
      const armed = (v) => (/^[=+\-@\t\r]/.test(v) ? "'" + v : v);
      assert.deepEqual(read, records(rows, 'awkward.xml').map((r) => r.map(armed)));
      assert.deepEqual(read.filter((r) => r[0] === "'@cmd").map((r) => [r[1], r[3]]),
                       [['Sum', "'=1+2"], ["'-1", "'+e.gpd"]]);
    });

    test('bad files get a message that names them; good ones keep their rows', async () => {
      const sample = fs.readFileSync(catalogues.sample);
      const cut = sample.subarray(0, sample.indexOf('</driver>', sample.indexOf('Contoso')) + 20);
      const bad = { 'notes.xml': 'Printers to move:\n  <all of them>\n',
                    'page.xml': '<?xml version="1.0"?>\n<html><body/></html>\n',
                    'zero.xml': '', 'cut.xml': cut };
      for (const [name, text] of Object.entries(bad)) fs.writeFileSync(at(name), text);
      await page.goto(fileUrl(PAGE));
      await chooseCatalogues(page, [catalogues.sample, ...Object.keys(bad).map(at)]);
      const messages = await page.$$eval('#messages p', (ps) => ps.map((p) => [p.className, p.firstChild.textContent]));
      assert.equal(messages.length, 4, JSON.stringify(messages));
      const [notXml, notCatalogue, empty, cutShort] = messages;
      assert.match(notXml[1], /^notes\.xml is not XML: the parser stopped at line \d+, column \d+ \(.+\)\.$/);
      assert.equal(notCatalogue[1], 'page.xml is XML but not an infsurvey catalogue: its root element is <html>, not <drivers>.');
      assert.deepEqual(empty, ['error', 'zero.xml is empty.']);
      assert.equal(cutShort[0], 'warning');
      assert.match(cutShort[1], /^cut\.xml is incomplete: it breaks off at line \d+, column \d+ before the catalogue ends\. Its complete elements are shown: 3 INF files, 6 drivers\.$/);
      const { rows } = await readGrid(page);
      const from = (name) => rows.filter((r) => r[5] === name).length;
      assert.deepEqual([from('sample.xml'), from('cut.xml')], [10, 6]);
      assert.deepEqual(await page.$$eval('#catalogues tr.catalogue', (trs) => trs.map((tr) =>
        [tr.querySelector('.name').firstChild.textContent, tr.querySelector('.drivers').textContent,
         tr.querySelector('.cut')?.textContent ?? ''])), [['sample.xml', '10', ''], ['cut.xml', '6', 'incomplete']]);
    });

    test('served over HTTP, ?catalogue= loads from the same origin only', async () => {
      const server = http.createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, 'http://x').pathname.slice(1));
        const file = name === 'gridpane.html' ? PAGE : at(name);
        if (!/^[\w.-]+$/.test(name) || !fs.existsSync(file)) { response.writeHead(404).end(); return; }
        response.writeHead(200).end(fs.readFileSync(file));
      });
      await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
      try {
        const origin = `http://127.0.0.1:${server.address().port}`;
        await page.goto(`${origin}/gridpane.html?catalogue=sample.xml`
                        + '&catalogue=missing.xml&catalogue=http://example.invalid/x.xml');
        await page.waitForFunction(() => performance.getEntriesByName('gridpane:complete').length);
        const got = await readGrid(page);
        assert.deepEqual(await page.$$eval('#messages p', (ps) => ps.map((p) => p.firstChild.textContent)), [
          'missing.xml could not be loaded: HTTP 404 Not Found',
          'http://example.invalid/x.xml is not on this page\'s server, so it is not loaded.']);
        await page.goto(fileUrl(at('sample.html')));
        assert.deepEqual(got, await readGrid(page));
      } finally {
        server.close();
      }
    });
  });
}
