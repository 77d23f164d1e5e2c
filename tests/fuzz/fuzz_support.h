// What every fuzz target shares: a fresh fake console for each input, and
// the check that turns a broken invariant into a crash libFuzzer keeps.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fake_platform.h"

namespace fuzz {

// Writes `what` and aborts, so that libFuzzer saves the input.
[[noreturn]] inline void Fail(const std::string& what) {
  std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
  std::abort();
}

inline void Require(bool holds, const char* what) {
  if (!holds) Fail(what);
}

// Bytes as C-escaped text, for the message of a failed comparison.
inline std::string Escaped(const std::string& bytes) {
  std::string text = "\"";
  for (unsigned char c : bytes) {
    if (c >= 32 && c < 127 && c != '"' && c != '\\') {
      text += static_cast<char>(c);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      text += hex;
    }
  }
  return text + "\"";
}

// A fresh fake console for the life of one input: the runtime's state is
// global.
using FreshConsole = console::ScopedFakeConsole;

}  // namespace fuzz
