#include "doc/call_writers.hpp"

#include "doc/access.hpp"

namespace chat::doc {

namespace {

crdt::ObjId participant_map(crdt::Document& doc, std::string_view channel, std::string_view user) {
  return ensure_map(doc, call_channel_map(doc, channel), user);
}

}  // namespace

crdt::ObjId call_channel_map(crdt::Document& doc, std::string_view channel) {
  return ensure_map(doc, ensure_map(doc, crdt::ROOT, "voice"), channel);
}

void join_call(crdt::Document& doc, std::string_view channel, std::string_view user) {
  crdt::ObjId p = participant_map(doc, channel, user);
  // Any value under "talking" means the participant is there; keep its state.
  if (doc.get(p, "talking")) return;
  for (std::string_view flag : {"talking", "muted", "deafened", "audio_only", "sharing"}) {
    (void)doc.put(p, flag, false);
  }
}

void leave_call(crdt::Document& doc, std::string_view channel, std::string_view user) {
  auto voice = get_map(doc, crdt::ROOT, "voice");
  if (!voice) return;
  auto call = get_map(doc, *voice, channel);
  if (!call) return;
  (void)doc.remove(*call, user);
}

void set_call_state(crdt::Document& doc, std::string_view channel, std::string_view user,
                    bool talking, bool muted, bool deafened, bool audio_only) {
  crdt::ObjId p = participant_map(doc, channel, user);
  (void)doc.put(p, "talking", talking);
  (void)doc.put(p, "muted", muted);
  (void)doc.put(p, "deafened", deafened);
  (void)doc.put(p, "audio_only", audio_only);
}

void set_screen_share(crdt::Document& doc, std::string_view channel, std::string_view user,
                      bool sharing) {
  crdt::ObjId p = participant_map(doc, channel, user);
  if (bool_or_false(doc, p, "sharing") == sharing) return;
  (void)doc.put(p, "sharing", sharing);
}

void set_call_ticket(crdt::Document& doc, std::string_view channel, std::string_view user,
                     std::string_view ticket) {
  crdt::ObjId p = participant_map(doc, channel, user);
  if (string_or_empty(doc, p, "ticket") == ticket) return;
  (void)doc.put(p, "ticket", ticket);
}

}  // namespace chat::doc
