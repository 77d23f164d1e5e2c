// The core's text rules: what is shown, where a path breaks, code point order.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fc, { textOf } from './properties.mjs';
import { loadCore, plain } from './page_source.mjs';

const core = loadCore();

test('text to show: characters that turn text around or hide are named, and nothing is lost', () => {
  const shown = /\u27E8U\+([0-9A-F]{4,6})\u27E9/g;
  // Bidirectional controls, zero widths, the byte-order mark, soft hyphens,
  // C1 controls, tags; and what must stay as it is.
  const hiding = /[\p{Bidi_C}\u200B-\u200D\uFEFF\u00AD\u0080-\u009F\u{E0000}-\u{E007F}]/u;
  const plainText = /^[\p{L}\p{N}\p{P}\p{S}\p{Zs}]$/u, ignorable = /\p{DI}/u;
  fc.assert(fc.property(textOf(['a', '\u00e9', '\u65e5', '\u{1D504}', ' ', '\u202E', '\u2066', '\u200B', '\u200D',
                                '\uFEFF', '\u00AD', '\u0085', '\u061C', '\u3164', '\u{E0041}']), (text) => {
    const revealed = core.reveal(text);
    assert.equal(revealed.replace(shown, (_, code) => String.fromCodePoint(parseInt(code, 16))), text);
    assert.doesNotMatch(revealed, hiding);
    for (const c of text) if (plainText.test(c) && !ignorable.test(c)) assert.ok(revealed.includes(c), c);
  }), { examples: [['Invoice\u202Efdp.exe'], ['tag\u{E0041}']] });
});

test('a path breaks after its separators: after each while there are at most PATH_BREAKS', () => {
  fc.assert(fc.property(textOf(['/', '\\', 'a', '.'], { maxLength: 80, size: 'max' }), (path) => {
    const parts = plain(core.pathParts(path));
    const separators = (path.slice(0, -1).match(/[/\\]/g) ?? []).length;
    assert.equal(parts.join(''), path);
    assert.ok(parts.slice(0, -1).every((part) => /[/\\]$/.test(part)) && (parts.at(-1) !== '' || path === ''));
    if (separators <= core.PATH_BREAKS) assert.equal(parts.length, separators + 1);
    else assert.ok(parts.length <= core.PATH_BREAKS + 1, String(parts.length));
  }), { examples: [['/'.repeat(70000)], ['a\\'.repeat(1000) + 'b'], ['C:\\Repo\\a.inf_1\\a.inf'], ['/r/a/']] });
});

test('code point order, as xsltproc sorts', () => {
  const codePoints = (text) => [...text].map((c) => c.codePointAt(0));
  const order = (a, b) => {
    const [x, y] = [codePoints(a), codePoints(b)];
    const k = x.findIndex((c, i) => c !== y[i]);
    return k < 0 ? (x.length < y.length ? -1 : 0) : k === y.length ? 1 : Math.sign(x[k] - y[k]);
  };
  const text = textOf(['A', 'B', 'a', '\u00e9', '\uE000', '\uFFFD', '\uFFFF', '\u{10000}', '\u{1D504}'], { maxLength: 4 });
  fc.assert(fc.property(text, text, (a, b) => assert.equal(Math.sign(core.compareText(a, b)), order(a, b))));
});
