#pragma once
// The chat window: the one application widget, owner of everything the window shows and
// remembers between frames. The toolkit calls its operations on the main thread only.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <layout/layout.hpp>
#include <vesk_ui/action_host.hpp>
#include <vesk_ui/context_menu.hpp>
#include <vesk_ui/image_store.hpp>
#include <vesk_ui/permission.hpp>
#include <vesk_ui/text_input.hpp>
#include <vesk_ui/tooltip_host.hpp>
#include <vesk_ui/widget.hpp>

#include "app/chat_view_records.hpp"
#include "app/hit_target.hpp"
#include "app/identity.hpp"
#include "app/input_state.hpp"
#include "app/pane_animation.hpp"
#include "doc/records.hpp"
#include "media/image_sources.hpp"
#include "media/media_backend.hpp"

namespace chat::app {

using vesk_ui::Rect;

// Which composer has the keyboard.
enum class ComposerFocus : std::uint8_t { Main = 0, Thread = 1 };

class ChatApp final : public vesk_ui::Widget {
 public:
  ChatApp();
  ~ChatApp() override;

  std::string type_name() const override { return "chat::app::ChatApp"; }
  std::string short_type_name() const override { return "ChatApp"; }
  void sync(crdt::Document& doc) override;
  layout::NodeId build_layout(layout::LayoutTree& tree, vesk_ui::WidgetRegistry& registry) override;
  void apply_layout(const layout::LayoutTree& tree, layout::NodeId node,
                    vesk_ui::Point parent_offset) override;
  void draw(vesk_ui::Scene& scene, const Rect& bounds, vesk_ui::TextRenderer& text,
            const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx) override;
  void draw_with_presence(vesk_ui::Scene& scene, const Rect& bounds, vesk_ui::TextRenderer& text,
                          const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx,
                          const vesk_ui::PresenceCtx& presence,
                          const vesk_ui::PermissionContext& permissions) override;
  std::vector<std::string> operation_namespaces() const override { return {"chat.operation"}; }
  Rect widget_bounds() const override { return bounds; }
  bool has_open_popup() const override;
  std::optional<Rect> popup_rect() const override;
  bool needs_animation_frame() const override;
  bool take_redraw_request() override;
  void handle_event(const vesk_ui::InputEvent& event, const vesk_ui::Modifiers& modifiers,
                    crdt::Document& doc, double scale_factor, vesk_ui::ToolkitCtx& ctx,
                    bool& handled) override;
  bool perform_semantic_action(std::string_view element_id, const vesk_ui::SemanticAction& action,
                               crdt::Document& doc, vesk_ui::ToolkitCtx& ctx) override;

  // Text inputs.
  vesk_ui::TextInput composer;
  vesk_ui::TextInput thread_composer;
  vesk_ui::TextInput edit_input;
  vesk_ui::TextInput rename_input;

  // View and selection.
  ChatView view;
  std::optional<std::string> open_thread;
  std::optional<std::string> revealed_message;
  std::optional<std::string> editing_message;
  std::optional<RenameTarget> rename_target;
  std::optional<vesk_ui::ContextMenu> context_menu;
  vesk_ui::TooltipHost tooltip;
  std::vector<HitRegion> hit_regions;
  // The keyboard-focused element of the last frame, by index.
  std::optional<std::size_t> access_focus;
  std::optional<RowSwipe> drag_state;
  // Text that the next refresh puts into the composer.
  std::optional<std::string> pending_composer_text;

  // The local user and what presence says about people.
  LocalPerson local_person;
  std::vector<std::string> self_aliases;
  std::map<std::string, std::string, std::less<>> presence_names;
  std::map<std::string, vesk_ui::Color, std::less<>> presence_colors;
  // Voice conversation id to the people in its call.
  std::unordered_map<std::string, std::vector<doc::CallParticipant>> call_participants;

  std::unique_ptr<media::MediaBackend> media_backend;
  vesk_ui::PermissionContext permissions = vesk_ui::PermissionContext::permissive();
  vesk_ui::ActionHost actions;
  // Pictures of attachments and demo content, loaded in the background.
  vesk_ui::ImageStore images{media::resolve_image_source};

  // Layout and animation.
  Rect bounds;
  // The chrome a call surface reports the window attached to; zero until one does.
  Rect chrome_rect;
  std::optional<layout::NodeId> root_node;
  std::optional<layout::NodeId> video_node;
  PaneAnimation nav_anim;
  PaneAnimation details_anim;
  bool compact_nav = false;
  bool compact_details = false;
  float ui_scale = 1.0f;
  // The message list's position: 0 shows the newest message at the bottom.
  double scroll_offset = 0.0;
  double list_height = 0.0;
  vesk_ui::Point pointer_pos;  // logical pixels

  // Flags.
  ComposerFocus composer_focus = ComposerFocus::Main;
  bool follow_latest = true;
  bool reveal_pending = false;
  bool inbox_view = false;
  bool redraw_requested = false;
  bool animation_requested = false;
  bool seed_starter = false;
  bool live = false;
  bool demo_repair_done = false;
};

// A composer-style input: 15-px text over several lines, a placeholder and a blinking caret.
vesk_ui::TextInput new_composer_input();

// The state shared by the interactive window and the screenshot scenes: the demo person, the
// seeded selection, the simulated media backend.
std::unique_ptr<ChatApp> chat_app_base();
// The interactive window: the local identity, the networked media backend where it can start
// (blocks while its endpoint binds) and empty current ids for the first sync to choose.
std::unique_ptr<ChatApp> new_chat_app();

}  // namespace chat::app
