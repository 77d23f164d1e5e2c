// The pure rules of gridpane.html (its <script id="core">), run by Node
// alone: decoding, the repair of a catalogue cut short, ordering,
// filtering, blocks, coverage and CSV, as tables. And its CSP: the hashes
// of its inline blocks.
import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { PAGE, inlineBlocks, loadCore, policyFor, policyIn } from './page_source.mjs';

const core = loadCore();
// Values made in the core's own context, as plain ones of this context.
const plain = (value) => JSON.parse(JSON.stringify(value));
const bytes = (...parts) => Uint8Array.from(parts.flatMap((p) => (typeof p === 'string' ? [...Buffer.from(p)] : p)));

test('the CSP allows exactly the inline scripts and styles by hash', () => {
  const html = fs.readFileSync(PAGE, 'utf8');
  assert.deepEqual(inlineBlocks(html).map((b) => b.tag + '#' + b.id),
                   ['style#null', 'script#core', 'script#view', 'script#page']);
  assert.equal(policyIn(html), policyFor(html), 'run: node tests/node/page_source.mjs --write');
  assert.doesNotMatch(html, /\sstyle="|\son\w+="/i);
});

describe('catalogue text', () => {
  const declared = (encoding, body) => bytes(`<?xml version="1.0" encoding="${encoding}"?><d a="`, body, '"/>');
  const ok = (text) => ({ text });
  const table = [
    ['UTF-8 by default', bytes('<d>\u00e9</d>'), ok('<d>\u00e9</d>')],
    ['a UTF-8 mark is taken off', bytes([0xEF, 0xBB, 0xBF], '<d/>'), ok('<d/>')],
    ['UTF-16LE by its mark', bytes([0xFF, 0xFE, 0x3C, 0, 0x64, 0, 0x2F, 0, 0x3E, 0]), ok('<d/>')],
    ['UTF-16BE without a mark', bytes([0, 0x3C, 0, 0x3F, 0, 0x78]), ok('<?x')],
    ['ISO-8859-1 exactly, not as windows-1252', declared('ISO-8859-1', [0x80, 0x9F, 0xE9]),
     ok('<?xml version="1.0" encoding="ISO-8859-1"?><d a="\u0080\u009F\u00e9"/>')],
    ['an invalid UTF-8 byte', bytes('<d>', [0xC3, 0x28], '</d>'),
     { error: 'x.xml is not valid UTF-8: it holds bytes that are no characters in that encoding.' }],
    ['a byte beyond ASCII', declared('US-ASCII', [0xE9]), { error: 'x.xml is not valid US-ASCII: byte 47 is beyond ASCII.' }],
    ['an unknown label', declared('x-klingon', []),
     { error: 'x.xml declares the encoding "x-klingon", which this browser cannot read.' }],
    ['blanks only', bytes(' \r\n\t'), { error: 'x.xml is empty.' }],
    ['entities', bytes('<!DOCTYPE d [<!ENTITY a "aaaa">]><d>&a;</d>'),
     { error: 'x.xml is not read: it declares entities (<!ENTITY), which no infsurvey catalogue does,'
             + ' and which can make a browser run out of memory.' }],
  ];
  for (const [name, input, expected] of table) {
    test(name, () => assert.deepEqual(plain(core.catalogueText('x.xml', input)), expected));
  }
  test('a file too large for the browser is named before it is read', () => {
    assert.equal(core.tooLarge('big.xml', core.MAX_BYTES), null);
    assert.equal(core.tooLarge('big.xml', 594 * 2 ** 20),
                 'big.xml is too large for this browser: 594 MB, where it reads at most 511 MB.');
  });
});

describe('a catalogue cut short', () => {
  const head = "<?xml version='1.0'?>\n<?xml-stylesheet href='g.xsl'?>\n<drivers\n location='/r/' >\n"
             + '  <comment>\nc\n  </comment>\n';
  const one = "  <manufacturer name='A' filename='/r/a.inf' >\n    <driver name='A 1' >\n       a1\n    </driver>";
  const table = [
    ['inside a driver\'s text: that driver is left out', head + one + "\n    <driver name='A 2' >\n       a2 is cu",
     head + one + '</manufacturer></drivers>'],
    ['inside a start tag', head + one + "\n    <driver na", head + one + '</manufacturer></drivers>'],
    ['after the root\'s start tag', "<drivers location='x' >\n  <comm", "<drivers location='x' ></drivers>"],
    ['after a comment and markup in quotes', "<drivers a='<b>'><!-- </drivers> --><m>", "<drivers a='<b>'></drivers>"],
    ['an end tag that does not match', head + one + '\n  </wrong>', head + one + '</manufacturer></drivers>'],
    ['complete at the root only', head, head.trimEnd() + '</drivers>'],
    ['no start tag', 'plain text < here', null],
  ];
  for (const [name, input, expected] of table) test(name, () => assert.equal(core.repairCutShort(input), expected));

  test('deep nesting is cut at the depth limit, in one pass', () => {
    const deep = '<drivers>' + '<a>'.repeat(200000);
    assert.equal(core.repairCutShort(deep), '<drivers></drivers>');
    const nested = '<drivers>' + '<a>'.repeat(core.REPAIR_DEPTH - 2) + '</a>' + '<b>'.repeat(100);
    assert.equal(core.repairCutShort(nested), '<drivers>' + '<a>'.repeat(core.REPAIR_DEPTH - 2) + '</a>'
                 + '</a>'.repeat(core.REPAIR_DEPTH - 3) + '</drivers>');
  });
});

test('text to show: characters that turn text around or hide are named', () => {
  for (const [input, shown] of [['Invoice\u202Efdp.exe', 'Invoice\u27E8U+202E\u27E9fdp.exe'],
                                ['Acme\u200B', 'Acme\u27E8U+200B\u27E9'], ['\uFEFFx\u00AD', '\u27E8U+FEFF\u27E9x\u27E8U+00AD\u27E9'],
                                ['tag\u{E0041}', 'tag\u27E8U+E0041\u27E9'], ['Caf\u00e9 \u65e5\u672c \u{1D504}', 'Caf\u00e9 \u65e5\u672c \u{1D504}']]) {
    assert.equal(core.reveal(input), shown);
  }
});

test('a path breaks after its separators, at most PATH_BREAKS times', () => {
  const table = [['C:\\Repo\\a.inf_1\\a.inf', ['C:\\', 'Repo\\', 'a.inf_1\\', 'a.inf']], ['/', ['/']], ['', ['']],
                 ['name', ['name']], ['/r/a/', ['/', 'r/', 'a/']]];
  for (const [path, parts] of table) assert.deepEqual(plain(core.pathParts(path)), parts);
  for (const path of ['/'.repeat(70000), 'a\\'.repeat(1000) + 'b']) {
    const parts = core.pathParts(path);
    assert.ok(parts.length <= core.PATH_BREAKS + 1, String(parts.length));
    assert.equal(parts.join(''), path);
  }
});

test('code point order, as xsltproc sorts', () => {
  const sorted = ['', 'A', 'AB', 'B', 'a', '\u00e9', '\uE000', '\uFFFD', '\uD835\uDD04'];
  assert.deepEqual([...sorted].reverse().sort(core.compareText), sorted);
});

// Catalogues as the page reads them: {name: {manufacturer: {path: [driver names]}}}.
function catalogues(layout) {
  return Object.entries(layout).map(([name, files]) => {
    const catalogue = core.newCatalogue(name, '/r/', 't', '\nc\n  ', false);
    for (const [manufacturer, paths] of Object.entries(files)) {
      for (const [path, drivers] of Object.entries(paths)) {
        const file = core.addFile(catalogue, manufacturer, path);
        for (const driver of drivers) core.addDriver(file, driver, '\n       ' + driver.toUpperCase() + '.GPD\n    ');
      }
    }
    return core.closeCatalogue(catalogue);
  });
}

const FLEET = catalogues({
  'one.xml': { Zeta: { '/r/z.inf': ['Z 1', 'Z 2'] }, Acme: { '/r/b.inf': ['Ink', 'Laser'], '/r/a.inf': [] } },
  'two.xml': { Acme: { '/r/a.inf': ['Ink'] }, 'Acme\u200B': { '/r/c.inf': ['Ink'] } },
  'three.xml': { Zeta: { '/r/z.inf': ['Z 1'] } },
});
const rowText = (row) => [row.file.catalogue.name, row.file.manufacturer, row.file.path, row.name].join('|');

test('rows in grid order: manufacturers by name, files by path, drivers in their order', () => {
  const arrangement = core.arrange(FLEET);
  assert.deepEqual(plain(arrangement.rows.map(rowText)), [
    'one.xml|Acme|/r/a.inf|', 'two.xml|Acme|/r/a.inf|Ink', 'one.xml|Acme|/r/b.inf|Ink', 'one.xml|Acme|/r/b.inf|Laser',
    'two.xml|Acme\u200B|/r/c.inf|Ink', 'one.xml|Zeta|/r/z.inf|Z 1', 'one.xml|Zeta|/r/z.inf|Z 2', 'three.xml|Zeta|/r/z.inf|Z 1']);
  assert.equal(arrangement.driverCount, 7);
  assert.equal(arrangement.rows[2].text, 'INK.GPD');
});

describe('what the filter and the choice keep', () => {
  const arrangement = core.arrange(FLEET);
  const coverageOf = () => core.coverage(arrangement);
  const keep = (text, show = '', previous = null) => core.select(arrangement, { text, show }, previous, coverageOf);
  const table = [
    ['', '', 8, { manufacturers: 3, files: 6, drivers: 7, all: 7 }],
    ['ACME', '', 5, { manufacturers: 2, files: 4, drivers: 4, all: 7 }],
    ['b.inf', '', 2, { manufacturers: 1, files: 1, drivers: 2, all: 7 }],
    ['laser.gpd', '', 1, { manufacturers: 1, files: 1, drivers: 1, all: 7 }],
    ['nothing', '', 0, { manufacturers: 0, files: 0, drivers: 0, all: 7 }],
    ['.gpd\nz', '', 0, { manufacturers: 0, files: 0, drivers: 0, all: 7 }],
    ['', 'missing:two.xml', 4, { manufacturers: 2, files: 3, drivers: 4, all: 7 }],
    ['z 2', 'missing:three.xml', 1, { manufacturers: 1, files: 1, drivers: 1, all: 7 }],
    ['', 'missing:gone.xml', 8, { manufacturers: 3, files: 6, drivers: 7, all: 7 }],
  ];
  for (const [text, show, rows, counts] of table) {
    test(`"${text}" ${show}`, () => {
      const selection = keep(text, show);
      assert.equal(selection.items.length, rows);
      assert.deepEqual(Array.from(selection.items), [...selection.items].sort((a, b) => a - b));
      assert.deepEqual(plain(selection.counts), counts);
    });
  }
  test('the drivers a catalogue lacks', () => {
    assert.deepEqual(Array.from(keep('', 'missing:two.xml').items, (r) => rowText(arrangement.rows[r])),
                     ['one.xml|Acme|/r/b.inf|Laser', 'one.xml|Zeta|/r/z.inf|Z 1', 'one.xml|Zeta|/r/z.inf|Z 2',
                      'three.xml|Zeta|/r/z.inf|Z 1']);
  });
  test('keys typed, taken back and replaced give what a fresh filter gives', () => {
    for (const [show, texts] of [['', ['i', 'in', 'ink', 'in', 'l', 'la', 'ink', 'z', 'z 1', 'z 2', '']],
                                 ['missing:three.xml', ['z', 'z 2', 'z 1', 'a', 'ac', 'c']],
                                 ['coverage', ['i', 'ink', 'k', 'z', 'z 2', 'z', '', 'acme']]]) {
      let previous = null;
      for (const text of texts) {
        previous = keep(text, show, previous);
        assert.deepEqual(Array.from(previous.items), Array.from(keep(text, show).items),
                         `${show} "${text}" after ${texts.join(',')}`);
      }
    }
    const typed = keep('in', '', keep('i'));
    assert.equal(keep('in', '', keep('ink', '', typed)), typed, 'a key taken back gets the earlier selection');
  });
  test('coverage: one row per driver, the catalogues that hold it and those that lack it', () => {
    const selection = keep('', 'coverage');
    assert.deepEqual(plain(core.csvRecords(selection, FLEET)), [
      ['Manufacturer', 'Driver', 'Catalogues', 'Missing from'],
      ['Acme', 'Ink', '2 of 3', 'three.xml'], ['Acme', 'Laser', '1 of 3', 'two.xml, three.xml'],
      ['Acme\u200B', 'Ink', '1 of 3', 'one.xml, three.xml'], ['Zeta', 'Z 1', '2 of 3', 'two.xml'],
      ['Zeta', 'Z 2', '1 of 3', 'two.xml, three.xml']]);
    assert.deepEqual(plain(selection.counts), { drivers: 5, partial: 5, all: 5 });
    assert.deepEqual(plain(keep('laser', 'coverage').counts), { drivers: 1, partial: 1, all: 5 });
  });
});

test('blocks: each repeats the cells of the group and the file it continues', () => {
  const { rows, index } = core.arrange(FLEET);
  const layout = (from, to) => plain(core.blockLayout(rows, index.every, from, to).map((p) =>
    [p.manufacturerSpan, p.fileSpan, +p.starts, +p.groupContinued, +p.continued]));
  assert.deepEqual(layout(0, 8), [[4, 1, 1, 0, 0], [0, 1, 0, 0, 0], [0, 2, 0, 0, 0], [0, 0, 0, 0, 0],
                                  [1, 1, 1, 0, 0], [3, 2, 1, 0, 0], [0, 0, 0, 0, 0], [0, 1, 0, 0, 0]]);
  assert.deepEqual(layout(3, 7), [[1, 1, 0, 1, 1], [1, 1, 1, 0, 0], [2, 2, 1, 0, 0], [0, 0, 0, 0, 0]]);
  assert.deepEqual(layout(6, 8), [[2, 1, 0, 1, 1], [0, 1, 0, 0, 0]]);
});

test('the blocks of a run near the screen: at least one, none outside the run', () => {
  const table = [[[0, 10, 0, 900, 3000], [0, 1]], [[0, 10, 2999, 3001, 3000], [0, 2]], [[5, 10, 6000, 9000, 3000], [7, 8]],
                 [[5, 10, -900, -1, 3000], [5, 6]], [[5, 10, 90000, 99000, 3000], [9, 10]], [[3, 4, 0, 99000, 3000], [3, 4]]];
  for (const [args, expected] of table) assert.deepEqual(plain(core.blocksNear(...args)), expected, args.join(','));
});

test('CSV fields: quoted as RFC 4180, formulas disarmed, C0 controls dropped', () => {
  const table = [['plain', 'plain'], ['a,b', '"a,b"'], ['say "x"', '"say ""x"""'], ['two\nlines', '"two\nlines"'],
                 ['=1+2', "'=1+2"], ['+1', "'+1"], ['-1', "'-1"], ['@cmd', "'@cmd"], ['\tx', "'\tx"],
                 ['\r=1', "\"'\r=1\""], ['\n=1', "\"'\n=1\""], [' =1', "' =1"], ['\u00a0=1', "'\u00a0=1"],
                 ['\uFF1D1', "'\uFF1D1"], ['\uFF0B1', "'\uFF0B1"], ['\uFF0D1', "'\uFF0D1"], ['\uFF20x', "'\uFF20x"],
                 ['\u200B=1', "'\u200B=1"], ['\uFEFF=1', "'\uFEFF=1"], ['\u202E=1', "'\u202E=1"],
                 ['\x01=1', "'=1"], ['a\x00b\x1Fc', 'abc'], ['a-b', 'a-b'], ['x=1', 'x=1'], ['', '']];
  for (const [value, field] of table) assert.equal(core.csvField(value), field, JSON.stringify(value));
  assert.equal(core.csvText([['a', 'b'], ['=c', 'd']]), "\uFEFFa,b\r\n'=c,d\r\n");
});
