// The core's decoding of a catalogue's bytes, strict; and what the
// browser's parser is never given.
import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import fc, { runs, textOf } from './properties.mjs';
import { loadCore, plain } from './page_source.mjs';

const core = loadCore();
const bytes = (...parts) => Uint8Array.from(parts.flatMap((p) => (typeof p === 'string' ? [...Buffer.from(p)] : p)));
const read = (input) => plain(core.catalogueText('x.xml', input));
const utf8 = (input) => {
  try {
    return { text: new TextDecoder('utf-8', { fatal: true, ignoreBOM: true }).decode(input) };
  } catch {
    return { error: 'x.xml is not valid UTF-8: it holds bytes that are no characters in that encoding.' };
  }
};

describe('catalogue text', () => {
  const declared = (encoding, body) => bytes(`<?xml version="1.0" encoding="${encoding}"?><d a="`, body, '"/>');
  const table = [
    ['an unknown label', declared('x-klingon', []),
     { error: 'x.xml declares the encoding "x-klingon", which this browser cannot read.' }],
    ['blanks only', bytes(' \r\n\t'), { error: 'x.xml is empty.' }],
  ];
  for (const [name, input, expected] of table) {
    test(name, () => assert.deepEqual(read(input), expected));
  }

  const tooMany = 'x.xml is not in the form infsurvey writes, and it has an element with more than 1000'
                  + ' attributes, which would hold the page for minutes.';
  const attributes = (n, between = '', value = '"v"') => '<d' + Array.from({ length: n }, (_, k) => ` a${k}=${value}${between}`).join('') + '/>';

  test('what the parser is not given: a DTD of its own, its own report, more than it reads in seconds', () => {
    const refused = (what, harm) => `x.xml is not read: it ${what}, which no infsurvey catalogue does, and which ${harm}.`;
    const table = [
      ['<!DOCTYPE d [<!ENTITY a "aaaa">]><d>&a;</d>', refused('declares entities (<!ENTITY)', 'can make a browser run out of memory')],
      ['<!DOCTYPE d [<!ATTLIST d a CDATA "v">]><d/>', refused('has a DTD of its own (<!DOCTYPE ... [ ]>)', 'can make a browser run for minutes')],
      ...['<d><html:parsererror xmlns:html="http://www.w3.org/1999/xhtml"/></d>', '<parsererror>'].map((text) =>
        [text, refused('holds an element named parsererror', 'could pass for this page\'s own message')]),
      ['<!DOCTYPE d SYSTEM "d.dtd"><d parsererror="1">parsererror</d>', null],
      // Unended, a quoted value or a comment ends the count where the text does; a tag counts as far as it goes.
      ['<d a="' + '='.repeat(2000), null], ['<d><!--' + '='.repeat(2000), null],
      [attributes(core.PARSER_ATTRIBUTES).slice(0, -2) + ' last=', tooMany],
      ['x'.repeat(core.PARSER_BYTES), null],
      ['<d>' + 'x'.repeat(core.PARSER_BYTES) + '</d>', 'x.xml is not in the form infsurvey writes, and at 5 MB it is more than this browser'
                                                      + ' can parse without holding the page for seconds: it parses at most 4 MB of such a file.'],
    ];
    for (const [text, expected] of table) assert.equal(core.parserRefuses('x.xml', text), expected, text.slice(0, 60));
  });

  test('an element of more than 1000 attributes, counted past quoted values and past markup full of "="', () => {
    const value = fc.constantFrom('"v"', "'v'", '">\'="', "'>\"='");
    const markup = fc.constantFrom('', '<!--=-->', '<![CDATA[=]]>', '<?p =?>');
    fc.assert(fc.property(fc.integer({ min: 995, max: 1005 }), value, fc.constantFrom('', ' ', '\n'), markup, (n, quoted, between, before) => {
      const text = `<r>${before.repeat(1001)}${attributes(n, between, quoted)}</r>`;
      assert.equal(core.parserRefuses('x.xml', text), n > core.PARSER_ATTRIBUTES ? tooMany : null);
    }), runs(100));
  });

  test('without a mark or a declaration, strict UTF-8', () => {
    // First bytes near a mark or '<?' in UTF-16, each byte the mark's or another.
    const marks = [[0xEF, 0xBB, 0xBF], [0xFF, 0xFE], [0xFE, 0xFF], [0x3C, 0, 0x3F, 0], [0, 0x3C, 0, 0x3F]];
    const byte = fc.constantFrom(0, 0x3C, 0x3F, 0x41, 0x80, 0xBB, 0xBF, 0xC2, 0xEF, 0xFE, 0xFF);
    const near = fc.constantFrom(...marks).chain((mark) => fc.tuple(...mark.map((b) => fc.oneof(fc.constant(b), byte))));
    fc.assert(fc.property(near, fc.array(byte, { maxLength: 4 }), (head, tail) => {
      const input = bytes(head, tail, 'x');
      fc.pre(!marks.some((mark) => mark.every((b, k) => input[k] === b)));
      assert.deepEqual(read(input), utf8(input));
    }), { numRuns: 300, examples: [[[0x3C, 0x64, 0x3E], [0xC3, 0x28]]] });
  });

  test('a mark decides and is taken off, and so UTF-16 by "<?"', () => {
    const utf16be = (text) => Buffer.from(text, 'utf16le').swap16();
    const forms = [[[0xEF, 0xBB, 0xBF], (t) => Buffer.from(t)], [[0xFF, 0xFE], (t) => Buffer.from(t, 'utf16le')],
                   [[0xFE, 0xFF], utf16be], [[], (t) => Buffer.from('<?' + t, 'utf16le')], [[], (t) => utf16be('<?' + t)]];
    fc.assert(fc.property(textOf(['\uFEFF', '\u00BF', '\u00FF', '\u3C00', '\u3F00', '<', '?', '\0', 'd']), (text) => {
      for (const [mark, encode] of forms) {
        assert.deepEqual(read(bytes(mark, [...encode(text + 'x')])), { text: (mark.length ? '' : '<?') + text + 'x' });
      }
    }));
  });

  test('Latin-1 as itself, not as windows-1252, and ASCII to its last byte, under each name', () => {
    // Node reads windows-1252 as Latin-1, browsers do not: no Latin-1 name
    // may reach the decoder.
    const strict = loadCore(undefined, { TextDecoder: class extends TextDecoder {
      constructor(label, options) {
        super(label, options);
        if (this.encoding === 'windows-1252') throw new RangeError('windows-1252');
      }
    } });
    const latin1 = ['iso-8859-1', 'iso8859-1', 'iso88591', 'iso_8859-1', 'iso_8859-1:1987', 'l1', 'latin1', 'cp819',
                    'ibm819', 'csisolatin1', 'iso-ir-100'];
    const ascii = ['us-ascii', 'ascii', 'ansi_x3.4-1968', 'iso646-us', 'us', 'csascii', 'iso-ir-6', 'ibm367', 'cp367',
                   'iso_646.irv:1991'];
    const blank = fc.constantFrom('', ' ', '\t', '\r\n');
    const upper = fc.boolean();
    fc.assert(fc.property(fc.constantFrom(...latin1, ...ascii), upper, fc.constantFrom('"', "'"), blank, blank, fc.constantFrom('', ' '),
                          fc.array(fc.oneof(fc.constantFrom(0x7F, 0x80, 0x9F), fc.nat(255))), fc.constantFrom(1, 1, 1, 3000),
                          fc.constantFrom('', '', ' '), (name, up, quote, before, after, pad, body, times, first) => {
      const label = up ? name.toUpperCase() : name;
      const head = `${first}<?xml version="1.0" encoding${before}=${after}${quote}${pad}${label}${pad}${quote}?><d>`;
      const input = bytes(head, Array(times).fill(body).flat());
      const bad = latin1.includes(name) ? -1 : input.findIndex((b) => b > 0x7F);
      const result = plain(strict.catalogueText('x.xml', input));
      // A declaration counts only at the very start.
      assert.deepEqual(result, first ? utf8(input) : bad < 0 ? { text: Buffer.from(input).toString('latin1') }
        : { error: `x.xml is not valid ${name.toUpperCase()}: byte ${bad} is beyond ASCII.` });
    }), { examples: [['iso-8859-1', true, '"', '', '', '', [0x80, 0x9F, 0xE9], 1, ''], ['us-ascii', true, '"', '', '', '', [0x7F, 0xE9], 1, '']] });
  });

  test('a file too large for the browser is named before it is read', () => {
    assert.equal(core.tooLarge('big.xml', core.MAX_BYTES), null);
    const message = 'big.xml is too large for this browser: 594 MB, where it reads at most 511 MB.';
    assert.equal(core.tooLarge('big.xml', 594 * 2 ** 20), message);
    assert.deepEqual(plain(core.catalogueText('big.xml', { length: 594 * 2 ** 20 })), { error: message });
  });

  test('a text longer than the browser holds is named as too large', () => {
    const decoding = (decode) => plain(loadCore(undefined, { TextDecoder: class { encoding = 'utf-8'; decode = decode; } })
      .catalogueText('x.xml', bytes('<d>ab</d>')));
    const large = { error: 'x.xml is too large for this browser.' };
    assert.deepEqual(decoding(() => { throw new RangeError('Invalid string length'); }), large);
    assert.deepEqual(decoding(() => 'ab'), large, 'Chromium gives a short text');
    assert.deepEqual(decoding(() => 'abc'), { text: 'abc' });
  });
});
