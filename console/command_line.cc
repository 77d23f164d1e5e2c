#include "console/command_line.h"

#include "console/platform.h"

namespace console {
namespace {

bool IsSeparator(char c) {
  return c != '\0' && static_cast<unsigned char>(c) <= 32;
}

// Takes the token at *position and moves *position past it.
std::string TakeToken(const char** position) {
  const char* p = *position;
  for (;;) {
    if (IsSeparator(*p)) {
      p = Os().code_page.CharNext(p);
    } else if (p[0] == '"' && p[1] == '"') {
      p += 2;
    } else {
      break;
    }
  }
  std::string token;
  while (static_cast<unsigned char>(*p) > 32) {
    if (*p == '"') {
      ++p;
      while (*p != '\0' && *p != '"') {
        const char* next = Os().code_page.CharNext(p);
        token.append(p, next);
        p = next;
      }
      if (*p == '"') ++p;
    } else {
      const char* next = Os().code_page.CharNext(p);
      token.append(p, next);
      p = next;
    }
  }
  *position = p;
  return token;
}

}  // namespace

std::string CommandLineArgument(const char* command_line, int index) {
  const char* position = command_line;
  std::string token = TakeToken(&position);  // the program name
  for (int taken = 0; taken < index; ++taken) {
    if (token.empty()) return token;
    token = TakeToken(&position);
  }
  return token;
}

}  // namespace console
