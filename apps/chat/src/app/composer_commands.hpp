#pragma once

// What the two message composers do with what the user types: keep the draft in the document,
// send it as a message, take emoji from the picker, and mark the open conversation read.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <vesk_ui/input.hpp>
#include <vesk_ui/permission.hpp>
#include <vesk_ui/text_input.hpp>
#include <vesk_ui/widget.hpp>

#include "actions/mention_candidates.hpp"
#include "crdt/document.hpp"

namespace chat::app {

class ChatApp;

// Whether the local user may change the workspace.
bool can_write(const vesk_ui::PermissionContext& permissions);

// Whole seconds since the Unix epoch; a clock set before the epoch gives 1782477600.
std::int64_t now_secs();
std::int64_t now_secs(std::chrono::system_clock::time_point now);

// The people of the current workspace and the other present users, each once, by name.
std::vector<actions::MentionCandidate> mention_candidates(const ChatApp& app);

// Hands the event to the input; true when the input acted on it.
bool route_text_input_event(vesk_ui::TextInput& input, const vesk_ui::InputEvent& event,
                            vesk_ui::Modifiers modifiers, double scale_factor,
                            vesk_ui::ToolkitCtx& ctx);

// A key or text event for the composer in use: Up in an empty composer edits the local user's
// last message there, Enter sends, anything else edits the draft.
void handle_composer_event(ChatApp& app, const vesk_ui::InputEvent& event,
                           vesk_ui::Modifiers modifiers, crdt::Document& doc, double scale_factor,
                           vesk_ui::ToolkitCtx& ctx);
// Sends the draft of the composer in use as a message, then clears the draft.
void send_composer_message(ChatApp& app, crdt::Document& doc);
// Inserts an emoji from the picker at the caret of the edit box or of the composer in use.
void insert_composer_emoji(ChatApp& app, crdt::Document& doc, std::string_view emoji);
// Where marking read takes the number of top-level messages from. A fresh view was rebuilt
// from the document since its last change: its messages are the conversation's, and
// counting them spares reading every message of the document again on each frame.
enum class MessageCount { FromDocument, FromFreshView };

// Records that the local user has read the open conversation, while the list shows its newest
// message.
void mark_current_channel_read(ChatApp& app, crdt::Document& doc,
                               MessageCount count = MessageCount::FromDocument);

}  // namespace chat::app
