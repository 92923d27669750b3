#include "app/hit_target.hpp"

#include <array>
#include <string_view>
#include <type_traits>

namespace chat::app {
namespace {

constexpr std::array<std::string_view, 37> kNames = {
    "Inbox",          "CurrentContext", "Channel",        "VoiceChannel",
    "CategoryToggle", "AddChannel",     "AddCategory",    "FocusRename",
    "Reaction",       "AddReaction",    "OpenThread",     "EditHistory",
    "MessageMenu",    "EditSave",       "EditCancel",     "FocusEdit",
    "EmojiChoice",    "FocusMain",      "FocusThread",    "Send",
    "JumpToLatest",   "ComposerEmoji",  "Attach",         "AttachPick",
    "StartCall",      "CloseThread",    "CallDragHandle", "CallParticipantsToggle",
    "CallMute",       "CallDeafen",     "CallAudioOnly",  "CallShareScreen",
    "CallExpand",     "CallLeave",      "ToggleLeftFlap", "ToggleRightFlap",
    "Dismiss",
};

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

std::string number(double v) {
  // Whole numbers keep one decimal so a point reads as floating point ("12.0").
  std::string s = std::to_string(v);
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s += '0';
  return s;
}

std::string point(Point p) {
  return "Point { x: " + number(p.x) + ", y: " + number(p.y) + " }";
}

std::string tuple(std::string_view name, const std::string& payload) {
  return std::string(name) + "(" + payload + ")";
}

}  // namespace

std::string hit_target_name(const HitTarget& target) {
  return std::string(kNames[target.index()]);
}

std::string hit_target_debug(const HitTarget& target) {
  const std::string_view name = kNames[target.index()];
  return std::visit(
      [&](const auto& t) -> std::string {
        using T = std::decay_t<decltype(t)>;
        if constexpr (std::is_same_v<T, hit::Channel> || std::is_same_v<T, hit::VoiceChannel> ||
                      std::is_same_v<T, hit::CategoryToggle> ||
                      std::is_same_v<T, hit::AddCategory> || std::is_same_v<T, hit::OpenThread>) {
          return tuple(name, quoted(t.id));
        } else if constexpr (std::is_same_v<T, hit::EmojiChoice>) {
          return tuple(name, quoted(t.emoji));
        } else if constexpr (std::is_same_v<T, hit::AttachPick>) {
          return tuple(name, quoted(t.name));
        } else if constexpr (std::is_same_v<T, hit::ComposerEmoji>) {
          return tuple(name, point(t.anchor));
        } else if constexpr (std::is_same_v<T, hit::AddChannel>) {
          return std::string(name) + " { workspace: " + quoted(t.workspace) +
                 ", category: " + quoted(t.category) + " }";
        } else if constexpr (std::is_same_v<T, hit::Reaction>) {
          return std::string(name) + " { msg: " + quoted(t.msg) + ", emoji: " + quoted(t.emoji) +
                 " }";
        } else if constexpr (std::is_same_v<T, hit::AddReaction> ||
                             std::is_same_v<T, hit::EditHistory>) {
          return std::string(name) + " { msg: " + quoted(t.msg) + ", anchor: " + point(t.anchor) +
                 " }";
        } else if constexpr (std::is_same_v<T, hit::MessageMenu>) {
          return std::string(name) + " { msg: " + quoted(t.msg) + " }";
        } else {
          return std::string(name);
        }
      },
      target);
}

std::string hit_target_id(const HitTarget& target) {
  return std::visit(
      [&](const auto& t) -> std::string {
        using T = std::decay_t<decltype(t)>;
        if constexpr (std::is_same_v<T, hit::Inbox>)
          return "chat.inbox";
        else if constexpr (std::is_same_v<T, hit::CurrentContext>)
          return "chat.current-context";
        else if constexpr (std::is_same_v<T, hit::Channel>)
          return "chat.channel:" + t.id;
        else if constexpr (std::is_same_v<T, hit::VoiceChannel>)
          return "chat.voice-channel:" + t.id;
        else if constexpr (std::is_same_v<T, hit::CategoryToggle>)
          return "chat.category-toggle:" + t.id;
        else if constexpr (std::is_same_v<T, hit::AddChannel>)
          return "chat.add-channel:" + t.workspace + ":" + t.category;
        else if constexpr (std::is_same_v<T, hit::AddCategory>)
          return "chat.add-category:" + t.id;
        else if constexpr (std::is_same_v<T, hit::FocusRename>)
          return "chat.rename";
        else if constexpr (std::is_same_v<T, hit::Reaction>)
          return "chat.reaction:" + t.msg + ":" + t.emoji;
        else if constexpr (std::is_same_v<T, hit::AddReaction>)
          return "chat.add-reaction:" + t.msg;
        else if constexpr (std::is_same_v<T, hit::OpenThread>)
          return "chat.open-thread:" + t.id;
        else if constexpr (std::is_same_v<T, hit::EditHistory>)
          return "chat.edit-history:" + t.msg;
        else if constexpr (std::is_same_v<T, hit::EditSave>)
          return "chat.edit-save";
        else if constexpr (std::is_same_v<T, hit::EditCancel>)
          return "chat.edit-cancel";
        else if constexpr (std::is_same_v<T, hit::FocusEdit>)
          return "chat.message-edit";
        else if constexpr (std::is_same_v<T, hit::EmojiChoice>)
          return "chat.emoji-choice:" + t.emoji;
        else if constexpr (std::is_same_v<T, hit::FocusMain>)
          return "chat.composer";
        else if constexpr (std::is_same_v<T, hit::FocusThread>)
          return "chat.thread-composer";
        else if constexpr (std::is_same_v<T, hit::Send>)
          return "chat.send";
        else if constexpr (std::is_same_v<T, hit::JumpToLatest>)
          return "chat.jump-to-latest";
        else if constexpr (std::is_same_v<T, hit::ComposerEmoji>)
          return "chat.composer-emoji";
        else if constexpr (std::is_same_v<T, hit::Attach>)
          return "chat.attach";
        else if constexpr (std::is_same_v<T, hit::AttachPick>)
          return "chat.attach-pick:" + t.name;
        else if constexpr (std::is_same_v<T, hit::StartCall>)
          return "chat.start-call";
        else if constexpr (std::is_same_v<T, hit::CloseThread>)
          return "chat.close-thread";
        else if constexpr (std::is_same_v<T, hit::CallParticipantsToggle>)
          return "chat.call-participants";
        else if constexpr (std::is_same_v<T, hit::CallMute>)
          return "chat.call-mute";
        else if constexpr (std::is_same_v<T, hit::CallDeafen>)
          return "chat.call-deafen";
        else if constexpr (std::is_same_v<T, hit::CallAudioOnly>)
          return "chat.call-audio-only";
        else if constexpr (std::is_same_v<T, hit::CallShareScreen>)
          return "chat.call-share-screen";
        else if constexpr (std::is_same_v<T, hit::CallExpand>)
          return "chat.call-expand";
        else if constexpr (std::is_same_v<T, hit::CallLeave>)
          return "chat.call-leave";
        else if constexpr (std::is_same_v<T, hit::ToggleLeftFlap>)
          return "chat.toggle-navigation";
        else if constexpr (std::is_same_v<T, hit::ToggleRightFlap>)
          return "chat.toggle-details";
        else
          return "chat.control:" +
                 hit_target_debug(target);  // MessageMenu, CallDragHandle, Dismiss
      },
      target);
}

void push_hit_region(std::vector<HitRegion>& regions, const vesk_ui::Rect& rect, HitTarget target) {
  regions.push_back(HitRegion{rect.x0, rect.y0, rect.x1, rect.y1, std::move(target)});
}

std::optional<HitTarget> hit_target_at(std::span<const HitRegion> regions, double x, double y) {
  for (std::size_t i = regions.size(); i-- > 0;) {
    if (regions[i].contains(x, y)) return regions[i].target;
  }
  return std::nullopt;
}

bool hit_test_regions(HitCursor& cursor, Point point) {
  while (cursor.next_ > 0) {
    const HitRegion& region = cursor.regions_[cursor.next_ - 1];
    --cursor.next_;
    if (region.contains(point.x, point.y) && !std::holds_alternative<hit::Dismiss>(region.target)) {
      return true;
    }
  }
  return false;
}

}  // namespace chat::app
