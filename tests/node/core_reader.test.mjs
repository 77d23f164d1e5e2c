// Reading a catalogue: the core's reader of the writer's own form against
// a standards-conforming parser and the reader of the parsed document,
// on generated catalogues, their every cut, and texts the writer would
// not write.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fc, { runs } from './properties.mjs';
import { catalogueValues, fileValues, parsed, run, valuesOf, written } from './catalogues.mjs';
import { loadCore, plain } from './page_source.mjs';

const core = loadCore();

// Both readers of a text into stores of their own: the writer's form
// (null where it declines) and the parsed document (null where it is not
// XML), as plain values.
function bothReaders(text, incomplete = false) {
  const fast = core.newStore(), slow = core.newStore();
  const root = parsed(text);
  return [valuesOf(fast, run(core.readWritersForm(fast, 'c.xml', text))),
          root && valuesOf(slow, core.readDocument(slow, 'c.xml', root, incomplete))];
}

const END = fc.constantFrom('\r\n', '\n');
// A line end in a driver's text takes a line of the form apart: then
// the reader of the form may leave the text to the parser.
const breaksLines = (values) => values.files.some((file) => file.drivers.some((driver) => driver.text.includes('\n')));
// What the parser makes of a text, repaired where it is cut short.
const parsedOrRepaired = (text) => (parsed(text) ? bothReaders(text)[1] : bothReaders(core.repairCutShort(text) ?? '', true)[1]);

test('what the writer writes, the reader of its form reads as the parser does', () => {
  fc.assert(fc.property(catalogueValues(), END, (values, end) => {
    const text = written(values, end);
    const [fast, parsedBack] = bothReaders(text);
    if (fast === null && end === '\n' && breaksLines(values)) return;
    assert.deepEqual(plain(fast), plain(parsedBack));
    assert.deepEqual(plain(fast), plain({ ...values, incomplete: false,
                                          driverCount: values.files.reduce((n, file) => n + file.drivers.length, 0) }));
  }), runs(300));
});

test('a text cut anywhere after its head: what the repair and the parser make of it, or the parser\'s turn', () => {
  // (A place drawn as a whole number: a fraction drawn by fast-check keeps near 0 and 1.)
  fc.assert(fc.property(catalogueValues(), END, fc.nat(), (values, end, where) => {
    const text = written(values, end);
    const head = text.indexOf('  </comment>' + end) + '  </comment>'.length;
    const cut = text.slice(0, head + where % (text.length - head + 1));
    const [fast] = bothReaders(cut);
    if (fast !== null || !breaksLines(values)) assert.deepEqual(plain(fast), plain(parsedOrRepaired(cut)));
    const lines = cut.split('\n');
    assert.deepEqual(plain(core.endOf(cut)), { line: lines.length, column: lines.at(-1).length + 1 });
  }), runs(500));
});

test('a text changed where the writer would not: declined, or read as the parser reads it', () => {
  const change = fc.tuple(fc.nat(), fc.nat(3),
                          fc.constantFrom('<', '>', '&', "'", '"', ' ', '\r', '\n', '\t', '\u00e9', '/', '=', 'x', '&#10;', '&amp;', '\0'));
  fc.assert(fc.property(catalogueValues(), END, change, (values, end, [where, drop, insert]) => {
    const text = written(values, end);
    const at = where % (text.length + 1);
    const changed = text.slice(0, at) + insert + text.slice(at + drop);
    const [fast] = bothReaders(changed);
    if (fast !== null) assert.deepEqual(plain(fast), plain(parsedOrRepaired(changed)));
  }), runs(1000));
});

// Two files whose elements begin alike and are as long: told apart by the rest.
const [a, b] = ['Ink', 'ink'].map((name) => [{ manufacturer: 'M', path: 'p', drivers: [{ name, text: '' }] }]);

test('a file is stored once, whichever reader met it and however many catalogues hold it', () => {
  const shared = fc.array(fileValues, { minLength: 1, maxLength: 4 })
    .chain((pool) => fc.array(fc.tuple(catalogueValues(fc.subarray(pool)), END, fc.boolean()), { minLength: 1, maxLength: 4 }));
  fc.assert(fc.property(shared, (catalogues) => {
    const store = core.newStore();
    const read = catalogues.map(([values, end, byParser]) => {
      const text = written(values, end);
      return byParser ? core.readDocument(store, 'c.xml', parsed(text), false) : run(core.readWritersForm(store, 'c.xml', text))
        ?? core.readDocument(store, 'c.xml', parsed(text), false);
    });
    const distinct = new Set(catalogues.flatMap(([values]) => values.files.map((file) => JSON.stringify(file))));
    assert.equal(store.manufacturer.length, distinct.size);
    read.forEach((catalogue, k) => assert.deepEqual(plain(valuesOf(store, catalogue).files), plain(catalogues[k][0].files)));
  }), { ...runs(200), examples: [[[a, b, a].map((files) => [{ location: '', time: '', comment: '', files }, '\r\n', false])]] });
});

test('a document read as gridpane.xsl reads it: parts missing, others of no concern; roots that are no catalogue', () => {
  const store = core.newStore();
  const text = "<drivers><manufacturer filename='x'><driver>t</driver></manufacturer><manufacturer name='m'>"
    + "<driver name='d'>\n       t\n    </driver><driver>u</driver><x:driver xmlns:x='u' name='y'/>text</manufacturer>"
    + "<x:comment xmlns:x='u'>no</x:comment><comment>\nc\n  </comment><comment>second</comment></drivers>";
  assert.deepEqual(valuesOf(store, core.readDocument(store, 'c.xml', parsed(text), true)), {
    location: '', time: '', comment: 'c', incomplete: true, driverCount: 2,
    files: [{ manufacturer: 'm', path: '', drivers: [{ name: 'd', text: 't' }, { name: '', text: 'u' }] }] });
  assert.equal(valuesOf(store, core.readDocument(store, 'c.xml', parsed('<drivers/>'), false)).comment, '');
  const not = ' is XML but not an infsurvey catalogue: its root element';
  for (const [root, said] of [['<drivers/>', null], ['<html/>', `c.xml${not} is not <drivers>.`],
                              ['<drivers xmlns="u"/>', `c.xml${not} <drivers> is in a namespace, as no catalogue's is.`]]) {
    assert.equal(core.notCatalogue('c.xml', parsed(root)), said);
  }
});

test('the reader yields between slices of work: every so many elements, and drivers of one element', () => {
  const { WORK } = core;
  for (const [files, drivers] of [[2 * WORK + 3, 0], [1, 2 * WORK]]) {
    const values = { location: '', time: '', comment: '', files: Array.from({ length: files }, (_, k) => ({
      manufacturer: 'm', path: String(k), drivers: Array.from({ length: drivers }, (_, d) => ({ name: String(d), text: '' })) })) };
    let yields = 0;
    for (const steps = core.readWritersForm(core.newStore(), 'c.xml', written(values)); !steps.next().done;) yields++;
    assert.equal(yields, Math.floor((files + 1) / WORK) + Math.floor(drivers / WORK));
  }
});
