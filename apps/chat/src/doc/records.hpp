#pragma once
// Plain view records of the document's people, workspaces, categories, conversations and call
// participants. Every string is an owned copy; nothing refers back into the document.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "actions/payload.hpp"

namespace chat::doc {

using actions::ChannelKind;

enum class PresenceStatus : std::uint8_t { Online = 0, Idle = 1, Dnd = 2, Offline = 3 };

// "online", "idle", "dnd" or "offline".
std::string_view status_text(PresenceStatus status);
// Unknown texts, the empty one included, read as Online.
PresenceStatus parse_status(std::string_view text);

struct Person {
  std::string id;
  std::string name;
  std::string initials;
  std::int64_t color_idx = 0;
  bool agent = false;
  PresenceStatus status = PresenceStatus::Online;
  bool operator==(const Person&) const = default;
};

struct Workspace {
  std::string id;
  std::string name;
  std::string glyph;
  std::int64_t color_idx = 0;
  std::uint32_t order = 0;
  bool operator==(const Workspace&) const = default;
};

struct Category {
  std::string id;
  std::string workspace;
  std::string name;
  std::uint32_t order = 0;
  bool collapsed = false;
  bool operator==(const Category&) const = default;
};

struct Channel {
  std::string id;
  std::string workspace;
  std::string category;  // empty: no category
  std::string name;
  std::string topic;
  ChannelKind kind = ChannelKind::Text;
  std::uint32_t order = 0;
  std::uint32_t unread = 0;  // filled by the chat view
  bool archived = false;
  bool operator==(const Channel&) const = default;
};

struct CallParticipant {
  std::string user;
  std::optional<std::string> ticket;
  bool talking = false;
  bool muted = false;
  bool deafened = false;
  bool audio_only = false;
  bool sharing = false;
  bool operator==(const CallParticipant&) const = default;
};

}  // namespace chat::doc
