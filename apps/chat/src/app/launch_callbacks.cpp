#include "app/launch_callbacks.hpp"

#include "actions/registry.hpp"
#include "app/chat_app.hpp"
#include "app/data_dir.hpp"
#include "app/screenshot_scenes.hpp"

namespace chat::app {

std::unique_ptr<vesk_ui::Widget> build_app() {
  return new_chat_app();
}

void register_actions(vesk_ui::App& app) {
  actions::register_chat_action_type(app.action_registry_mut());
}

vesk_ui::WindowSize default_window_size() {
  return {1280, 800};
}

bool launch_flag() {
  return true;
}

vesk_ui::persist::DocumentStore open_state(crdt::ActorId actor,
                                           vesk_ui::persist::PersistOptions options) {
  if (std::optional<std::filesystem::path> dir = chat_data_dir()) {
    return vesk_ui::persist::open_migrating(std::move(actor), options, document_path(*dir));
  }
  return vesk_ui::persist::open(std::move(actor), options);
}

vesk_ui::LaunchDescription launch_description() {
  vesk_ui::LaunchDescription d;
  d.application_id = std::string(kApplicationId);
  d.screenshot_scenes.assign(kScreenshotScenes.begin(), kScreenshotScenes.end());
  d.build_app = build_app;
  d.render_screenshot = render_screenshot;
  d.register_actions = register_actions;
  d.default_window_size = default_window_size;
  d.launch_flag = launch_flag;
  d.open_state = open_state;
  d.options = {false, false, true, true};
  return d;
}

}  // namespace chat::app
