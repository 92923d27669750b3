#pragma once

// The commands on one conversation that its context menu and the row swipe offer, and the ids
// of new conversations and categories.

#include <cstdint>
#include <string>
#include <string_view>

#include "crdt/document.hpp"

namespace chat::app {

class ChatApp;

// Command codes shared with the context menus.
enum class ChannelCommand : std::uint8_t {
  Rename = 0,
  Delete = 1,
  MoveUp = 2,
  MoveDown = 3,
  Archive = 8,  // archive or unarchive
};

// Performs the command on the conversation and rebuilds the view. Renaming opens the rename
// box; the others change the document and need write permission. Deleting or archiving the
// shown conversation leaves none shown until the view picks another.
void perform_channel_command(ChatApp& app, std::string_view conversation, std::uint8_t code,
                             crdt::Document& doc);

// "c_" and "cat_" followed by a random version-4 UUID as 32 lower-case hexadecimal digits.
std::string new_channel_id();
std::string new_category_id();

}  // namespace chat::app
