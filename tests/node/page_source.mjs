// gridpane.html as source: its inline scripts and styles, the
// Content-Security-Policy that allows exactly them by their SHA-256, and
// its core script run alone in a fresh context, as Node's tests use it.
//
//   node tests/node/page_source.mjs --write   puts the hashes of the page's
//                                             scripts and styles in its CSP
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';
import { fileURLToPath } from 'node:url';

export const PAGE = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../infsurvey/gridpane.html');

// The inline scripts and styles in document order, as an HTML parser takes
// them: comments outside them are skipped.
export function inlineBlocks(html) {
  const blocks = [];
  const start = /<!--|<(script|style)\b([^>]*)>/gi;
  let found;
  while ((found = start.exec(html))) {
    if (found[0] === '<!--') {
      start.lastIndex = html.indexOf('-->', start.lastIndex) + 3;
      continue;
    }
    const tag = found[1].toLowerCase();
    const end = html.indexOf('</' + tag, start.lastIndex);
    const id = /\bid="([^"]*)"/.exec(found[2]);
    blocks.push({ tag, id: id ? id[1] : null, text: html.slice(start.lastIndex, end) });
    start.lastIndex = end;
  }
  return blocks;
}

const sha256 = (text) => "'sha256-" + crypto.createHash('sha256').update(text, 'utf8').digest('base64') + "'";

// The style attributes that Chromium's and WebKit's XML parsers put on
// the parsererror element they make of a file that is not XML: allowed by
// hash, so that such a file raises no policy violation.
export const PARSER_ERROR_STYLES = [
  'display: block; white-space: pre; border: 2px solid #c77; padding: 0 1em 0 1em; margin: 1em;'
    + ' background-color: #fdd; color: black',
  'font-family:monospace;font-size:12px',
];

// The policy that the page's blocks need and nothing more; its icon is
// inline, so that no browser asks a server for one.
export function policyFor(html) {
  const blocks = inlineBlocks(html);
  const of = (tag) => blocks.filter((b) => b.tag === tag).map((b) => sha256(b.text)).join(' ');
  return `default-src 'none'; script-src ${of('script')}; style-src ${of('style')};`
         + ` style-src-attr 'unsafe-hashes' ${PARSER_ERROR_STYLES.map(sha256).join(' ')}; img-src data:;`
         + " connect-src 'self'; base-uri 'none'; form-action 'none';"
         + " require-trusted-types-for 'script'; trusted-types catalogue";
}

const META = /(<meta http-equiv="Content-Security-Policy" content=")([^"]*)(">)/;

export const policyIn = (html) => META.exec(html)?.[2] ?? null;

// Under mutation testing the block is instrumented: it takes the mutant to
// switch on, and records what it covers, from the runner's namespace, which
// the runner keeps in this context, not in the block's.
function mutationHooks() {
  const name = process.env.STRYKER_NAMESPACE ?? '__stryker__';
  const hooks = globalThis[name];
  if (!hooks) return {};
  hooks.activeMutant ??= process.env.__STRYKER_ACTIVE_MUTANT__;
  return { [name]: hooks };
}

// The core block run in a context of its own, with nothing of the
// browser's but TextDecoder (or what `globals` puts in its place): it must
// need no more.
export function loadCore(html = fs.readFileSync(PAGE, 'utf8'), globals = {}) {
  const core = inlineBlocks(html).find((b) => b.tag === 'script' && b.id === 'core');
  const context = vm.createContext({ TextDecoder, ...globals, ...mutationHooks() });
  vm.runInContext(core.text, context, { filename: 'gridpane.html#core' });
  return context.gridpaneCore;
}

// A value made in the core's own context, as a plain one of this context.
export const plain = (value) => JSON.parse(JSON.stringify(value));

if (process.argv[1] === fileURLToPath(import.meta.url) && process.argv[2] === '--write') {
  const html = fs.readFileSync(PAGE, 'utf8');
  fs.writeFileSync(PAGE, html.replace(META, (_, head, __, tail) => head + policyFor(html) + tail));
}
