#include "app/input_events.hpp"

#include <algorithm>
#include <unordered_set>
#include <utility>
#include <variant>

#include "app/activate_target.hpp"
#include "app/channel_commands.hpp"
#include "app/chat_app.hpp"
#include "app/chat_view.hpp"
#include "app/composer_commands.hpp"
#include "app/draft_keys.hpp"
#include "app/edit_commands.hpp"
#include "app/hover_tooltip.hpp"
#include "app/input_rules.hpp"
#include "doc/people.hpp"

namespace chat::app {
namespace {

using vesk_ui::ElementState;
using vesk_ui::NamedKey;

bool is_named(const vesk_ui::KeyEvent& key, NamedKey name) {
  const auto* named = std::get_if<NamedKey>(&key.key);
  return named != nullptr && *named == name;
}

// Enter, or the space bar, which arrives as the text " ".
bool activates_focus(const vesk_ui::KeyEvent& key) {
  if (is_named(key, NamedKey::Enter) || is_named(key, NamedKey::Space)) return true;
  const auto* text = std::get_if<std::string>(&key.key);
  return text != nullptr && *text == " ";
}

bool is_text_input_target(const HitTarget& target) {
  return std::holds_alternative<hit::FocusRename>(target) ||
         std::holds_alternative<hit::FocusEdit>(target) ||
         std::holds_alternative<hit::FocusMain>(target) ||
         std::holds_alternative<hit::FocusThread>(target);
}

// The popups that keep typing away from the composer. The pickers arrive with their own code.
bool popup_open(const ChatApp& app) {
  return app.context_menu.has_value();
}

// The text input that has the keyboard in the current mode.
vesk_ui::TextInput& focused_input(ChatApp& app) {
  if (app.rename_target) return app.rename_input;
  if (app.editing_message) return app.edit_input;
  return composer_in_use(app);
}

void set_focus(vesk_ui::TextInput& input, bool focused) {
  if (input.focused() != focused) input.set_focused(focused);
}

void move_keyboard_focus(ChatApp& app, bool backwards) {
  const std::vector<SemanticTarget> elements = semantic_targets(app);
  app.access_focus = next_focus_index(app.access_focus, elements.size(), backwards);
  if (!app.access_focus) return;
  const HitTarget& target = elements[*app.access_focus].target;
  if (std::holds_alternative<hit::FocusThread>(target)) {
    app.composer_focus = ComposerFocus::Thread;
    set_focus(app.composer, false);
    set_focus(app.thread_composer, true);
  } else if (std::holds_alternative<hit::FocusMain>(target)) {
    app.composer_focus = ComposerFocus::Main;
    set_focus(app.thread_composer, false);
    set_focus(app.composer, true);
  } else {
    set_focus(app.composer, false);
    set_focus(app.thread_composer, false);
  }
}

// Escape outside the text boxes closes the innermost thing open.
void close_on_escape(ChatApp& app) {
  if (app.open_thread) {
    app.open_thread.reset();
    app.composer_focus = ComposerFocus::Main;
    sync_input_states(app);
  }
}

void handle_key(ChatApp& app, const vesk_ui::KeyEvent& key, vesk_ui::Modifiers modifiers,
                crdt::Document& doc, double scale_factor, vesk_ui::ToolkitCtx& ctx, bool& handled) {
  if (key.ignored) return;
  const bool pressed = key.state == ElementState::Pressed;
  if (app.rename_target) {
    if (is_named(key, NamedKey::Escape)) {
      if (!pressed) return;
      app.rename_target.reset();
      app.rename_input.set_text("");
      sync_input_states(app);
    } else {
      handle_rename_box_event(app, key, modifiers, doc, scale_factor, ctx);
    }
    handled = true;
    return;
  }
  if (app.editing_message) {
    if (is_named(key, NamedKey::Escape)) {
      if (pressed) cancel_message_edit(app);
    } else {
      handle_edit_box_event(app, key, modifiers, doc, scale_factor, ctx);
    }
    handled = true;
    return;
  }
  if (pressed && modifiers.control && is_named(key, NamedKey::End)) {
    app.scroll_offset = 0;
    app.follow_latest = true;
    handled = true;
    return;
  }
  if (pressed && app.access_focus && activates_focus(key)) {
    const std::vector<SemanticTarget> elements = semantic_targets(app);
    if (*app.access_focus < elements.size()) {
      activate_target(app, elements[*app.access_focus].target, doc);
      handled = true;
      return;
    }
    app.access_focus.reset();
  }
  if (is_named(key, NamedKey::Tab)) {
    if (pressed) move_keyboard_focus(app, modifiers.shift);
    handled = true;
    return;
  }
  if (!is_named(key, NamedKey::Escape)) {
    if (can_write(app.permissions) && !popup_open(app)) {
      handle_composer_event(app, key, modifiers, doc, scale_factor, ctx);
      handled = true;
    }
    return;
  }
  if (pressed) {
    close_on_escape(app);
    handled = true;
  }
}

void handle_text(ChatApp& app, const vesk_ui::InputEvent& event, vesk_ui::Modifiers modifiers,
                 crdt::Document& doc, double scale_factor, vesk_ui::ToolkitCtx& ctx,
                 bool& handled) {
  if (app.rename_target) {
    handle_rename_box_event(app, event, modifiers, doc, scale_factor, ctx);
  } else if (app.editing_message) {
    handle_edit_box_event(app, event, modifiers, doc, scale_factor, ctx);
  } else if (can_write(app.permissions) && !popup_open(app)) {
    handle_composer_event(app, event, modifiers, doc, scale_factor, ctx);
  } else {
    return;
  }
  handled = true;
}

// Pointer moves, presses and releases reach every text input, so that a selection drag can
// follow the pointer out of the box it started in.
bool route_to_all_inputs(ChatApp& app, const vesk_ui::InputEvent& event,
                         vesk_ui::Modifiers modifiers, double scale_factor,
                         vesk_ui::ToolkitCtx& ctx) {
  bool changed = false;
  for (vesk_ui::TextInput* input :
       {&app.composer, &app.thread_composer, &app.rename_input, &app.edit_input}) {
    changed |= route_text_input_event(*input, event, modifiers, scale_factor, ctx);
  }
  return changed;
}

std::optional<std::size_t> sidebar_index(const ChatApp& app, std::string_view id) {
  const std::vector<const doc::Channel*> order = sorted_channels(app);
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (order[i]->id == id) return i;
  }
  return std::nullopt;
}

void press_primary(ChatApp& app, const vesk_ui::PointerButton& button, vesk_ui::Modifiers modifiers,
                   crdt::Document& doc, double scale_factor, vesk_ui::ToolkitCtx& ctx,
                   bool& handled) {
  app.access_focus.reset();
  const std::optional<HitTarget> target =
      hit_target_at(app.hit_regions, app.pointer_pos.x, app.pointer_pos.y);
  if (!target) return;
  handled = true;
  if (const auto* channel = std::get_if<hit::Channel>(&*target)) {
    if (auto index = sidebar_index(app, channel->id)) {
      app.drag_state = RowSwipe{app.pointer_pos, app.pointer_pos, *index};
    }
    return;
  }
  // Dragging the call surface belongs to the call code.
  if (std::holds_alternative<hit::CallDragHandle>(*target)) return;
  activate_target(app, *target, doc);
  if (is_text_input_target(*target)) {
    route_text_input_event(focused_input(app), button, modifiers, scale_factor, ctx);
  }
}

void release_primary(ChatApp& app, const vesk_ui::PointerButton& button,
                     vesk_ui::Modifiers modifiers, crdt::Document& doc, double scale_factor,
                     vesk_ui::ToolkitCtx& ctx, bool& handled) {
  handled |= route_to_all_inputs(app, button, modifiers, scale_factor, ctx);
  std::optional<RowSwipe> swipe = std::exchange(app.drag_state, std::nullopt);
  if (!swipe) return;
  handled = true;
  const std::vector<const doc::Channel*> order = sorted_channels(app);
  if (swipe->index >= order.size()) return;
  const std::string id = order[swipe->index]->id;
  switch (swipe_outcome(swipe->press.x, swipe->current.x)) {
    case SwipeOutcome::Open:
      activate_target(app, hit::Channel{id}, doc);
      break;
    case SwipeOutcome::Delete:
      perform_channel_command(app, id, static_cast<std::uint8_t>(ChannelCommand::Delete), doc);
      break;
    case SwipeOutcome::Nothing:
      break;
  }
}

void handle_pointer_move(ChatApp& app, const vesk_ui::PointerMoved& moved,
                         vesk_ui::Modifiers modifiers, double scale_factor,
                         vesk_ui::ToolkitCtx& ctx, bool& handled) {
  const double scale = scale_factor > 0 ? scale_factor : 1.0;
  app.pointer_pos = {moved.x / scale, moved.y / scale};
  if (app.tooltip.on_pointer(hover_tooltip_text(app, app.pointer_pos), ctx.now)) {
    app.redraw_requested = true;
    handled = true;
  }
  if (app.drag_state) {
    app.drag_state->current = app.pointer_pos;
    handled = true;
  }
  handled |= route_to_all_inputs(app, moved, modifiers, scale_factor, ctx);
}

// The open menu sees the event first; true when it ends handling.
bool menu_takes_event(ChatApp& app, const vesk_ui::InputEvent& event, double scale_factor,
                      bool& handled) {
  std::optional<vesk_ui::ContextMenu> menu = std::exchange(app.context_menu, std::nullopt);
  if (!menu) return false;
  const vesk_ui::ContextMenuResponse response = menu->handle_event(event, scale_factor);
  if (response.open) app.context_menu = std::move(menu);
  // Performing a chosen command arrives with the context menus' own code.
  if (response.consumed || response.chosen) {
    handled = true;
    return true;
  }
  handled = handled || !response.open;
  // While a menu was open, keys, text, the wheel and primary presses go nowhere else.
  if (std::holds_alternative<vesk_ui::PointerMoved>(event)) return false;
  if (const auto* button = std::get_if<vesk_ui::PointerButton>(&event)) {
    return button->button == vesk_ui::PointerButtonKind::Primary;
  }
  return !std::holds_alternative<vesk_ui::PointerLeft>(event);
}

}  // namespace

std::vector<SemanticTarget> semantic_targets(const ChatApp& app) {
  std::vector<SemanticTarget> elements;
  std::unordered_set<std::string> seen;
  for (const HitRegion& region : app.hit_regions) {
    if (std::holds_alternative<hit::MessageMenu>(region.target) ||
        std::holds_alternative<hit::CallDragHandle>(region.target) ||
        std::holds_alternative<hit::Dismiss>(region.target)) {
      continue;
    }
    std::string id = hit_target_id(region.target);
    if (!seen.insert(id).second) continue;
    elements.push_back(
        {std::move(id), region.target, {region.x0, region.y0, region.x1, region.y1}});
  }
  return elements;
}

void sync_input_states(ChatApp& app) {
  vesk_ui::TextInput& active = focused_input(app);
  for (vesk_ui::TextInput* input :
       {&app.composer, &app.thread_composer, &app.edit_input, &app.rename_input}) {
    if (input != &active) set_focus(*input, false);
  }
  set_focus(active, true);
}

void handle_event(ChatApp& app, const vesk_ui::InputEvent& event, vesk_ui::Modifiers modifiers,
                  crdt::Document& doc, double scale_factor, vesk_ui::ToolkitCtx& ctx,
                  bool& handled) {
  if (menu_takes_event(app, event, scale_factor, handled)) return;
  std::visit(
      [&](const auto& e) {
        using T = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<T, vesk_ui::KeyEvent>) {
          handle_key(app, e, modifiers, doc, scale_factor, ctx, handled);
        } else if constexpr (std::is_same_v<T, vesk_ui::TextEvent> ||
                             std::is_same_v<T, vesk_ui::CompositionEvent>) {
          handle_text(app, event, modifiers, doc, scale_factor, ctx, handled);
        } else if constexpr (std::is_same_v<T, vesk_ui::PointerMoved>) {
          handle_pointer_move(app, e, modifiers, scale_factor, ctx, handled);
        } else if constexpr (std::is_same_v<T, vesk_ui::WheelEvent>) {
          const double delta = wheel_scroll_delta(e, scale_factor);
          app.scroll_offset += delta;
          if (delta > 0) app.follow_latest = false;
          handled = true;
        } else if constexpr (std::is_same_v<T, vesk_ui::PointerButton>) {
          if (e.button != vesk_ui::PointerButtonKind::Primary) return;
          if (e.state == ElementState::Pressed) {
            press_primary(app, e, modifiers, doc, scale_factor, ctx, handled);
          } else {
            release_primary(app, e, modifiers, doc, scale_factor, ctx, handled);
          }
        }
      },
      event);
}

bool perform_semantic_action(ChatApp& app, std::string_view element_id,
                             const vesk_ui::SemanticAction& action, crdt::Document& doc,
                             vesk_ui::ToolkitCtx& /*ctx*/) {
  if (element_id.starts_with(vesk_ui::ContextMenu::kItemIdPrefix)) {
    std::optional<vesk_ui::ContextMenu> menu = std::exchange(app.context_menu, std::nullopt);
    if (!menu) return false;
    const vesk_ui::ContextMenuResponse response = menu->perform_semantic_action(element_id, action);
    if (response.open) app.context_menu = std::move(menu);
    return response.chosen.has_value() || response.consumed;
  }
  const std::vector<SemanticTarget> elements = semantic_targets(app);
  const auto found = std::find_if(elements.begin(), elements.end(),
                                  [&](const SemanticTarget& e) { return e.id == element_id; });
  if (found == elements.end()) return false;
  const HitTarget target = found->target;

  if (is_text_input_target(target)) {
    if (action.kind == 7 || action.kind == 8) {
      vesk_ui::TextInput* input = nullptr;
      std::optional<std::string> draft_key;
      if (std::holds_alternative<hit::FocusRename>(target)) {
        if (app.rename_target) input = &app.rename_input;
      } else if (std::holds_alternative<hit::FocusEdit>(target)) {
        if (app.editing_message) input = &app.edit_input;
      } else if (std::holds_alternative<hit::FocusMain>(target)) {
        app.composer_focus = ComposerFocus::Main;
        input = &app.composer;
        draft_key = app.view.current_conversation;
      } else if (app.open_thread) {
        app.composer_focus = ComposerFocus::Thread;
        input = &app.thread_composer;
        draft_key = thread_draft_key(app);
      }
      if (input == nullptr || !input->perform_action(action)) return false;
      if (draft_key) {
        const std::string text = input->text();
        (void)input->take_dirty();
        doc::set_draft_text(doc, *draft_key, text);
        refresh_view(app, doc);
      } else {
        (void)input->take_dirty();
      }
      sync_input_states(app);
      return true;
    }
    if (action.kind == 0 || action.kind == 1) {
      activate_target(app, target, doc);
      return true;
    }
    return false;
  }
  if (action.kind == 0 || action.kind == 2) {
    activate_target(app, target, doc);
    return true;
  }
  return false;
}

void ChatApp::handle_event(const vesk_ui::InputEvent& event, const vesk_ui::Modifiers& modifiers,
                           crdt::Document& doc, double scale_factor, vesk_ui::ToolkitCtx& ctx,
                           bool& handled) {
  app::handle_event(*this, event, modifiers, doc, scale_factor, ctx, handled);
}

bool ChatApp::perform_semantic_action(std::string_view element_id,
                                      const vesk_ui::SemanticAction& action, crdt::Document& doc,
                                      vesk_ui::ToolkitCtx& ctx) {
  return app::perform_semantic_action(*this, element_id, action, doc, ctx);
}

}  // namespace chat::app
