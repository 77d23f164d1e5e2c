// A fleet of catalogues in the grid: its rows, what the filter and the
// choice of view keep, coverage, blocks and the CSV, each held against a
// plain model of the catalogues' rows on generated fleets.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fc, { runs } from './properties.mjs';
import { attribute, catalogueValues, fileValues, run, value, written } from './catalogues.mjs';
import { loadCore, plain } from './page_source.mjs';

const core = loadCore();

// Catalogues whose files come from a few, so that machines share them,
// and whose manufacturers, paths and drivers often meet (one driver in
// two files of a catalogue, two files of one path), in case and in order.
const few = (other, ...values) => fc.oneof({ weight: 5, arbitrary: fc.constantFrom(...values) }, other(3));
const fleetFile = fc.oneof(fileValues, fc.record({
  manufacturer: few(attribute, 'Acme', 'ACME', 'Zeta', '\u00c9pson', ''), path: few(attribute, '/r/a.inf', '/r/b.inf', 'C:\\a.inf'),
  drivers: fc.array(fc.record({ name: few(attribute, 'Ink', 'ink', 'Laser 12', ''), text: few(value, 'X.GPD', 'laser 12', '') }),
                    { maxLength: 3 }),
}));
const fleet = fc.array(fleetFile, { minLength: 1, maxLength: 6 }).chain((pool) =>
  fc.array(catalogueValues(fc.subarray(pool)), { minLength: 1, maxLength: 5 }));
// Needles that run from one value into the next: they hold none of them.
const astride = [{ location: '', time: '', comment: '', files: [{ manufacturer: 'Ma', path: 'bP', drivers: [{ name: 'Nc', text: 'dT' }] }] }];

function loaded(catalogues) {
  const store = core.newStore();
  const read = catalogues.map((values, k) => run(core.readWritersForm(store, `m${k}.xml`, written(values))));
  return { store, read, arrangement: core.arrange(store, read) };
}

// The grid as a plain model: catalogues in load order, each's elements
// in order, sorted (stably) by manufacturer then path in code point
// order; a row per driver, or one for a file without.
const codePoints = (text) => Array.from(text, (c) => c.codePointAt(0));
const before = (a, b) => {
  const [x, y] = [codePoints(a), codePoints(b)];
  for (let i = 0; i < Math.min(x.length, y.length); i++) if (x[i] !== y[i]) return x[i] - y[i];
  return x.length - y.length;
};
function modelRows(catalogues) {
  const elements = catalogues.flatMap((values, k) => values.files.map((file, j) => ({ file, catalogue: `m${k}.xml`, element: k + '.' + j })));
  elements.sort((a, b) => before(a.file.manufacturer, b.file.manufacturer) || before(a.file.path, b.file.path));
  return elements.flatMap(({ file, catalogue, element }) => (file.drivers.length ? file.drivers : [null]).map((driver) => ({
    manufacturer: file.manufacturer, path: file.path, name: driver?.name ?? '', text: driver?.text ?? '', catalogue, driverless: !driver,
    element })));
}
// Model rows as the grid shows them.
const asShown = (rows) => plain(rows.map(({ element, ...row }) => row));
const shown = (selection) => plain(core.rowsOf(selection, 0, selection.start.at(-1)).map((row) => ({
  manufacturer: row.manufacturer, path: row.path, name: row.name, text: row.text, catalogue: row.catalogue.name, driverless: row.row < 0 })));

// A needle: a piece of some value of the fleet, in either case.
const needleIn = (catalogues) => fc.tuple(fc.nat(), fc.nat(), fc.nat(3), fc.boolean()).map(([which, at, length, upper]) => {
  const values = catalogues.flatMap((c) => c.files.flatMap((f) => [f.manufacturer, f.path, ...f.drivers.flatMap((d) => [d.name, d.text])]));
  const value = values.length ? values[which % values.length] : '';
  const piece = value.slice(at % (value.length + 1)).slice(0, length + 1);
  return upper ? piece.toUpperCase() : piece;
});

test('the grid: every element once, in the order of gridpane.xsl, and what the filter keeps as typed', () => {
  fc.assert(fc.property(fleet.chain((catalogues) => fc.tuple(fc.constant(catalogues), needleIn(catalogues))), ([catalogues, needle]) => {
    const { arrangement } = loaded(catalogues);
    const coverageOf = () => core.coverage(arrangement);
    const every = modelRows(catalogues);
    const all = core.select(arrangement, { text: '', show: '' }, null, coverageOf);
    assert.deepEqual(shown(all), asShown(every));
    // Typed key by key, then taken back: each time what a fresh filter keeps.
    let previous = all;
    for (const text of [...[...needle].map((_, k) => needle.slice(0, k + 1)), needle.slice(0, 1), '']) {
      previous = core.select(arrangement, { text, show: '' }, previous, coverageOf);
      assert.deepEqual(shown(previous), shown(core.select(arrangement, { text, show: '' }, null, coverageOf)));
      const lower = text.toLowerCase(), holds = (v) => v.toLowerCase().includes(lower);
      const kept = every.filter((r) => holds(r.manufacturer) || holds(r.path) || (!r.driverless && (holds(r.name) || holds(r.text))));
      assert.deepEqual(shown(previous), asShown(kept), text);
      const drivers = (rows) => rows.filter((r) => !r.driverless).length;
      assert.deepEqual(plain(previous.counts), { manufacturers: new Set(kept.map((r) => r.manufacturer)).size,
                                                 files: new Set(kept.map((r) => r.element)).size, drivers: drivers(kept), all: drivers(every) });
    }
  }), { ...runs(200), examples: [[[astride, 'ab']], [[astride, 'cd']]] });
});

// Now and then more catalogues than bits in a word.
const wideFleet = fc.array(fleetFile, { minLength: 1, maxLength: 2 }).chain((pool) =>
  fc.array(catalogueValues(fc.subarray(pool)).map((c) => ({ ...c, comment: '' })), { minLength: 33, maxLength: 40 }));
const ORDERS = { manufacturer: [0, 1], name: [1, 0], count: [2, 0, 1], missing: [3, 0, 1] };

test('drivers missing from a catalogue, and coverage in each order: each driver once, its holders and the rest all catalogues', () => {
  const sorts = fc.tuple(fc.constantFrom(...Object.keys(ORDERS)), fc.boolean());
  const views = fc.tuple(fc.oneof({ weight: 4, arbitrary: fleet }, wideFleet), fc.nat(), sorts, sorts);
  fc.assert(fc.property(views.chain((v) => fc.tuple(fc.constant(v), needleIn(v[0]))), ([[catalogues, pick, ...sorted], needle]) => {
    const { arrangement, read } = loaded(catalogues);
    const coverage = core.coverage(arrangement);
    const coverageOf = () => coverage;
    const names = read.map((c) => c.name);
    const driverKey = (r) => JSON.stringify([r.manufacturer, r.name]);
    const every = modelRows(catalogues).filter((r) => !r.driverless);
    const lacking = names[pick % names.length];
    const held = new Set(every.filter((r) => r.catalogue === lacking).map(driverKey));
    const holders = new Map();
    for (const r of every) holders.set(driverKey(r), new Set([...(holders.get(driverKey(r)) ?? []), r.catalogue]));
    const entries = [...holders].map(([key, having]) => [...JSON.parse(key), having.size, -having.size]);
    // Key by key in one view, then in others from there: each what a fresh choice keeps.
    let previous = null;
    for (const [show, [column, down]] of [['missing:' + lacking, sorted[0]], ['coverage', sorted[0]], ['coverage', sorted[1]]]) {
      const order = (a, b) => ORDERS[column].reduce((c, k) => c || (k < 2 ? before(a[k], b[k]) : a[k] - b[k]), 0);
      for (const text of [...[...needle].map((_, k) => needle.slice(0, k + 1)), '']) {
        const query = { text, show, sort: column + (down ? '-' : '') };
        previous = core.select(arrangement, query, previous, coverageOf);
        const fresh = core.select(arrangement, query, null, coverageOf);
        assert.deepEqual(plain(previous.counts), plain(fresh.counts));
        const holds = (...values) => values.some((v) => v.toLowerCase().includes(text.toLowerCase()));
        if (show !== 'coverage') {
          assert.deepEqual(shown(previous), asShown(every.filter((r) => r.catalogue !== lacking && !held.has(driverKey(r))
                                                                          && holds(r.manufacturer, r.path, r.name, r.text))));
          continue;
        }
        const expected = entries.filter(([m, n]) => (m + '\0' + n).toLowerCase().includes(text.toLowerCase())).sort(order);
        if (down) expected.reverse();
        assert.deepEqual(plain(previous.items.map((e) => [e.manufacturer, e.name, e.count])), expected.map((e) => e.slice(0, 3)));
        assert.deepEqual(plain(previous.counts), { drivers: expected.length, partial: expected.filter((e) => e[2] < read.length).length,
                                                   all: entries.length });
      }
    }
    for (const entry of coverage.entries) {
      const having = holders.get(driverKey(entry)), lacks = names.filter((n) => !having.has(n));
      assert.deepEqual(plain(core.missingFrom(entry, read)), lacks);
      const note = core.coverageNote(entry, read);
      const [label, list] = having.size < lacks.length ? ['held by', names.filter((n) => having.has(n))] : ['missing from', lacks];
      assert.deepEqual(plain(note), lacks.length ? { label: label + ' ' + list.length, names: list, listed: list.slice(0, core.LISTED) } : null);
    }
  }), { ...runs(200), examples: [[[[[...astride, ...astride], 0, ['name', false], ['count', true]], 'an']]] });
});

test('blocks: each row of a block once, spans that cover it, and its cells repeated where a group goes on', () => {
  fc.assert(fc.property(fleet, fc.nat(), fc.nat(), (catalogues, a, b) => {
    const { arrangement } = loaded(catalogues);
    const selection = core.select(arrangement, { text: '', show: '' }, null, () => null);
    const count = selection.start.at(-1);
    fc.pre(count > 0);
    const [from, to] = [a % count, a % count + 1 + (b % (count - a % count))];
    const places = core.blockLayout(selection, from, to);
    const rows = core.rowsOf(selection, 0, count);
    assert.deepEqual(plain(places.map((p) => p.row.instance + '.' + p.row.row)), plain(rows.slice(from, to).map((r) => r.instance + '.' + r.row)));
    const spans = (key) => places.reduce((n, p) => n + p[key], 0);
    assert.equal(spans('manufacturerSpan'), to - from);
    assert.equal(spans('fileSpan'), to - from);
    const first = places[0], prior = rows[from - 1];
    assert.equal(first.continued, !!prior && prior.instance === first.row.instance);
    assert.equal(first.groupContinued, !!prior && prior.manufacturer === first.row.manufacturer);
    places.forEach((p, k) => assert.equal(p.starts, p.manufacturerSpan > 0 && !(k === 0 && first.groupContinued)));
  }), runs(300));
});

test('the blocks of a run near the screen: those that meet the span, else the nearest; at least one', () => {
  const run = fc.tuple(fc.nat(20), fc.integer({ min: 1, max: 20 }), fc.integer({ min: -20000, max: 90000 }),
                       fc.integer({ min: 1, max: 30000 }), fc.integer({ min: 1, max: 3000 }));
  fc.assert(fc.property(run, ([a, blocks, low, span, height]) => {
    const b = a + blocks, high = low + span;
    const meet = [];
    for (let k = a; k < b; k++) if ((k - a) * height < high && (k - a + 1) * height > low) meet.push(k);
    const expected = meet.length ? [meet[0], meet.at(-1) + 1] : high <= 0 ? [a, a + 1] : [b - 1, b];
    assert.deepEqual(plain(core.blocksNear(a, b, low, high, height)), expected);
  }), { examples: [[[0, 10, 0, 900, 3000]], [[0, 10, 2999, 2, 3000]], [[5, 5, 6000, 3000, 3000]], [[5, 5, -900, 899, 3000]],
                   [[5, 5, 90000, 9000, 3000]], [[3, 1, 0, 99000, 3000]]] });
});

test('the CSV holds what the grid shows, a column per column', () => {
  fc.assert(fc.property(fleet, (catalogues) => {
    const { arrangement, read } = loaded(catalogues);
    for (const show of ['', 'coverage']) {
      const selection = core.select(arrangement, { text: '', show }, null, () => core.coverage(arrangement));
      const [titles, ...records] = [...core.csvRecords(selection, read)];
      assert.deepEqual(plain(titles), show ? ['Manufacturer', 'Driver', 'Catalogues', 'Missing from']
                                    : ['Manufacturer', 'Driver', 'INF file', 'Driver text', 'Catalogue']);
      const expected = show ? selection.items.map((e) => [e.manufacturer, e.name, e.count + ' of ' + read.length, core.missingFrom(e, read).join(', ')])
        : shown(selection).map((r) => [r.manufacturer, r.name, r.path, r.text, r.catalogue]);
      assert.deepEqual(plain(records), plain(expected));
    }
  }), runs(100));
});

test('bytes hash alike exactly when they are alike, however they lie in memory', () => {
  // Pinned, for faults that keep equal bytes alike but hash worse: 27 bytes, words and a tail.
  assert.equal(run(core.bytesHash(new TextEncoder().encode('a catalogue, 27 bytes long.'))), 'cdd73fc47a539214');
  fc.assert(fc.property(fc.uint8Array({ maxLength: 64 }), fc.nat(), fc.nat(3), (bytes, at, offset) => {
    const hash = (b) => run(core.bytesHash(b));
    const moved = new Uint8Array(bytes.length + offset).subarray(offset);
    moved.set(bytes);
    assert.equal(hash(moved), hash(bytes));
    if (bytes.length) {
      const changed = bytes.slice();
      changed[at % bytes.length] ^= 1 << (at % 8);
      assert.notEqual(hash(changed), hash(bytes));
    }
    assert.notEqual(hash(new Uint8Array([...bytes, 0])), hash(bytes));
  }));
});
