// The README's picture: gridpane.html opened from disk in headless
// Chromium, the catalogue given through its chooser.
//   node scripts/screenshot.mjs CATALOGUE OUT.png
import { launch, openCatalogues } from '../tests/browser/browsers.mjs';

const [catalogue, out] = process.argv.slice(2);
const browser = await launch('chromium');
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1040, height: 760 });
  await openCatalogues(page, [catalogue]);
  await page.screenshot({ path: out });
} finally {
  await browser.close();
}
