#include "app/draft_keys.hpp"

namespace chat::app {

std::optional<std::string> thread_draft_key(std::string_view conversation,
                                            const std::optional<std::string>& open_thread) {
  if (!open_thread) return std::nullopt;
  std::string key(conversation);
  key += "::t::";
  key += *open_thread;
  return key;
}

bool thread_composer_in_use(const std::optional<std::string>& open_thread, int composer_focus) {
  return composer_focus == kComposerThread && open_thread.has_value();
}

std::string composer_draft_key(std::string_view conversation,
                               const std::optional<std::string>& open_thread, int composer_focus) {
  if (thread_composer_in_use(open_thread, composer_focus)) {
    return *thread_draft_key(conversation, open_thread);
  }
  return std::string(conversation);
}

}  // namespace chat::app
