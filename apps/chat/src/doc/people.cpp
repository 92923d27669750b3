#include "doc/people.hpp"

#include "doc/access.hpp"
#include "doc/readers.hpp"
#include "vesk_ui/text_splice.hpp"

namespace chat::doc {

namespace {

crdt::ObjId person_map(crdt::Document& doc, std::string_view id) {
  return ensure_map(doc, ensure_map(doc, crdt::ROOT, "users"), id);
}

}  // namespace

bool put_person(crdt::Document& doc, std::string_view id, std::string_view name,
                std::string_view initials, std::int64_t color_idx, PresenceStatus status) {
  crdt::ObjId p = person_map(doc, id);
  bool wrote = false;
  auto put_string_if_changed = [&](std::string_view key, std::string_view value) {
    if (string_or_empty(doc, p, key) == value) return;
    (void)doc.put(p, key, value);
    wrote = true;
  };
  put_string_if_changed("name", name);
  put_string_if_changed("initials", initials);
  if (i64_or_zero(doc, p, "color_idx") != color_idx) {
    (void)doc.put(p, "color_idx", color_idx);
    wrote = true;
  }
  put_string_if_changed("status", status_text(status));
  return wrote;
}

void seed_person(crdt::Document& doc, std::string_view id, std::string_view name,
                 std::string_view initials, std::int64_t color_idx, PresenceStatus status) {
  crdt::ObjId p = person_map(doc, id);
  (void)doc.put(p, "name", name);
  (void)doc.put(p, "initials", initials);
  (void)doc.put(p, "color_idx", color_idx);
  (void)doc.put(p, "status", status_text(status));
}

std::string draft_text(const crdt::Document& doc, std::string_view key) {
  auto drafts = get_map(doc, crdt::ROOT, "drafts");
  if (!drafts) return {};
  return doc_get_text(doc, *drafts, key).value_or(std::string());
}

crdt::ObjId draft_text_object(crdt::Document& doc, std::string_view key) {
  return ensure_text(doc, ensure_map(doc, crdt::ROOT, "drafts"), key);
}

void set_draft_text(crdt::Document& doc, std::string_view key, std::string_view text) {
  (void)vesk_ui::splice_text_diffed(doc, draft_text_object(doc, key), text);
}

void clear_draft(crdt::Document& doc, std::string_view key) {
  (void)vesk_ui::splice_text_diffed(doc, draft_text_object(doc, key), "");
}

}  // namespace chat::doc
