#pragma once

// Where the window's input goes: the open context menu first, then the text input in use, the
// hit targets of the last frame, the conversation-row swipe and the keyboard focus.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <vesk_ui/input.hpp>
#include <vesk_ui/widget.hpp>

#include "app/hit_target.hpp"
#include "crdt/document.hpp"

namespace chat::app {

class ChatApp;

// One element that keyboard focus and semantic actions can reach: a hit region of the last
// frame under its stable id.
struct SemanticTarget {
  std::string id;
  HitTarget target;
  vesk_ui::Rect rect;
};

// The hit regions of the last frame in order, one per id (the first), without the regions that
// stand for no element of their own (message menus, the call drag handle, dismiss areas).
std::vector<SemanticTarget> semantic_targets(const ChatApp& app);

// Gives the toolkit's keyboard focus to exactly one text input, by mode: the rename box while
// renaming, else the edit box while editing, else the composer in use. The others lose it.
void sync_input_states(ChatApp& app);

void handle_event(ChatApp& app, const vesk_ui::InputEvent& event, vesk_ui::Modifiers modifiers,
                  crdt::Document& doc, double scale_factor, vesk_ui::ToolkitCtx& ctx,
                  bool& handled);

// Performs an action of assistive technology on an element of the last frame; false when no
// such element exists or the action is not one it takes.
bool perform_semantic_action(ChatApp& app, std::string_view element_id,
                             const vesk_ui::SemanticAction& action, crdt::Document& doc,
                             vesk_ui::ToolkitCtx& ctx);

}  // namespace chat::app
