#pragma once
// Writers of messages: append, edit with history, delete, reactions, pins, read counts and
// agent work. Each finds its own target and writes nothing when the target is missing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "crdt/document.hpp"
#include "doc/message_records.hpp"

namespace chat::doc {

// True when any channel's list holds a message map with this id.
bool message_id_exists(const crdt::Document& doc, std::string_view id);
// The first message map of messages/<channel> with this id.
std::optional<crdt::ObjId> find_message_obj(const crdt::Document& doc, std::string_view channel,
                                            std::string_view id);
// The index of the first entry with this emoji and user.
std::optional<std::size_t> find_reaction(const crdt::Document& doc, const crdt::ObjId& reactions,
                                         std::string_view emoji, std::string_view user);

// Appends the message unless a message with this id exists anywhere; returns the id either way.
std::string insert_message(crdt::Document& doc, std::string_view channel, std::string_view id,
                           const NewMessage& message);
// With a fresh "m_" + 32 hex digit id.
std::string insert_message_with_new_id(crdt::Document& doc, std::string_view channel,
                                       const NewMessage& message);
// "m_" followed by a random version-4 UUID as 32 lower-case hexadecimal digits.
std::string new_message_id();

void put_message_text(crdt::Document& doc, std::string_view channel, std::string_view id,
                      std::string_view text, std::int64_t ts);
void delete_message(crdt::Document& doc, std::string_view channel, std::string_view id);
void put_reaction(crdt::Document& doc, std::string_view channel, std::string_view message,
                  std::string_view emoji, std::string_view user);
void remove_reaction(crdt::Document& doc, std::string_view channel, std::string_view message,
                     std::string_view emoji, std::string_view user);
void pin_message(crdt::Document& doc, std::string_view channel, std::string_view message,
                 bool pinned);
void mark_read(crdt::Document& doc, std::string_view channel, std::string_view user,
               std::int64_t count);
// Stores the work unless equal to the stored one; `say` fills an empty text.
void set_agent_work(crdt::Document& doc, std::string_view channel, std::string_view message,
                    const AgentWork& work, const std::optional<std::string>& say);

}  // namespace chat::doc
