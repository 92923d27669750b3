// The editing trace the text benchmarks replay, read once from the shared data directory.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace crdt_bench {

struct Patch {
  std::size_t pos;
  std::size_t del;
  std::string text;
};

struct Trace {
  std::vector<Patch> patches;  // one per transaction in this trace
  std::string end_content;
};

// Aborts with a message when the data is missing or unreadable.
const Trace& editing_trace();

}  // namespace crdt_bench
