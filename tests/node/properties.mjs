// fast-check as the core's tests use it, and the values they draw from.
// Under mutation testing the seed is fixed, so that a run's score does not
// vary; elsewhere each run tries new cases (a failure prints its seed).
import fc from 'fast-check';

const mutating = Boolean(globalThis[process.env.STRYKER_NAMESPACE ?? '__stryker__']);
// A failure says what went wrong, not only on which values.
fc.configureGlobal({ includeErrorInReport: true, ...(mutating ? { seed: 28 } : {}) });

// Runs of a property: a fifth of them under mutation testing, where each
// of a thousand faults runs the file again and the instrumented core is
// several times slower.
export const runs = (numRuns) => ({ numRuns: mutating ? Math.ceil(numRuns / 5) : numRuns });

// Text from the given characters mostly, and now and then any character
// (a code point, never half of a surrogate pair).
export const textOf = (characters, constraints = {}) => fc.string({
  ...constraints,
  unit: fc.oneof({ weight: 4, arbitrary: fc.constantFrom(...characters) },
                 fc.integer({ min: 0, max: 0x10FFFF - 0x800 })
                   .map((c) => String.fromCodePoint(c < 0xD800 ? c : c + 0x800))),
});

export default fc;
