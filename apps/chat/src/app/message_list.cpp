#include "app/message_list.hpp"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <vesk_ui/surface.hpp>

#include "app/chat_view.hpp"
#include "app/draw_shapes.hpp"
#include "app/draw_text.hpp"
#include "app/message_row.hpp"
#include "app/window_layout.hpp"

namespace chat::app {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

std::tm utc(std::int64_t ts) {
  std::tm tm{};
  const std::time_t t = static_cast<std::time_t>(ts);
  gmtime_r(&t, &tm);
  return tm;
}

}  // namespace

std::vector<MessageGroup> group_messages(std::span<const doc::ChatMessage> messages) {
  std::vector<MessageGroup> groups;
  std::int64_t last_ts = 0;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    const doc::ChatMessage& m = messages[i];
    if (m.parent) continue;
    // Far-apart times can overflow a plain difference; compare in unsigned arithmetic.
    const std::uint64_t gap =
        m.ts >= last_ts ? static_cast<std::uint64_t>(m.ts) - static_cast<std::uint64_t>(last_ts)
                        : static_cast<std::uint64_t>(last_ts) - static_cast<std::uint64_t>(m.ts);
    if (!groups.empty() && groups.back().author == m.author &&
        gap <= static_cast<std::uint64_t>(kGroupGapSeconds)) {
      groups.back().indices.push_back(i);
    } else {
      groups.push_back({m.author, {i}});
    }
    last_ts = m.ts;
  }
  return groups;
}

double message_row_height(const MessageRow& row) {
  const double head = row.first ? row.header_h + 14 : 3;
  const double body =
      row.editing ? row.text_h + 16 + row.edit_h : (row.text_h > 0 ? row.text_h + 2 : 0);
  return head + body + row.edited_h + row.attachment_h + row.reactions_h + row.thread_h + 4;
}

bool is_reply_of(const doc::ChatMessage& message, std::string_view parent) {
  return message.parent && *message.parent == parent;
}

std::size_t reply_count(std::span<const doc::ChatMessage> messages, std::string_view parent) {
  return static_cast<std::size_t>(std::count_if(
      messages.begin(), messages.end(), [&](const auto& m) { return is_reply_of(m, parent); }));
}

std::optional<std::int64_t> latest_reply_ts(std::span<const doc::ChatMessage> messages,
                                            std::string_view parent) {
  std::optional<std::int64_t> latest;
  for (const doc::ChatMessage& m : messages) {
    if (is_reply_of(m, parent)) latest = std::max(latest.value_or(m.ts), m.ts);
  }
  return latest;
}

ReplyIndex index_replies(std::span<const doc::ChatMessage> messages) {
  ReplyIndex index;
  for (const doc::ChatMessage& m : messages) {
    if (!m.parent) continue;
    ReplyStats& stats = index[*m.parent];
    stats.latest_ts = stats.count == 0 ? m.ts : std::max(stats.latest_ts, m.ts);
    ++stats.count;
  }
  return index;
}

std::string day_label(std::int64_t ts) {
  const std::int64_t days_ago =
      floor_div(kDayReference, kSecondsPerDay) - floor_div(ts, kSecondsPerDay);
  if (days_ago == 0) return "Today";
  if (days_ago == 1) return "Yesterday";
  const std::tm day = utc(ts);
  const std::tm reference = utc(kDayReference);
  char buffer[64];
  const char* format = day.tm_year == reference.tm_year ? "%A, %B %d" : "%B %d, %Y";
  const std::size_t n = std::strftime(buffer, sizeof buffer, format, &day);
  std::string label(buffer, n);
  // No leading zero on the day of the month.
  if (const std::size_t at = label.find(" 0"); at != std::string::npos) label.erase(at + 1, 1);
  return label;
}

std::string time_label(std::int64_t ts) {
  const std::tm tm = utc(ts);
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d", tm.tm_hour, tm.tm_min);
  return buffer;
}

bool local_user_listed(const ChatApp& app) {
  return std::any_of(app.view.people.begin(), app.view.people.end(),
                     [&](const doc::Person& p) { return is_local_user(app, p.id); });
}

ListGeometry list_geometry(const ChatApp& app, double composer_top, double scale) {
  ListGeometry g;
  g.left = content_left(app);
  g.right = content_right(app);
  g.area = {g.left, app.bounds.y0 + 60 * scale, g.right, composer_top - 6};
  g.text_x = g.left + 70;
  g.text_width = std::max(g.right - g.text_x - 18, 80.0);
  return g;
}

MessageListLayout layout_message_list(ChatApp& app, vesk_ui::TextRenderer& text,
                                      const vesk_ui::Theme& theme, const ListGeometry& geometry) {
  MessageListLayout list;
  list.geometry = geometry;
  const std::vector<doc::ChatMessage>& messages = app.view.messages;
  const ReplyIndex replies = index_replies(messages);
  const RowMetrics metrics = row_metrics(text, theme);
  list.rows.reserve(messages.size());
  double content = 36;
  std::optional<double> revealed_center;  // within the content
  for (const MessageGroup& group : group_messages(messages)) {
    bool first = true;
    for (std::size_t index : group.indices) {
      if (index >= messages.size()) continue;
      MeasuredRow row =
          measure_message_row(app, text, theme, geometry, metrics, replies, index, first);
      first = false;
      if (app.reveal_pending && app.revealed_message && row.row.id == *app.revealed_message &&
          !revealed_center) {
        revealed_center = content + row.height / 2;
      }
      content += row.height;
      list.rows.push_back(std::move(row));
    }
  }
  list.content_height = content;

  const double top = geometry.area.y0, bottom = geometry.area.y1;
  const double base = content > bottom - top ? bottom - content : top;
  if (!app.follow_latest && !app.reveal_pending && app.list_height > 0) {
    app.scroll_offset += content - app.list_height;
  }
  if (app.reveal_pending) {
    // The row's offset within the content already counts the 36 above the first row.
    if (revealed_center) app.scroll_offset = (top + bottom) / 2 - base - *revealed_center;
    app.reveal_pending = false;
  }
  const double c0 = std::clamp(base + app.scroll_offset, std::min(top, bottom - content), top);
  app.scroll_offset = c0 - base;
  app.follow_latest = app.scroll_offset <= 0.5;
  app.list_height = content;
  list.content_top = c0;
  return list;
}

namespace {

void draw_day_label(const ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                    const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                    const MessageListLayout& list) {
  const ListGeometry& g = list.geometry;
  const std::string label =
      app.view.messages.empty() ? "Today" : day_label(app.view.messages.front().ts);
  const vesk_ui::TextMetrics size = text.measure(label, 11.5);
  const double y = list.content_top + 18;
  const double x = (g.left + g.right) / 2 - size.width / 2;
  paint_text_weighted(scene, text, ctx.transform, label, theme.text_muted, 11.5, x, y - 7);
  const vesk_ui::Color edge = vesk_ui::surface::edge_on(theme.window_bg);
  stroke_hline(scene, ctx.transform, edge, g.left + 24, x - 14, y);
  stroke_hline(scene, ctx.transform, edge, x + size.width + 14, g.right - 24, y);
}

void draw_jump_pill(vesk_ui::Scene& scene, vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme,
                    const vesk_ui::DrawCtx& ctx, const ListGeometry& g,
                    std::vector<HitRegion>& hits) {
  const double s = theme.theme_scale;
  const std::string_view label = "↓ Jump to latest";
  const vesk_ui::TextMetrics size = text.measure(label, 12.5, 2);
  const double k = std::min(s, 1.35);
  const double width = std::max(size.width + 28 * k, 152.0);
  const double bottom = g.area.y1;
  const Rect pill{g.right - width - 16, bottom - 36 * k - 14, g.right - 16, bottom - 14};
  fill_rounded_rect(scene, ctx.transform, pill.inset(-3), vesk_ui::Color{0, 0, 0, 0.29f}, 12);
  fill_rounded_rect(scene, ctx.transform, pill, theme.accent, 10);
  const vesk_ui::Point c = pill.center();
  paint_text_weighted(scene, text, ctx.transform, label, vesk_ui::Color{1, 1, 1, 1}, 12.5,
                      c.x - size.width / 2, c.y - size.height / 2, 2);
  push_hit_region(hits, {pill.x0, c.y - 22, pill.x1, c.y + 22}, hit::JumpToLatest{});
}

void draw_empty_conversation(const ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                             const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                             const ListGeometry& g) {
  const double cx = (g.left + g.right) / 2;
  const double top = g.area.y0, bottom = g.area.y1;
  const double cy = top + std::min((bottom - top) / 2, 220.0);
  fill_circle(scene, ctx.transform, vesk_ui::Colors::lift(0.35f, theme.tokens), cx, cy, 30);
  const auto centred = [&](std::string_view t, double size, std::optional<int> weight,
                           vesk_ui::Color color, double y_center) {
    const vesk_ui::TextMetrics m = text.measure(t, size, weight.value_or(0));
    paint_text_weighted(scene, text, ctx.transform, t, color, size, cx - m.width / 2,
                        y_center - m.height / 2, weight);
  };
  centred("#", 30, 3, theme.text_muted, cy);
  const doc::Channel* channel = find_channel(app, app.view.current_conversation);
  const std::string title = "#" + (channel ? channel->name : std::string());
  centred(title, 20, 3, theme.text_primary, cy + 46);
  const bool can_write = app.permissions.check({0, 2});
  const std::string line =
      can_write ? "This is the start of " + title + ". Write the first message to begin."
                : "There are no messages in " + title + " yet.";
  centred(line, 13, std::nullopt, theme.text_muted, cy + 76);
}

}  // namespace

void draw_message_list(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                       const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx,
                       const MessageListLayout& list, std::vector<HitRegion>& hits) {
  const ListGeometry& g = list.geometry;
  if (g.area.is_empty()) return;
  push_clip(scene, ctx.transform, g.area);
  if (app.view.messages.empty()) {
    draw_empty_conversation(app, scene, text, theme, ctx, g);
  } else {
    draw_day_label(app, scene, text, theme, ctx, list);
    double y = list.content_top + 36;
    for (const MeasuredRow& row : list.rows) {
      const double row_top = y;
      y += row.height;
      // Rows wholly outside the list paint nothing and must catch nothing.
      if (y <= g.area.y0 || row_top >= g.area.y1) continue;
      if (app.revealed_message && row.row.id == *app.revealed_message) {
        fill_rounded_rect(scene, ctx.transform, {g.left + 4, row_top, g.right - 4, y},
                          vesk_ui::Colors::lift(0.45f, theme.tokens), 8);
      }
      draw_message_row(app, scene, text, theme, ctx, g, row, row_top, g.area, hits);
    }
  }
  if (!app.follow_latest) draw_jump_pill(scene, text, theme, ctx, g, hits);
  scene.pop_layer();
}

}  // namespace chat::app
