// Catalogues as a stranger might mail them: each kind made here, as bytes,
// with what the page must make of it. `bait` is an address the test
// watches: nothing may ever be fetched from it.
//
// Each kind: { name (the file's name), bytes, shows: 'rows' | 'message' |
// 'warning' (rows and a message), says (what its message says after the
// file's name, the start of it), check(grid) (optional, extra) }. No
// message may hold a word of the file but its name: the kinds that could
// put words in one hold SENDER.
const head = (extra = '', encoding = 'utf-8') => `<?xml version="1.0" encoding="${encoding}"?>\n${extra}`
  + `<drivers\n location='/r/'\n time="12:00:00 Tue 08 December 2026" >\n  <comment>\nhostile\n  </comment>\n`;
// The writer's own form, which the page reads without the browser's parser.
const written = (body) => (head('<?xml-stylesheet href="gridpane.xsl" type="text/xsl"?>\n') + body + '</drivers>\n').replace(/\n/g, '\r\n');
const driver = (name, text = 'X.GPD,USBPRINT\\X') => `    <driver name='${name}' >\n       ${text}\n    </driver>\n`;
const maker = (name, file, drivers) => `  <manufacturer name='${name}' filename='${file}' >\n${drivers}  </manufacturer>\n`;
const catalogue = (body, extra, encoding) => head(extra, encoding) + body + '</drivers>\n';

// Rows of the grid that hold `text` anywhere.
const holding = (grid, text) => grid.rows.filter((r) => r.some((v) => v.includes(text)));

export function hostileCatalogues({ bait, scale = 20000 }) {
  const utf8 = (name, text, more) => ({ name, bytes: Buffer.from(text, 'utf8'), ...more });
  const latin1 = Buffer.concat([
    Buffer.from(head('', 'ISO-8859-1')),
    Buffer.from(maker('Caf\xe9', '/r/l.inf_1/l.inf', driver('Euro \x80 \xa4 \xff')), 'latin1'),
    Buffer.from('</drivers>\n')]);
  const invalid = Buffer.from(catalogue(maker('Bad', '/r/b.inf_1/b.inf', driver('Bad XX byte'))));
  invalid.writeUInt8(0xC3, invalid.indexOf('XX'));
  invalid.writeUInt8(0x28, invalid.indexOf('XX') + 1);
  const big = 'A'.repeat(100 * 1024);
  return [
    // Refused before the parser sees them: no catalogue declares entities.
    utf8('entity-103k.xml', catalogue(maker('E', '/r/e.inf_1/e.inf',
      Array.from({ length: 200 }, () => driver('&big;')).join(''))
      , `<!DOCTYPE drivers [<!ENTITY big "${big}">]>\n`), { shows: 'message', says: 'is not read: it declares entities' }),
    utf8('laughs.xml', catalogue(maker('L', '/r/l.inf_1/l.inf', driver('&l9;')),
      '<!DOCTYPE drivers [<!ENTITY l0 "ha">'
      + Array.from({ length: 9 }, (_, k) => `<!ENTITY l${k + 1} "${`&l${k};`.repeat(10)}">`).join('')
      + ']>\n'), { shows: 'message', says: 'is not read: it declares entities' }),
    utf8('external-entity.xml', catalogue(maker('X', '/r/x.inf_1/x.inf', driver('&ext;')),
      `<!DOCTYPE drivers [<!ENTITY ext SYSTEM "${bait}/entity">]>\n`), { shows: 'message', says: 'is not read: it declares entities' }),
    // Large shapes: shown, in blocks, without freezing the tab.
    utf8('path-1mb.xml', catalogue(maker('Long', '/r/' + 'p'.repeat(1 << 20) + '/long.inf', driver('Long 1'))),
      { shows: 'rows', check: (grid) => holding(grid, 'Long 1').length === 1 }),
    utf8('slashes-70k.xml', catalogue(maker('Slash', '/'.repeat(70 * 1024) + 's.inf', driver('Slash 1'))),
      { shows: 'rows', check: (grid) => holding(grid, 'Slash 1').length === 1 }),
    utf8('one-file.xml', written(maker('One', '/r/one.inf_1/one.inf',
      Array.from({ length: scale }, (_, k) => driver(`Model ${k}`)).join(''))), { shows: 'rows', drivers: scale }),
    utf8('makers.xml', written(Array.from({ length: scale }, (_, k) =>
      maker(`Maker ${k}`, `/r/m${k}.inf_1/m.inf`, driver(`M ${k}`))).join('')), { shows: 'rows', drivers: scale }),
    // Cut short deep inside: the repair shows what is complete.
    utf8('unclosed.xml', head() + maker('Deep', '/r/d.inf_1/d.inf', driver('Deep 1')) + '<a>'.repeat(100000),
      { shows: 'warning', says: 'is incomplete: it breaks off' }),
    // Cut short in the writer's form, and with junk where it breaks off.
    utf8('cut.xml', written(Array.from({ length: scale }, (_, k) => maker(`Cut ${k}`, `/r/c${k}.inf_1/c.inf`, driver(`C ${k}`)))
      .join('')).slice(0, -200), { shows: 'warning', says: 'is incomplete: it breaks off' }),
    utf8('cut-junk.xml', written(Array.from({ length: scale / 10 }, (_, k) => maker(`Junk ${k}`, `/r/j${k}.inf_1/j.inf`, driver(`J ${k}`)))
      .join('')).slice(0, -12) + '<<<', { shows: 'warning', says: 'is incomplete: it breaks off' }),
    // A DTD that gives attributes to every element, and attributes by the
    // hundred thousand: refused before the parser sees them.
    utf8('attribute-defaults.xml', catalogue(maker('D', '/r/d.inf_1/d.inf', driver('D 1')),
      `<!DOCTYPE drivers [<!ATTLIST driver SENDER CDATA "${big}">]>\n`), { shows: 'message', says: 'is not read: it has a DTD of its own' }),
    utf8('attributes.xml', `<drivers${Array.from({ length: scale * 5 }, (_, k) => ` a${k}="SENDER"`).join('')}/>`,
      { shows: 'message', says: 'is not in the form infsurvey writes, and it has an element with more than' }),
    utf8('attributes-cut.xml', `<drivers${Array.from({ length: scale }, (_, k) => ` a${k}="SENDER"`).join('')}`,
      { shows: 'message', says: 'is not in the form infsurvey writes, and it has an element with more than' }),
    // A catalogue that brings the parser's error report: no words of its own reach a message.
    utf8('parsererror.xml', catalogue('<parsererror xmlns="http://www.w3.org/1999/xhtml"><div>line 1 at column 1: SENDER'
      + ' revoked this catalogue</div></parsererror>' + maker('P', '/r/p.inf_1/p.inf', driver('P 1'))),
      { shows: 'message', says: 'is not read: it holds an element named parsererror' }),
    // Decoding: strict, and exact.
    { name: 'invalid-utf8.xml', bytes: invalid, shows: 'message', says: 'is not valid UTF-8' },
    utf8('unknown-label.xml', catalogue(maker('U', '/r/u.inf_1/u.inf', driver('U 1')), '', 'x-no-such-charset'),
      { shows: 'message', says: 'declares the encoding "x-no-such-charset", which this browser cannot read.' }),
    { name: 'latin1.xml', bytes: latin1, shows: 'rows',
      // 0x80 is U+0080 (shown by its code), not the euro sign of windows-1252.
      check: (grid) => grid.rows.some((r) => r.some((v) => /^Euro (\u0080|\u27E8U\+0080\u27E9) \u00a4 \u00ff$/.test(v)))
        && holding(grid, 'Caf\u00e9').length > 0 },
    // Foreign roots are not catalogues, and say so in words that make sense.
    utf8('xhtml-root.xml', '<?xml version="1.0"?>\n<drivers xmlns="http://www.w3.org/1999/xhtml"><manufacturer/></drivers>\n',
      { shows: 'message', says: 'is XML but not an infsurvey catalogue: its root element <drivers> is in a namespace,'
                                + ' as no catalogue\'s is.' }),
    // Direction changes and invisible characters are shown as what they are.
    utf8('invisible.xml', catalogue(maker('Acme', '/r/a\u202Efni.inf_1/a.inf', driver('Invoice\u202Efdp.exe'))
      + maker('Acme\u200B', '/r/b.inf_1/b.inf', driver('Twin'))), {
      shows: 'rows',
      check: (grid) => holding(grid, 'Invoice\u27E8U+202E\u27E9fdp.exe').length === 1
        && holding(grid, 'Acme\u27E8U+200B\u27E9').length > 0
        && !grid.rows.some((r) => r.some((v) => /[\u202E\u200B]/.test(v))),
    }),
    // Nothing a catalogue names is fetched, and nothing in it runs.
    utf8('fetch-and-run.xml', catalogue(maker('Run', '/r/r.inf_1/r.inf',
      driver('&lt;script>window.__ran=1&lt;/script>', `<xi:include xmlns:xi="http://www.w3.org/2001/XInclude" href="${bait}/xinclude"/>`
        + '<html:script xmlns:html="http://www.w3.org/1999/xhtml">window.__ran=2</html:script>'
        + `<html:img xmlns:html="http://www.w3.org/1999/xhtml" src="${bait}/img" onerror="window.__ran=3"/>`)
      + driver('&lt;img src=x onerror=window.__ran=4>')),
      `<?xml-stylesheet href="${bait}/style.xsl" type="text/xsl"?>\n`), { shows: 'rows' }),
  ];
}
