#pragma once
// Stops the program on a condition that cannot occur in normal operation, with a fixed text
// ("put map", "ChatAction is always serializable", ...). Every such stop goes through here.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace chat {

[[noreturn]] inline void fatal(std::string_view text) {
  // stderr is unbuffered: the text is out before the abort.
  std::fprintf(stderr, "fatal: %.*s\n", static_cast<int>(text.size()), text.data());
  std::abort();
}

}  // namespace chat
