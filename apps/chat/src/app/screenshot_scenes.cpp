#include "app/screenshot_scenes.hpp"

#include <chrono>
#include <iostream>

#include "media/image_sources.hpp"

namespace chat::app {
namespace {

void set_pane(PaneAnimation& anim, bool shown) {
  anim.user_override = shown;
  anim.value = shown ? 1.0 : 0.0;
}

constexpr std::string_view kEditedText =
    "That's the one. Starting a huddle to walk through the grid — jump in. Moving it to 3pm so "
    "the west-coast folks can make it.";
constexpr std::string_view kComposerText =
    "Shipping the composer on the shared TextInput — real caret, selection, and Ctrl+C/V now.\n"
    "Enter sends, Shift+Enter for a new line.\nPlease check teh adress";

}  // namespace

std::unique_ptr<ChatApp> screenshot_app() {
  return chat_app_base();
}

void apply_scene(ChatApp& app, std::string_view scene) {
  if (scene == "narrow") {
    set_pane(app.nav_anim, false);
    set_pane(app.details_anim, false);
    app.open_thread.reset();
  } else if (scene == "history") {
    app.open_thread.reset();
    set_pane(app.details_anim, false);
    app.scroll_offset = 220;
    app.follow_latest = false;
  } else if (scene == "starter") {
    app.seed_starter = true;
    app.open_thread.reset();
  } else if (scene == "people") {
    app.open_thread.reset();
    set_pane(app.details_anim, true);
  } else if (scene == "thread-narrow") {
    app.open_thread = "m_concept";
    set_pane(app.details_anim, true);
  } else if (scene == "collaboration") {
    app.open_thread = "m_concept";
    app.details_anim.user_override = true;
  } else if (scene == "edit") {
    set_pane(app.details_anim, false);
    app.open_thread.reset();
    app.edit_input.set_text_with_cursor(kEditedText, kEditedText.size());
    app.editing_message = "m_me2";
    app.composer_focus = ComposerFocus::Main;
  } else if (scene == "composer") {
    set_pane(app.details_anim, false);
    app.open_thread.reset();
    app.composer_focus = ComposerFocus::Main;
    app.pending_composer_text = std::string(kComposerText);
  } else {
    // "compact", the menu, picker and call scenes, and any other name.
    app.open_thread.reset();
    set_pane(app.details_anim, false);
  }
}

void wait_for_images(ChatApp& app) {
  for (const doc::ChatMessage& message : app.view.messages) {
    if (!message.attachment) continue;
    const auto* image = std::get_if<actions::Attachment::Image>(&message.attachment->value);
    if (image == nullptr || !media::can_view_blob(app.permissions, image->blob)) continue;
    (void)app.images.get(media::attachment_image_url(image->blob));
  }
  (void)app.images.block_until_idle(std::chrono::seconds(3));
}

std::optional<std::string> render_screenshot(const vesk_ui::ShotRequest& request) {
  if (!request.output) return "missing screenshot output";
  std::unique_ptr<ChatApp> app = screenshot_app();
  apply_scene(*app, request.scene.value_or(""));
  vesk_ui::ShotFrame frame(vesk_ui::shot_theme(request.theme),
                           request.size.value_or(vesk_ui::ShotSize{1280, 800}));
  frame.sync(*app);
  wait_for_images(*app);
  if (std::optional<vesk_ui::LayoutError> error = frame.layout(*app)) return error->display();
  frame.draw(*app);
  frame.draw_floating_surfaces(*app);
  if (std::optional<std::string> error = frame.write_png(*request.output)) return error;
  std::cout << "chat: wrote shot to " << *request.output << "\n";
  return std::nullopt;
}

}  // namespace chat::app
