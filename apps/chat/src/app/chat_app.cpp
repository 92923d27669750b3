#include "app/chat_app.hpp"

#include <utility>

#include "doc/seeds.hpp"
#include "media/networked_backend.hpp"
#include "media/simulated_backend.hpp"

namespace chat::app {
namespace {

vesk_ui::TextInput new_rename_input() {
  vesk_ui::TextInput input = vesk_ui::TextInput::local();
  input.set_text_size(13.0);
  input.set_show_placeholder(true);
  input.set_blink_caret(true);
  return input;
}

LocalPerson demo_person() {
  doc::LocalPerson demo = doc::demo_local_person();
  return LocalPerson{std::move(demo.id), std::move(demo.name), std::move(demo.initials),
                     demo.color_idx};
}

}  // namespace

vesk_ui::TextInput new_composer_input() {
  vesk_ui::TextInput input = vesk_ui::TextInput::local();
  input.set_text_size(15.0);
  input.set_multiline(true);
  input.set_show_placeholder(true);
  input.set_blink_caret(true);
  return input;
}

ChatApp::ChatApp()
    : composer(new_composer_input()),
      thread_composer(new_composer_input()),
      edit_input(new_composer_input()),
      rename_input(new_rename_input()),
      nav_anim(new_pane_animation(true)),
      details_anim(new_pane_animation(false)) {
  view.current_workspace = "ws_acme";
  view.selected_workspace = "ws_acme";
  view.current_conversation = "c_crit";
  open_thread = "m_concept";
  local_person = demo_person();
  media_backend = media::simulated_media_backend();
}

ChatApp::~ChatApp() = default;

bool ChatApp::take_redraw_request() {
  return std::exchange(redraw_requested, false);
}

std::unique_ptr<ChatApp> chat_app_base() {
  return std::make_unique<ChatApp>();
}

std::unique_ptr<ChatApp> new_chat_app() {
  std::unique_ptr<ChatApp> app = chat_app_base();
  app->live = true;
  app->local_person = load_local_identity();
  app->media_backend = media::create_media_backend();
  app->view.current_workspace.clear();
  app->view.selected_workspace.clear();
  app->view.current_conversation.clear();
  app->open_thread.reset();
  return app;
}

}  // namespace chat::app
