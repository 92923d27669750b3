#pragma once
// Readers of a conversation's messages and of read counts. They never write and never fail.

#include <cstdint>
#include <string_view>
#include <vector>

#include "crdt/document.hpp"
#include "doc/message_records.hpp"

namespace chat::doc {

// In stored order; entries that are not maps are skipped.
std::vector<ChatMessage> load_messages(const crdt::Document& doc, std::string_view channel);
// The same into `out`, replacing what it held; its storage is kept, so a window reading a long
// conversation every frame does not allocate it every frame.
void load_messages_into(const crdt::Document& doc, std::string_view channel,
                        std::vector<ChatMessage>& out);
// The message record of one map, as met in its message list.
ChatMessage decode_message(const crdt::Document& doc, const crdt::ValueView& message,
                           std::string_view channel);

// read/<channel>/<user>, 0 when absent.
std::int64_t read_count(const crdt::Document& doc, std::string_view channel, std::string_view user);
std::size_t top_level_message_count(const crdt::Document& doc, std::string_view channel);
// Top-level messages beyond the user's read count; never negative.
std::uint32_t unread_count(const crdt::Document& doc, std::string_view channel,
                           std::string_view user);

}  // namespace chat::doc
