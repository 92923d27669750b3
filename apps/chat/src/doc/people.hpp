#pragma once
// The person records under "users" and the composer drafts under "drafts", both written by the
// window directly rather than through actions.

#include <cstdint>
#include <string>
#include <string_view>

#include "crdt/document.hpp"
#include "doc/records.hpp"

namespace chat::doc {

// Writes only the fields that differ from the stored ones; true when anything was written.
bool put_person(crdt::Document& doc, std::string_view id, std::string_view name,
                std::string_view initials, std::int64_t color_idx, PresenceStatus status);
// Writes the four fields without reading them first.
void seed_person(crdt::Document& doc, std::string_view id, std::string_view name,
                 std::string_view initials, std::int64_t color_idx, PresenceStatus status);

// Draft keys: the channel id, or the thread draft key of a thread composer.
std::string draft_text(const crdt::Document& doc, std::string_view key);
// The draft's text object, created (replacing a value of another kind) when missing.
crdt::ObjId draft_text_object(crdt::Document& doc, std::string_view key);
void set_draft_text(crdt::Document& doc, std::string_view key, std::string_view text);
void clear_draft(crdt::Document& doc, std::string_view key);

}  // namespace chat::doc
