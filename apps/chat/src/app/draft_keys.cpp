#include "app/draft_keys.hpp"

#include "app/chat_view.hpp"

namespace chat::app {

bool thread_composer_in_use(const ChatApp& app) {
  return app.composer_focus == ComposerFocus::Thread && app.open_thread.has_value();
}

vesk_ui::TextInput& composer_in_use(ChatApp& app) {
  return thread_composer_in_use(app) ? app.thread_composer : app.composer;
}

std::optional<std::string> thread_draft_key(const ChatApp& app) {
  if (!app.open_thread) return std::nullopt;
  return thread_draft_key(app.view.current_conversation, *app.open_thread);
}

std::string composer_draft_key(const ChatApp& app) {
  if (thread_composer_in_use(app)) return *thread_draft_key(app);
  return app.view.current_conversation;
}

}  // namespace chat::app
