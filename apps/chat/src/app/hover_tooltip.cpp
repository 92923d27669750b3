#include "app/hover_tooltip.hpp"

#include <cstdint>
#include <string_view>
#include <variant>

#include "app/chat_app.hpp"
#include "app/chat_view.hpp"
#include "app/white_space.hpp"
#include "app/window_layout.hpp"

namespace chat::app {
namespace {

std::optional<std::string> tooltip_label(const ChatApp& app, const HitTarget& target) {
  if (std::holds_alternative<hit::Inbox>(target)) {
    std::uint64_t unread = 0;
    for (const doc::Channel& c : app.view.conversations) unread += c.unread;
    if (unread == 0) return "Inbox";
    return "Inbox, " + std::to_string(unread) + " unread";
  }
  if (std::holds_alternative<hit::CurrentContext>(target)) {
    std::string name = "Current workspace";
    for (const doc::Workspace& w : app.view.workspaces) {
      if (w.id == app.view.selected_workspace) {
        name = w.name;
        break;
      }
    }
    return name + " channels, current workspace";
  }
  if (std::holds_alternative<hit::AddReaction>(target)) return "Add reaction";
  if (std::holds_alternative<hit::Send>(target)) return "Send message";
  if (std::holds_alternative<hit::ComposerEmoji>(target)) return "Insert emoji";
  if (std::holds_alternative<hit::Attach>(target)) return "Attach a workspace file";
  if (std::holds_alternative<hit::ToggleLeftFlap>(target)) return "Show conversation navigation";
  if (std::holds_alternative<hit::ToggleRightFlap>(target)) return "Show people or thread";
  return std::nullopt;
}

std::optional<std::string> header_tooltip(const ChatApp& app) {
  const doc::Channel* channel = find_channel(app, app.view.current_conversation);
  if (channel == nullptr) return std::nullopt;
  std::string text = channel->kind == doc::ChannelKind::Voice ? "🔊" : "#";
  text += channel->name;
  const std::string_view topic = trim_white_space(channel->topic);
  if (!topic.empty()) {
    text += " — ";
    text += topic;
  }
  return text;
}

}  // namespace

std::optional<std::string> hover_tooltip_text(const ChatApp& app, vesk_ui::Point point) {
  const std::vector<HitRegion>& regions = app.hit_regions;
  for (auto it = regions.rbegin(); it != regions.rend(); ++it) {
    if (!it->contains(point.x, point.y)) continue;
    if (std::optional<std::string> label = tooltip_label(app, it->target)) return label;
  }
  HitCursor cursor(regions);
  if (hit_test_regions(cursor, point)) return std::nullopt;
  if (header_rect(app).contains(point)) return header_tooltip(app);
  return std::nullopt;
}

}  // namespace chat::app
