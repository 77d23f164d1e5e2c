// The README's picture: gridpane.html opened from disk in headless
// Chromium, the catalogue given through its chooser.
//   node scripts/screenshot.mjs CATALOGUE OUT.png
import { launch, openCatalogues } from '../tests/browser/browsers.mjs';

const [catalogue, out] = process.argv.slice(2);
const page = await launch('chromium');
try {
  await page.viewport(1040, 760);
  await openCatalogues(page, [catalogue]);
  await page.screenshot(out);
} finally {
  await page.close();
}
