#pragma once
// Writers of the call participant records under voice/<channel>/<user>. Each participant
// writes its own record.

#include <string_view>

#include "crdt/document.hpp"

namespace chat::doc {

// voice/<channel>, created when missing.
crdt::ObjId call_channel_map(crdt::Document& doc, std::string_view channel);

// All flags false, unless the participant is already there (then nothing is written).
void join_call(crdt::Document& doc, std::string_view channel, std::string_view user);
void leave_call(crdt::Document& doc, std::string_view channel, std::string_view user);
void set_call_state(crdt::Document& doc, std::string_view channel, std::string_view user,
                    bool talking, bool muted, bool deafened, bool audio_only);
void set_screen_share(crdt::Document& doc, std::string_view channel, std::string_view user,
                      bool sharing);
void set_call_ticket(crdt::Document& doc, std::string_view channel, std::string_view user,
                     std::string_view ticket);

}  // namespace chat::doc
