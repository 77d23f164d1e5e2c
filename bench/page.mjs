// Times gridpane.html in one browser against its floor: the same browser
// loading the static page that xsltproc makes with gridpane.xsl from the
// same catalogue.
//
//   node bench/page.mjs ENGINE CATALOGUE FLOOR_PAGE REPS
//
// Prints one line of medians (ms): floor, page complete, page first rows,
// and the slowest answer of the filter to a key (first rows shown).
// Floor: from navigation until the load event has passed and a frame is
// painted. Page: from the chooser's change event until the grid is drawn
// whole (or its first rows are), painted. Filter: from the input event
// until the first rows of the new grid are painted.
import { launch, fileUrl, PAGE, drawn } from '../tests/browser/browsers.mjs';

const [engine, catalogue, floorPage, repsText] = process.argv.slice(2);
const reps = Number(repsText || 3);
const median = (xs) => [...xs].sort((a, b) => a - b)[(xs.length - 1) >> 1];
const between = (page, from, to) => page.evaluate((a, b) => {
  const last = (name) => performance.getEntriesByName(name).at(-1).startTime;
  return last(b) - last(a);
}, 'gridpane:' + from, 'gridpane:' + to);

const page = await launch(engine);
const results = { floor: [], complete: [], first: [], filter: [] };
try {
  for (let k = 0; k < reps; k++) {
    // In turn, each in a fresh document.
    await page.goto(fileUrl(floorPage));
    results.floor.push(await page.evaluate(() => new Promise((resolve) =>
      requestAnimationFrame(() => setTimeout(() => resolve(performance.now()), 0)))));

    await page.goto(fileUrl(PAGE));
    await drawn(page, () => page.choose([catalogue]));
    results.complete.push(await between(page, 'load', 'complete'));
    results.first.push(await between(page, 'load', 'first-rows'));

    // Keys as a user types them, each waited for; the slowest counts.
    let slowest = 0;
    await page.click('#filter');
    for (const key of ['u', 's', 'b', 'Backspace', 'Backspace', 'Backspace']) {
      await drawn(page, () => page.press(key));
      slowest = Math.max(slowest, await between(page, 'filter', 'first-rows'));
    }
    results.filter.push(slowest);
    await page.goto('about:blank');
  }
} finally {
  await page.close();
}
const f = median(results.floor), c = median(results.complete);
console.log([engine, Math.round(f), Math.round(c), (c / f).toFixed(2), Math.round(median(results.first)),
             Math.round(median(results.filter))].join(' '));
