// Mutation testing of gridpane.html's core script: StrykerJS mutates the
// block where it stands in the page (it instruments inline scripts), and
// the core's tests load the instrumented page as they load the real one.
// Run from the repository's root, so that the sandbox holds the page and
// these tests at the same places:
//   tests/node/node_modules/.bin/stryker run tests/node/stryker.config.mjs
// (npm run mutation, in tests/node). The CSP test is left out: any mutant
// breaks a hash, and that is no fault caught.
import { PluginKind, declareValuePlugin } from '@stryker-mutator/api/plugin';

// Stryker takes a range of lines in an HTML file as lines inside each of
// its scripts, so a range cannot pick one block: this ignorer leaves out
// every script but the one that defines gridpaneCore.
const definesCore = (statement) => statement.type === 'ExpressionStatement'
  && statement.expression.type === 'AssignmentExpression'
  && statement.expression.left.type === 'MemberExpression'
  && statement.expression.left.object.name === 'globalThis'
  && statement.expression.left.property.name === 'gridpaneCore';

export const strykerPlugins = [declareValuePlugin(PluginKind.Ignore, 'gridpane-other-scripts', {
  shouldIgnore: (path) => (path.isProgram() && !path.node.body.some(definesCore)
    ? 'not the core: the view and the page script are tested in browsers' : undefined),
})];

export default {
  testRunner: 'tap',
  tap: { testFiles: ['tests/node/core_*.test.mjs'], nodeArgs: ['--test-reporter=tap'], forceBail: true },
  // Per test file: a mutant runs only the files whose run reached it.
  coverageAnalysis: 'perTest',
  mutate: ['infsurvey/gridpane.html'],
  plugins: ['@stryker-mutator/*', import.meta.url],
  ignorers: ['gridpane-other-scripts'],
  // The sandbox holds the page and this folder's scripts; inside this
  // folder, Node finds its node_modules by going up.
  ignorePatterns: ['/*', '!/infsurvey/', '/infsurvey/*', '!/infsurvey/gridpane.html',
                   '!/tests/', '/tests/*', '!/tests/node/', '/tests/node/*', '!/tests/node/*.mjs'],
  tempDirName: 'tests/node/.stryker-tmp',
  symlinkNodeModules: false,
  cleanTempDir: 'always',
  concurrency: 2,
  reporters: ['clear-text', 'json'],
  jsonReporter: { fileName: 'tests/node/reports/mutation.json' },
  clearTextReporter: { allowColor: false, allowEmojis: false, logTests: false, reportScoreTable: true },
  thresholds: { high: 95, low: 90, break: 90 },
  // The results of the last whole run, kept beside the tests: a run tests
  // again only the faults in code or tests that changed since (a whole run
  // takes half an hour on two cores). `--force` runs every fault again.
  incremental: true,
  incrementalFile: 'tests/node/mutation-incremental.json',
};
