#pragma once
// Small builders for the window tests: a message record, and a window in screenshot or
// interactive state that never consults the environment for its identity.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/chat_app.hpp"
#include "doc/message_records.hpp"

namespace chat::app::testing {

inline doc::ChatMessage message(std::string id, std::string author, std::int64_t ts,
                                std::string text = "hello",
                                std::optional<std::string> parent = std::nullopt) {
  doc::ChatMessage m;
  m.channel = "c_test";
  m.id = std::move(id);
  m.author = std::move(author);
  m.ts = ts;
  m.text = std::move(text);
  m.parent = std::move(parent);
  return m;
}

// The interactive window's state without the networked backend or the identity lookup.
inline std::unique_ptr<ChatApp> interactive_app(LocalPerson me = {"u_local", "Lee Local", "LL",
                                                                  3}) {
  std::unique_ptr<ChatApp> app = chat_app_base();
  app->live = true;
  app->local_person = std::move(me);
  app->view.current_workspace.clear();
  app->view.selected_workspace.clear();
  app->view.current_conversation.clear();
  app->open_thread.reset();
  return app;
}

}  // namespace chat::app::testing
