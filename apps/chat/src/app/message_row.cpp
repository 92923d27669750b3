#include "app/message_row.hpp"

#include <algorithm>

#include <vesk_ui/painter.hpp>

#include "app/attachment_card.hpp"
#include "app/attachment_sizes.hpp"
#include "app/avatar_presence.hpp"
#include "app/chat_view.hpp"
#include "app/color_math.hpp"
#include "app/draw_text.hpp"
#include "app/message_row_parts.hpp"

namespace chat::app {

double author_line_height(vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme) {
  return text.line_height(14.5, 2) + theme.spacing_small;
}

double reaction_row_height(vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme) {
  return std::max(text.line_height(12.5) + 2 * theme.spacing_small, 26.0);
}

double edited_line_height(vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme) {
  return std::max(text.line_height(11.5) + theme.spacing_small, 18.0);
}

RowMetrics row_metrics(vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme) {
  return {author_line_height(text, theme), reaction_row_height(text, theme),
          edited_line_height(text, theme)};
}

MentionPeople mention_people(const ChatApp& app) {
  return MentionPeople{[&app](std::string_view user) { return is_local_user(app, user); },
                       [&app](std::string_view user) -> std::optional<vesk_ui::Color> {
                         auto it = app.presence_colors.find(user);
                         if (it == app.presence_colors.end()) return std::nullopt;
                         return it->second;
                       }};
}

MeasuredRow measure_message_row(const ChatApp& app, vesk_ui::TextRenderer& text,
                                const vesk_ui::Theme& theme, const ListGeometry& geometry,
                                const RowMetrics& metrics, const ReplyIndex& replies,
                                std::size_t index, bool first) {
  const doc::ChatMessage& m = app.view.messages[index];
  const double s = theme.theme_scale;
  const double w = geometry.text_width;
  MeasuredRow measured;
  measured.index = index;
  MessageRow& row = measured.row;
  row.id = m.id;
  row.first = first;
  row.editing = app.editing_message && *app.editing_message == m.id;
  if (row.editing) {
    row.text_h = std::max(text.measure(app.edit_input.text(), 15, 0, w).height, 19.0);
    row.edit_h = 30 * s;
  } else if (!m.text.empty()) {
    if (m.mentions.empty()) {
      measured.text = text.shape(m.text, 15, 0, w);
    } else {
      measured.text = shape_message_text(
          text, mention_spans(m.text, m.mentions, theme, theme.window_bg, mention_people(app)), w);
    }
    row.text_h = measured.text->height();
  }
  if (m.attachment) row.attachment_h = attachment_block_height(*m.attachment, w, s);
  if (first) row.header_h = metrics.author_line;
  if (!m.reactions.empty()) row.reactions_h = metrics.reaction_row + 6;
  if (m.edited && !row.editing) row.edited_h = metrics.edited_line;
  if (auto it = replies.find(m.id); it != replies.end() && it->second.count > 0) {
    row.thread_h = 46 * s;
  }
  measured.height = message_row_height(row);
  return measured;
}

namespace {

void draw_author_line(const ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                      const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                      const ListGeometry& g, const doc::ChatMessage& m, double y) {
  const doc::Person* person = find_person(app, m.author);
  const std::uint64_t color = person ? static_cast<std::uint64_t>(person->color_idx) : 0;
  std::optional<PresenceCode> presence;
  if (person) presence = static_cast<PresenceCode>(person->status);
  vesk_ui::Painter painter{scene, text, ctx.transform};
  avatar_with_presence(painter, theme, person ? person->initials : "?", color, presence,
                       g.left + 36, y + 20, 20);
  const std::string name = author_label(app, m.author);
  const vesk_ui::TextMetrics name_size = text.measure(name, 14.5, 2);
  paint_text_weighted(scene, text, ctx.transform, name, palette_color(theme, color), 14.5, g.text_x,
                      y, 2);
  const std::string time = time_label(m.ts);
  const vesk_ui::TextMetrics time_size = text.measure(time, 11.5);
  paint_text_weighted(scene, text, ctx.transform, time, theme.text_muted, 11.5,
                      g.text_x + name_size.width + theme.spacing,
                      y + name_size.height - time_size.height);
}

}  // namespace

void draw_message_row(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                      const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx,
                      const ListGeometry& geometry, const MeasuredRow& measured, double top,
                      const Rect& clip, std::vector<HitRegion>& hits) {
  const doc::ChatMessage& m = app.view.messages[measured.index];
  const MessageRow& row = measured.row;
  const RowPainter parts{app, scene, text, theme, ctx, geometry, clip, hits};
  double y = top;
  if (row.first) {
    y += 14;
    draw_author_line(app, scene, text, theme, ctx, geometry, m, y);
    y += row.header_h;
  } else {
    y += 3;
  }
  if (row.editing) {
    y = draw_edit_box(parts, row, y);
  } else if (measured.text) {
    const double text_top = y;
    if (m.mentions.empty()) {
      text.draw(scene, ctx.transform, *measured.text, {geometry.text_x, y}, theme.text_primary);
    } else {
      text.draw_rich(scene, ctx.transform, *measured.text, {geometry.text_x, y},
                     theme.text_primary);
    }
    y += row.text_h + 2;
    if (is_local_user(app, m.author)) {
      parts.push({geometry.left, text_top, geometry.right, y}, hit::MessageMenu{m.id});
    }
  }
  if (row.edited_h > 0) {
    draw_edited_line(parts, m, y);
    y += row.edited_h;
  }
  if (m.attachment) {
    draw_attachment_card(app, scene, text, theme, ctx, *m.attachment, geometry.text_x, y,
                         geometry.text_width);
    y += row.attachment_h;
  }
  if (row.reactions_h > 0) {
    draw_reaction_row(parts, m, y);
    y += row.reactions_h;
  }
  if (row.thread_h > 0) draw_thread_box(parts, m, y);
}

}  // namespace chat::app
