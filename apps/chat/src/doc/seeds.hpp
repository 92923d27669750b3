#pragma once
// The two one-time fillings of a new document: the first-run workspace and the demo team
// chat. Whichever runs first marks the document seeded; after that neither writes anything.

#include <cstdint>
#include <string>
#include <string_view>

#include "crdt/document.hpp"

namespace chat::doc {

// The local user until a real identity replaces it, and in demo and screenshot runs.
struct LocalPerson {
  std::string id;
  std::string name;
  std::string initials;
  std::uint64_t color_idx = 0;
  bool operator==(const LocalPerson&) const = default;
};

LocalPerson demo_local_person();

bool is_seeded(const crdt::Document& doc);
void put_workspace(crdt::Document& doc, std::string_view id, std::string_view name,
                   std::string_view glyph, std::int64_t color_idx, std::uint32_t order);
void seed_default_workspace(crdt::Document& doc, std::string_view local_id,
                            std::string_view local_name, std::string_view local_initials);
void seed_demo_content(crdt::Document& doc);

}  // namespace chat::doc
