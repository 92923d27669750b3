#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace chat::app {

// Distinct authors of the replies to `parent_id`, in message order. Works on any message
// record with an `author` and an optional `parent`.
template <typename Messages>
std::vector<std::string> reply_authors(const Messages& messages, std::string_view parent_id) {
  std::vector<std::string> authors;
  for (const auto& m : messages) {
    if (!m.parent || *m.parent != parent_id) continue;
    if (std::find(authors.begin(), authors.end(), m.author) == authors.end()) {
      authors.emplace_back(m.author);
    }
  }
  return authors;
}

}  // namespace chat::app
