#pragma once
// A window on the first-run workspace with two more people and a few messages, and the events
// that drive it the way the toolkit does.

#include <memory>
#include <string>

#include <vesk_ui/clipboard.hpp>
#include <vesk_ui/input.hpp>
#include <vesk_ui/widget.hpp>

#include "app/chat_app.hpp"
#include "app/chat_view.hpp"
#include "app/input_events.hpp"
#include "app/sync.hpp"
#include "crdt/document.hpp"
#include "doc/message_readers.hpp"
#include "doc/message_writers.hpp"
#include "doc/people.hpp"
#include "window_test_support.hpp"

namespace chat::app::testing {

class ComposerFixture {
 public:
  ComposerFixture() : app(interactive_app()) {
    sync(*app, doc);
    conversation = app->view.current_conversation;
    doc::put_person(doc, "u_ann", "Ann Lee", "AL", 2, doc::PresenceStatus::Online);
    add_message("m_ann1", "u_ann", "welcome");
    add_message("m_mine1", "u_local", "my first");
    add_message("m_reply_ann", "u_ann", "a reply", "m_ann1");
    add_message("m_reply_mine", "u_local", "my reply", "m_ann1");
    add_message("m_ann2", "u_ann", "latest from Ann");
    sync(*app, doc);
  }

  void add_message(const std::string& id, const std::string& author, const std::string& text,
                   std::optional<std::string> parent = std::nullopt) {
    doc::NewMessage m;
    m.author = author;
    m.text = text;
    m.ts = 1782477600;
    m.parent = std::move(parent);
    doc::insert_message(doc, conversation, id, m);
  }

  void open_thread(const std::string& parent) {
    app->open_thread = parent;
    app->composer_focus = ComposerFocus::Thread;
    refresh_view(*app, doc);
  }

  bool event(const vesk_ui::InputEvent& e, vesk_ui::Modifiers mods = {}, double scale = 1.0) {
    bool handled = false;
    app->handle_event(e, mods, doc, scale, ctx, handled);
    return handled;
  }
  void type(const std::string& text) { event(vesk_ui::TextEvent{text}); }
  void key(vesk_ui::NamedKey k, vesk_ui::Modifiers mods = {}) {
    event(vesk_ui::KeyEvent{k, vesk_ui::ElementState::Pressed}, mods);
    event(vesk_ui::KeyEvent{k, vesk_ui::ElementState::Released}, mods);
  }

  std::vector<doc::ChatMessage> messages() const { return doc::load_messages(doc, conversation); }
  const doc::ChatMessage* stored(std::string_view id) const {
    static thread_local std::vector<doc::ChatMessage> all;
    all = messages();
    for (const auto& m : all) {
      if (m.id == id) return &m;
    }
    return nullptr;
  }
  std::string draft(const std::string& key) const { return doc::draft_text(doc, key); }
  std::string thread_key(const std::string& parent) const {
    return thread_draft_key(conversation, parent);
  }

  crdt::Document doc;
  std::unique_ptr<ChatApp> app;
  std::string conversation;
  vesk_ui::MemoryClipboard clipboard;
  vesk_ui::ToolkitCtx ctx{clipboard, std::chrono::steady_clock::now()};
};

}  // namespace chat::app::testing
