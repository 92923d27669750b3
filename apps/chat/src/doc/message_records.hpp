#pragma once
// View records of messages and the record that the message writer stores for a send or a seed.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "actions/agent_work.hpp"
#include "actions/payload.hpp"
#include "doc/boxed.hpp"

namespace chat::doc {

using actions::AgentWork;
using actions::Attachment;
using actions::Mention;
using actions::ResourceRef;

// An earlier version of a message text and the time of the edit that replaced it.
struct EditRecord {
  std::string text;
  std::int64_t ts = 0;
  bool operator==(const EditRecord&) const = default;
};

// One emoji with the users who reacted with it, each at most once.
struct Reaction {
  std::string emoji;
  std::vector<std::string> users;
  bool operator==(const Reaction&) const = default;
};

struct ChatMessage {
  std::string channel;
  std::string id;
  std::string author;
  std::int64_t ts = 0;
  std::string text;
  std::optional<std::string> parent;  // none for a top-level message
  bool edited = false;
  std::vector<EditRecord> history;  // oldest first
  std::vector<Reaction> reactions;
  std::vector<Mention> mentions;
  // Rare and large: held apart, so that a conversation's records stay small.
  Boxed<ResourceRef> reference;
  Boxed<Attachment> attachment;
  Boxed<AgentWork> work;
  bool pinned = false;
  bool operator==(const ChatMessage&) const = default;

  // Back to a default record, keeping the storage of its strings and lists: the window reads a
  // long conversation into last frame's records. A field added above is reset here too.
  void clear() {
    channel.clear();
    id.clear();
    author.clear();
    ts = 0;
    text.clear();
    parent.reset();
    edited = false;
    history.clear();
    reactions.clear();
    mentions.clear();
    reference.reset();
    attachment.reset();
    work.reset();
    pinned = false;
  }
};

struct NewMessage {
  std::string author;
  std::string text;
  std::vector<Reaction> reactions;
  std::vector<EditRecord> history;
  std::vector<Mention> mentions;
  std::optional<std::string> parent;
  std::optional<ResourceRef> reference;
  std::optional<AgentWork> work;
  std::optional<Attachment> attachment;
  std::int64_t ts = 0;
  bool edited = false;
};

}  // namespace chat::doc
