#pragma once
// Writers of conversations and the categories that group them. Writers whose record is missing
// do nothing.

#include <cstdint>
#include <string_view>

#include "crdt/document.hpp"
#include "doc/records.hpp"

namespace chat::doc {

// Whole records, written without comparing. A voice channel also gets its call map.
void put_channel(crdt::Document& doc, std::string_view id, std::string_view workspace,
                 std::string_view category, std::string_view name, std::string_view topic,
                 ChannelKind kind, std::uint32_t order);
void put_category(crdt::Document& doc, std::string_view id, std::string_view workspace,
                  std::string_view name, std::uint32_t order);

// One past the highest order among the channels of the group (any kind, archived too); 0 when
// the group is empty.
std::uint32_t next_channel_order(const crdt::Document& doc, std::string_view workspace,
                                 std::string_view category);
void move_channel_to_category(crdt::Document& doc, std::string_view channel,
                              std::string_view target_category);

void create_channel(crdt::Document& doc, std::string_view workspace, std::string_view category,
                    std::string_view id, std::string_view name, ChannelKind kind);
void rename_channel(crdt::Document& doc, std::string_view id, std::string_view name);
void archive_channel(crdt::Document& doc, std::string_view id, bool archived);
// Swaps orders with the neighbour above (up) or below in the channel's group.
void reorder_channel(crdt::Document& doc, std::string_view id, bool up);
// Removes the record, messages, call and conversation draft; read counts and thread drafts stay.
void delete_channel(crdt::Document& doc, std::string_view id);

void create_category(crdt::Document& doc, std::string_view workspace, std::string_view id,
                     std::string_view name);
void rename_category(crdt::Document& doc, std::string_view id, std::string_view name);
void set_category_collapsed(crdt::Document& doc, std::string_view id, bool collapsed);
// Moves its channels to the empty category, after the channels already there, then removes it.
void delete_category(crdt::Document& doc, std::string_view id);

}  // namespace chat::doc
