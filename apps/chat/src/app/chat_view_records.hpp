#pragma once
// The plain records the window draws, hit-tests and answers commands from, rebuilt from the
// document on every frame. Nothing here refers back into the document.

#include <string>
#include <vector>

#include "doc/message_records.hpp"
#include "doc/records.hpp"

namespace chat::app {

struct ChatView {
  std::vector<doc::Workspace> workspaces;
  // Every conversation of every workspace, archived ones included, with unread counts.
  std::vector<doc::Channel> conversations;
  std::vector<doc::Category> categories;
  // The people seen in the current workspace, sorted by name, then id.
  std::vector<doc::Person> workspace_people;
  // The current conversation's messages, in stored order.
  std::vector<doc::ChatMessage> messages;
  // The messages of every conversation, one conversation after the other.
  std::vector<doc::ChatMessage> all_messages;
  std::vector<doc::Person> people;
  std::string composer_draft;
  std::string thread_draft;
  // Empty: none.
  std::string current_workspace;
  std::string selected_workspace;
  std::string current_conversation;
};

}  // namespace chat::app
