// The mutation score of the core by function, and the mutants that no test
// caught, from the JSON report of the last run (reports/mutation.json):
//   node tests/node/mutation_report.mjs [FUNCTION...]
// Each mutant counts for the function or constant of the core whose
// definition comes last before it.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const report = JSON.parse(fs.readFileSync(path.join(here, 'reports/mutation.json'), 'utf8'));
const file = report.files['infsurvey/gridpane.html'];
const lines = file.source.split('\n');
const owner = [];
let name = '(top)';
for (const line of lines) {
  const defined = /^ {2}(?:function (\w+)|const (\w+) =)/.exec(line);
  if (defined) name = defined[1] ?? defined[2];
  owner.push(name);
}
const byName = new Map([...new Set(owner)].map((of) => [of, { detected: 0, missed: [] }]));
const DETECTED = ['Killed', 'Timeout'], MISSED = ['Survived', 'NoCoverage'];
const only = process.argv.slice(2);
for (const mutant of file.mutants) {
  if (![...DETECTED, ...MISSED].includes(mutant.status)) continue;
  const of = owner[mutant.location.start.line - 1];
  if (only.length && !only.includes(of)) continue;
  const entry = byName.get(of);
  if (DETECTED.includes(mutant.status)) entry.detected++;
  else entry.missed.push(mutant);
}
let detected = 0, all = 0;
for (const [of, { detected: d, missed }] of byName) {
  if (d + missed.length === 0) continue;
  detected += d;
  all += d + missed.length;
  console.log(`${of}: ${d} of ${d + missed.length}`);
  for (const m of missed.sort((a, b) => a.location.start.line - b.location.start.line)) {
    const { line, column } = m.location.start;
    console.log(`  ${line}:${column} ${m.status} ${m.mutatorName}: ${lines[line - 1].slice(column - 1, column + 39).trim()}`
                + ` -> ${m.replacement.replace(/\s+/g, ' ').slice(0, 60)}`);
  }
}
console.log(`score: ${(100 * detected / all).toFixed(2)}% (${detected} of ${all})`);
