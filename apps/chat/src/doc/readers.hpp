#pragma once
// Readers of people, workspaces, categories, conversations and call participants. They never
// write and never fail: a missing collection is an empty list and an entry that is not a map
// is skipped.

#include <optional>
#include <string_view>
#include <vector>

#include "crdt/document.hpp"
#include "doc/records.hpp"

namespace chat::doc {

// Decoders of one entry of a collection map; none when the entry is not a map.
std::optional<Person> decode_person(const crdt::Document& doc, const crdt::ObjId& users,
                                    std::string_view key);
std::optional<Workspace> decode_workspace(const crdt::Document& doc, const crdt::ObjId& workspaces,
                                          std::string_view key);
std::optional<Category> decode_category(const crdt::Document& doc, const crdt::ObjId& categories,
                                        std::string_view key);
std::optional<Channel> decode_channel(const crdt::Document& doc, const crdt::ObjId& channels,
                                      std::string_view key);
std::optional<CallParticipant> decode_call_participant(const crdt::Document& doc,
                                                       const crdt::ObjId& call,
                                                       std::string_view key);

// In the document's key order.
std::vector<Person> list_people(const crdt::Document& doc);
// Stably sorted by order.
std::vector<Workspace> list_workspaces(const crdt::Document& doc);
std::vector<Category> list_categories(const crdt::Document& doc);
std::vector<Channel> list_channels(const crdt::Document& doc);
// Talking participants first, then by user id.
std::vector<CallParticipant> list_call_participants(const crdt::Document& doc,
                                                    std::string_view channel);

// The channel belongs to this workspace and category and is a text channel.
bool channel_in_group(const Channel& channel, std::string_view workspace,
                      std::string_view category);

}  // namespace chat::doc
