// gridpane.html's Content-Security-Policy: the hashes of its inline blocks.
// Apart from the core's tests, as a mutation of the core breaks it without a fault.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { PAGE, inlineBlocks, policyFor, policyIn } from './page_source.mjs';

test('the CSP allows exactly the inline scripts and styles by hash', () => {
  const html = fs.readFileSync(PAGE, 'utf8');
  assert.deepEqual(inlineBlocks(html).map((b) => b.tag + '#' + b.id),
                   ['style#null', 'script#core', 'script#view', 'script#page']);
  assert.equal(policyIn(html), policyFor(html), 'run: node tests/node/page_source.mjs --write');
  assert.doesNotMatch(html, /\sstyle="|\son\w+="/i);
});
