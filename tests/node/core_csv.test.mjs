// The core's CSV: RFC 4180 fields, formulas disarmed.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { parse } from 'csv-parse/sync';
import fc, { textOf } from './properties.mjs';
import { loadCore } from './page_source.mjs';

const core = loadCore();

test('CSV: a parser gives back every field, C0 controls dropped and a would-be formula after an apostrophe', () => {
  // A spreadsheet takes for a formula a sign, perhaps after blanks, line
  // ends and characters that do not show, or in full width; or a tab or a
  // line end first.
  const formula = (value) => '=+-@\uFF1D\uFF0B\uFF0D\uFF20'.includes(value.replace(/^[\s\p{Cf}]*/u, '')[0] || ' ')
    || '\t\r\n'.includes(value[0] || ' ');
  const exported = (value) => {
    value = value.replace(/[\0-\x08\x0B\x0C\x0E-\x1F]/g, '');
    return formula(value) ? "'" + value : value;
  };
  const value = textOf(['=', '+', '-', '@', '\uFF1D', '\uFF0B', '\uFF0D', '\uFF20', ' ', '\u00A0', '\u3000', '\t', '\r', '\n',
                        '\u200B', '\uFEFF', '\u202E', '\0', '\x01', '\x0B', '\x1F', '"', ',', "'", 'a', '1']);
  fc.assert(fc.property(fc.array(fc.array(value, { minLength: 1 }), { minLength: 1 }), (records) => {
    const text = core.csvText(records);
    assert.ok(text.startsWith('\uFEFF') && text.endsWith('\r\n'));
    assert.deepEqual(parse(text, { bom: true, record_delimiter: '\r\n', relax_column_count: true }),
                     records.map((record) => record.map(exported)));
    // Quoted only where RFC 4180 asks for it.
    for (const v of records.flat()) assert.equal(core.csvField(v)[0] === '"', /[",\r\n]/.test(exported(v)), JSON.stringify(v));
  }), { examples: [[[['\rx', '\nx', '\tx', '\x01=1', ' =1', '\u202E=1', 'a-b', 'x=1', 'say "x"', '']]]] });
});
