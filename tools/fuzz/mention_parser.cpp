// Scans arbitrary bytes for mentions. The first input line gives candidate names separated by
// '|', the rest is the message text. Every mention must lie inside the text, start at an at
// sign followed by the candidate's name as written or in another case, and follow the mention
// before it without overlap.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "actions/mention_parser.hpp"

namespace {

[[noreturn]] void stop(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using chat::actions::MentionCandidate;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string_view names = input.substr(0, newline);
  const std::string_view text =
      newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

  std::vector<MentionCandidate> candidates;
  std::size_t from = 0;
  while (from <= names.size() && candidates.size() < 64) {
    const std::size_t bar = std::min(names.find('|', from), names.size());
    const std::string id = "u_" + std::to_string(candidates.size());
    candidates.push_back({id, std::string(names.substr(from, bar - from)), bar % 2 == 0});
    from = bar + 1;
  }

  std::uint64_t previous_end = 0;
  for (const auto& m : chat::actions::extract_mentions(text, candidates)) {
    if (m.start < previous_end) stop("mentions overlap or are out of order");
    if (m.len < 2 || m.start + m.len > text.size()) stop("mention outside the text");
    if (text[m.start] != '@') stop("mention does not start at an at sign");
    const MentionCandidate* who = nullptr;
    for (const auto& c : candidates) {
      if (c.id == m.user) who = &c;
    }
    if (who == nullptr) stop("mention of an unknown candidate");
    if (who->display_name.size() + 1 != m.len) stop("length differs from the name's");
    if (who->is_agent != m.is_agent) stop("agent flag differs");
    previous_end = m.start + m.len;
  }
  return 0;
}
