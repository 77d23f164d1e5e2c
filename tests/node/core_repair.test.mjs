// The core's repair of a catalogue cut short.
import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { SaxesParser } from 'saxes';
import fc from './properties.mjs';
import { loadCore } from './page_source.mjs';

const core = loadCore();

// Well-formed documents with what a cut can fall into: text, comments,
// CDATA and processing instructions holding markup, attributes quoted
// either way around '>' and '/', empty elements, blanks inside tags.
// `good` lists the places where a repair may end (after an end tag, the
// root's start tag, or an empty element in the root) with the elements
// open there; `rootEnd` is where the root's end tag begins.
const chars = (...units) => fc.string({ unit: fc.constantFrom(...units), maxLength: 5 });
const markup = fc.oneof(chars('a', ' ', '\r\n', '>', '&amp;', '\u00e9', '\u{1D504}'),
                        chars('a', ' ', '>', '<m>', '</d>').map((c) => `<!--${c}-->`),
                        chars('a', ']', 'a>', '<m>', '</d>').map((c) => `<![CDATA[${c}]]>`),
                        chars('a', ' ', '>', '<m>').map((c) => `<?pi ${c}?>`));
const attributes = fc.uniqueArray(fc.record({
  name: fc.constantFrom('name', 'filename', 'x'), space: fc.constantFrom(' ', '\n '), eq: fc.constantFrom('=', ' = ', '=\n'),
  quote: fc.constantFrom('"', "'"), value: chars('a', '>', '/', ' ', '&amp;'),
}), { selector: (a) => a.name, maxLength: 2 }).map((list) => list.map((a) => a.space + a.name + a.eq + a.quote + a.value + a.quote).join(''));
const { element } = fc.letrec((tie) => ({
  element: fc.record({ name: fc.constantFrom('manufacturer', 'driver', 'd-1', 'x.y'), attributes, blank: fc.constantFrom('', ' ', '\n'),
                       empty: fc.constantFrom(false, false, false, true),
                       children: fc.array(fc.oneof({ depthSize: 'medium', maxDepth: 4 }, markup, tie('element')),
                                          { maxLength: 4, size: 'medium' }) }),
}));
const documents = fc.tuple(fc.subarray(['<?xml version="1.0" encoding="utf-8"?>\n', '<?xml-stylesheet href="gridpane.xsl"?>\n',
                                        '<!DOCTYPE drivers>\n', '<!-- a > <m> -->\n']),
                           element.map((root) => ({ ...root, name: 'drivers', empty: false }))).map(([prolog, root]) => {
  let text = prolog.join(''), rootEnd;
  const good = [];
  const write = (node, open) => {
    if (typeof node === 'string') return void (text += node);
    text += '<' + node.name + node.attributes + node.blank;
    if (node.empty && open.length) {
      text += '/>';
      if (open.length === 1) good.push({ at: text.length, open });
      return;
    }
    text += '>';
    const inside = [...open, node.name];
    if (!open.length) good.push({ at: text.length, open: inside });
    for (const child of node.children) write(child, inside);
    if (!open.length) rootEnd = text.length;
    text += '</' + node.name + '>';
    if (open.length) good.push({ at: text.length, open });
  };
  write(root, []);
  return { text, good, rootEnd };
});

describe('a catalogue cut short', () => {
  test('anywhere: what comes before its last good place, the elements open there closed', () => {
    fc.assert(fc.property(documents, fc.array(fc.nat(), { minLength: 12, maxLength: 12 }), ({ text, good, rootEnd }, picks) => {
      const repairs = good.map(({ at, open }) => text.slice(0, at) + open.map((name) => `</${name}>`).reverse().join(''));
      for (const repair of repairs) new SaxesParser().write(repair).close();
      for (const cut of [...good.map(({ at }) => at), ...picks.map((n) => n % (rootEnd + 1))]) {
        const k = good.findLastIndex(({ at }) => at <= cut);
        assert.equal(core.repairCutShort(text.slice(0, cut)), k < 0 ? null : repairs[k], `cut at ${cut}`);
      }
    }));
  });

  const head = "<?xml version='1.0'?>\n<?xml-stylesheet href='g.xsl'?>\n<drivers\n location='/r/' >\n"
             + '  <comment>\nc\n  </comment>\n';
  const one = "  <manufacturer name='A' filename='/r/a.inf' >\n    <driver name='A 1' >\n       a1\n    </driver>";
  const table = [
    ['after a comment and markup in quotes', "<drivers a='<b>'><!-- </drivers> --><m>", "<drivers a='<b>'></drivers>"],
    ['an end tag that does not match', head + one + '\n  </wrong>', head + one + '</manufacturer></drivers>'],
    ['no start tag', 'plain text < here', null],
  ];
  for (const [name, input, expected] of table) test(name, () => assert.equal(core.repairCutShort(input), expected));

  test('a comment that begins with ">"', () => {
    const text = '<drivers><m><!--></d>--></m>';
    assert.equal(core.repairCutShort(text), text + '</drivers>');
  });

  test('deep nesting is cut at the depth limit, in one pass', () => {
    const deep = '<drivers>' + '<a>'.repeat(200000);
    assert.equal(core.repairCutShort(deep), '<drivers></drivers>');
    const nested = '<drivers>' + '<a>'.repeat(core.REPAIR_DEPTH - 2) + '</a>' + '<b>'.repeat(100);
    const repaired = '<drivers>' + '<a>'.repeat(core.REPAIR_DEPTH - 2) + '</a>' + '</a>'.repeat(core.REPAIR_DEPTH - 3) + '</drivers>';
    assert.equal(core.repairCutShort(nested), repaired);
    assert.equal(core.repairCutShort(nested + '</b>'.repeat(100)), repaired, 'nor followed when they close');
  });
});
