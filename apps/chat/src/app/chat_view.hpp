#pragma once
// Rebuilding the chat view from the document, and the lookups the rest of the window makes
// over it. The window never reads the document anywhere else while drawing.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <vesk_ui/presence_ctx.hpp>

#include "actions/chat_action.hpp"
#include "app/chat_app.hpp"
#include "crdt/document.hpp"

namespace chat::app {

// Reads every workspace, conversation, category and person, the current conversation's messages
// and those of every conversation, fixes up ids that name nothing any more and keeps the
// composers in step with the stored drafts.
void refresh_view(ChatApp& app, const crdt::Document& doc);

// The draft key of a thread's reply composer.
std::string thread_draft_key(std::string_view channel, std::string_view parent);

// First match by exact id, or null.
const doc::Person* find_person(const ChatApp& app, std::string_view id);
const doc::Channel* find_channel(const ChatApp& app, std::string_view id);
// Only the current conversation's messages are searched.
const doc::ChatMessage* find_message(const ChatApp& app, std::string_view id);
const doc::Category* find_category(const ChatApp& app, std::string_view id);
// The participants of a voice conversation's call; empty when it has none.
std::vector<doc::CallParticipant> lookup_keyed_entry(const ChatApp& app,
                                                     std::string_view conversation);

// The local person's id or one of its former ids.
bool is_local_user(const ChatApp& app, std::string_view person_id);
// Presence's name, else the workspace person's, else (for the local user) the local name, else
// the id.
std::string person_display_name(const ChatApp& app, std::string_view person_id);
// "You" for the local user; the display name when there is one; "Someone (xxxx)" otherwise.
std::string author_label(const ChatApp& app, std::string_view person_id);

// The listed conversations of the current workspace, stably sorted by order.
std::vector<const doc::Channel*> sorted_channels(const ChatApp& app);

// Removes the local user's reaction when the shown message has it, else adds it.
actions::ChatAction toggle_reaction_action(const ChatApp& app, std::string_view message_id,
                                           std::string_view emoji);

// Takes the toolkit's presence: the local identity and name it knows, and the present users'
// names and colours.
void apply_presence(ChatApp& app, const vesk_ui::PresenceCtx& presence);

// Conversation and message filters over the current state.
bool in_current_workspace(const ChatApp& app, const doc::Channel& c);
bool is_listed_conversation(const ChatApp& app, const doc::Channel& c);
bool is_category_conversation(const ChatApp& app, const doc::Channel& c, std::string_view category);
bool is_text_conversation(const ChatApp& app, const doc::Channel& c);
bool is_voice_conversation(const ChatApp& app, const doc::Channel& c);
bool is_workspace_conversation(const doc::Channel& c, std::string_view workspace);
bool is_thread_reply(const ChatApp& app, const doc::ChatMessage& m);

}  // namespace chat::app
