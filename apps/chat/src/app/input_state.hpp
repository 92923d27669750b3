#pragma once
// Window state that input handling keeps between events: what the rename box renames and the
// conversation-row swipe in progress.

#include <cstddef>
#include <cstdint>
#include <string>

#include <vesk_ui/geometry.hpp>

namespace chat::app {

struct RenameTarget {
  // Only conversations and categories are renamed; other kinds rename nothing.
  enum class Kind : std::uint8_t { Conversation = 0, Category = 1, Workspace = 2 };
  Kind kind = Kind::Conversation;
  std::string id;
  bool operator==(const RenameTarget&) const = default;
};

// A press on a conversation row, followed until the release decides between opening,
// deleting and nothing.
struct RowSwipe {
  vesk_ui::Point press;
  vesk_ui::Point current;
  std::size_t index = 0;  // the pressed row in sidebar order
};

}  // namespace chat::app
