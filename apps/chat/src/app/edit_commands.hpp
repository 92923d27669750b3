#pragma once

// The message edit box and the rename box: starting, committing and leaving an edit or a
// rename.

#include <string_view>

#include <vesk_ui/input.hpp>
#include <vesk_ui/widget.hpp>

#include "crdt/document.hpp"

namespace chat::app {

class ChatApp;
struct RenameTarget;

// Puts the local user's own message into the edit box and closes the popups; a message of
// someone else, one not shown, or no write permission changes nothing.
void begin_message_edit(ChatApp& app, std::string_view message_id);
void cancel_message_edit(ChatApp& app);
// Leaves editing and sends the edited text, unless it is blank.
void commit_message_edit(ChatApp& app, crdt::Document& doc);
// Enter commits; other keys and text edit the box.
void handle_edit_box_event(ChatApp& app, const vesk_ui::InputEvent& event,
                           vesk_ui::Modifiers modifiers, crdt::Document& doc, double scale_factor,
                           vesk_ui::ToolkitCtx& ctx);

// Puts the current name of a conversation or category into the rename box.
void begin_rename(ChatApp& app, const RenameTarget& target);
// Enter renames (a blank name renames nothing) and leaves renaming either way.
void handle_rename_box_event(ChatApp& app, const vesk_ui::InputEvent& event,
                             vesk_ui::Modifiers modifiers, crdt::Document& doc, double scale_factor,
                             vesk_ui::ToolkitCtx& ctx);

}  // namespace chat::app
