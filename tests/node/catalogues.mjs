// Catalogues for the core's tests: values drawn by fast-check, written as
// the catalogue writer writes them, and read back by a standards-
// conforming XML parser (saxes) into the little of a document that the
// core's readDocument takes (elements, attributes, text).
import { SaxesParser } from 'saxes';
import fc, { textOf } from './properties.mjs';

// Characters that every escape, blank and line end of the form meets,
// beside any character now and then (textOf).
const AWKWARD = ['a', 'Z', '0', ' ', '&', '<', '>', "'", '"', '%', ';', '#', '=', '\\', '/', '\t', '\n', '\r',
                 '\u00e9', '\u65e5', '\u{1D504}', '\u202E', '\uFFFD'];
// What the writer writes of a character XML cannot carry: U+FFFD.
const carried = (text) => text.replace(/[\0-\x08\x0B\x0C\x0E-\x1F\uFFFE\uFFFF]/g, '\uFFFD');
export const value = (maxLength) => textOf(AWKWARD, { maxLength }).map(carried);
// An attribute loses its percent signs and double quotes to the writer.
export const attribute = (maxLength) => value(maxLength).map((text) => text.replace(/[%"]/g, ''));

// A catalogue's values: its files drawn from `pool` files, so that
// catalogues share some.
export const fileValues = fc.record({
  manufacturer: attribute(8), path: attribute(12),
  drivers: fc.array(fc.record({ name: attribute(8), text: value(12) }), { maxLength: 4 }),
});
export const catalogueValues = (files = fc.array(fileValues, { maxLength: 5 })) => fc.record({
  location: attribute(10), time: value(10).map((text) => text.replace(/[\t\n\r]/g, ' ')), comment: value(12), files,
});

const replace = (text, table) => text.replace(new RegExp(`[${Object.keys(table).join('')}]`, 'g'), (c) => table[c]);
const inAttribute = (text) => "'" + replace(text, { '&': '&amp;', '<': '&lt;', "'": '&apos;', '\t': '&#9;', '\n': '&#10;', '\r': '&#13;' }) + "'";
const inText = (text) => replace(text, { '"': '&quot;', '&': '&amp;', '<': '&lt;', '>': '&gt;', '\r': '&#13;' });
const inTime = (text) => '"' + replace(text, { '&': '&amp;', '<': '&lt;', '"': '&quot;' }) + '"';

// The catalogue as infsurvey writes it, with `end` at the end of each line.
export function written(catalogue, end = '\r\n') {
  const lines = ['<?xml version="1.0" encoding="utf-8"?>', '<?xml-stylesheet href="gridpane.xsl" type="text/xsl"?>',
                 '<drivers', ' location=' + inAttribute(catalogue.location), ' time=' + inTime(catalogue.time) + ' >',
                 '  <comment>', inText(catalogue.comment), '  </comment>'];
  for (const file of catalogue.files) {
    lines.push(`  <manufacturer name=${inAttribute(file.manufacturer)} filename=${inAttribute(file.path)} >`);
    for (const driver of file.drivers) lines.push(`    <driver name=${inAttribute(driver.name)} >`, '       ' + inText(driver.text), '    </driver>');
    lines.push('  </manufacturer>');
  }
  lines.push('</drivers>');
  return lines.map((line) => line + end).join('');
}

// The root element of `text` as a browser's parser gives it, or null
// when the text is not well-formed XML.
export function parsed(text) {
  const parser = new SaxesParser({ xmlns: true });
  const top = { firstChild: null, last: null };
  const open = [top];
  let failed = false;
  const append = (node) => {
    const parent = open.at(-1);
    if (parent.last) parent.last.nextSibling = node; else parent.firstChild = node;
    parent.last = node;
  };
  parser.on('error', () => { failed = true; });
  parser.on('opentag', (tag) => {
    const attributes = new Map(Object.values(tag.attributes).filter((a) => a.uri === '').map((a) => [a.local, a.value]));
    const node = {
      nodeType: 1, localName: tag.local, namespaceURI: tag.uri || null, firstChild: null, last: null, nextSibling: null,
      getAttribute: (name) => attributes.get(name) ?? null,
      hasAttribute: (name) => attributes.has(name),
      get textContent() {
        let text = '';
        for (let child = this.firstChild; child; child = child.nextSibling) text += child.nodeType === 3 ? child.data : child.textContent;
        return text;
      },
    };
    append(node);
    open.push(node);
  });
  const addText = (data) => open.length > 1 && append({ nodeType: 3, data, nextSibling: null });
  parser.on('text', addText);
  parser.on('cdata', addText);
  parser.on('closetag', () => open.pop());
  try {
    parser.write(text).close();
  } catch {
    failed = true;
  }
  return failed ? null : top.firstChild;
}

// Runs a generator of the core to its end.
export function run(steps) {
  for (;;) {
    const step = steps.next();
    if (step.done) return step.value;
  }
}

// A catalogue of the core as plain values: its head, and its files with
// their drivers, read from the store.
export function valuesOf(store, catalogue) {
  if (!catalogue) return null;
  const { location, time, comment, incomplete, driverCount } = catalogue;
  return {
    location, time, comment, incomplete, driverCount,
    files: Array.from(catalogue.files, (f) => {
      const rows = Array.from({ length: store.firstRow[f + 1] - store.firstRow[f] }, (_, k) => store.firstRow[f] + k);
      return { manufacturer: store.manufacturer[f], path: store.path[f],
               drivers: rows.map((r) => ({ name: store.name[r], text: store.text[r] })) };
    }),
  };
}
