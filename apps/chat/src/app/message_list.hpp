#pragma once
// The conversation's top-level messages as a scrolling list, oldest at the top: grouped into
// runs of one author, measured once per frame, scrolled from the newest position, with the day
// label above, a pill back to the newest message and a placeholder for an empty conversation.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <vesk_ui/scene.hpp>
#include <vesk_ui/text_renderer.hpp>
#include <vesk_ui/theme.hpp>
#include <vesk_ui/widget.hpp>

#include "app/chat_app.hpp"
#include "app/hit_target.hpp"
#include "doc/message_records.hpp"

namespace chat::app {

// The instant day labels are computed against, so they read the same on every day.
inline constexpr std::int64_t kDayReference = 1782477600;
// Messages of one author at most this many seconds apart share a group.
inline constexpr std::int64_t kGroupGapSeconds = 300;

struct MessageGroup {
  std::string author;
  std::vector<std::size_t> indices;  // into the view's messages
};

// Replies are left out: they live in their threads.
std::vector<MessageGroup> group_messages(std::span<const doc::ChatMessage> messages);

struct MessageRow {
  std::string id;
  double header_h = 0;
  double text_h = 0;
  double attachment_h = 0;
  double reactions_h = 0;
  double edited_h = 0;
  double thread_h = 0;
  double edit_h = 0;
  bool first = false;
  bool editing = false;
};

double message_row_height(const MessageRow& row);

bool is_reply_of(const doc::ChatMessage& message, std::string_view parent);
std::size_t reply_count(std::span<const doc::ChatMessage> messages, std::string_view parent);
std::optional<std::int64_t> latest_reply_ts(std::span<const doc::ChatMessage> messages,
                                            std::string_view parent);

// "Today", "Yesterday" or the date, in whole UTC days before kDayReference.
std::string day_label(std::int64_t ts);
// "HH:MM" in UTC.
std::string time_label(std::int64_t ts);

// The local user is one of the document's people.
bool local_user_listed(const ChatApp& app);

// The list's rectangle and its row geometry.
struct ListGeometry {
  Rect area;
  double left = 0;        // L
  double right = 0;       // R
  double text_x = 0;      // where message text starts
  double text_width = 0;  // how wide it wraps
};

ListGeometry list_geometry(const ChatApp& app, double composer_top, double scale);

// Reply counts and the latest reply time of each parent, counted once per frame.
struct ReplyStats {
  std::size_t count = 0;
  std::int64_t latest_ts = 0;
};
using ReplyIndex = std::unordered_map<std::string_view, ReplyStats>;
ReplyIndex index_replies(std::span<const doc::ChatMessage> messages);

struct MeasuredRow {
  MessageRow row;
  std::size_t index = 0;  // into the view's messages
  double height = 0;
  // The shaped text, drawn as measured.
  std::shared_ptr<const vesk_ui::TextLayout> text;
};

struct MessageListLayout {
  ListGeometry geometry;
  std::vector<MeasuredRow> rows;  // in group order
  double content_height = 0;
  double content_top = 0;  // c0
};

// Measures every row and settles the scroll position: keeps what is in view in place while the
// user reads older messages, centres a message being revealed, clamps to the ends and follows
// the newest message when at the bottom.
MessageListLayout layout_message_list(ChatApp& app, vesk_ui::TextRenderer& text,
                                      const vesk_ui::Theme& theme, const ListGeometry& geometry);

void draw_message_list(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                       const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx,
                       const MessageListLayout& list, std::vector<HitRegion>& hits);

}  // namespace chat::app
