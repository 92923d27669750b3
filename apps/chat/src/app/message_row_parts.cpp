#include "app/message_row_parts.hpp"

#include <algorithm>

#include <vesk_ui/button.hpp>
#include <vesk_ui/color.hpp>
#include <vesk_ui/painter.hpp>
#include <vesk_ui/surface.hpp>

#include "app/avatar_presence.hpp"
#include "app/chat_view.hpp"
#include "app/draw_shapes.hpp"
#include "app/draw_text.hpp"
#include "app/message_row.hpp"
#include "app/reply_authors.hpp"

namespace chat::app {
namespace {

Rect intersect(const Rect& a, const Rect& b) {
  return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

void paint_centred(const RowPainter& p, std::string_view label, vesk_ui::Color color, double size,
                   double cx, double cy, std::optional<int> weight = std::nullopt) {
  const vesk_ui::TextMetrics m = p.text.measure(label, size, weight.value_or(0));
  paint_text_weighted(p.scene, p.text, p.ctx.transform, label, color, size, cx - m.width / 2,
                      cy - m.height / 2, weight);
}

void lifted_card(const RowPainter& p, const Rect& rect, double radius) {
  vesk_ui::surface::card(p.scene, p.ctx.transform, rect, radius,
                         vesk_ui::Colors::lift(0.35f, p.theme.tokens));
}

}  // namespace

std::string reaction_chip_label(const doc::Reaction& reaction) {
  return reaction.emoji + "  " + std::to_string(reaction.users.size());
}

bool reacted_by_current_user(const doc::Reaction& reaction, std::string_view current_id) {
  return std::find(reaction.users.begin(), reaction.users.end(), current_id) !=
         reaction.users.end();
}

std::vector<std::string> thread_box_authors(std::span<const doc::ChatMessage> messages,
                                            std::string_view parent) {
  std::vector<std::string> authors = reply_authors(messages, parent);
  if (authors.size() > 3) authors.resize(3);
  return authors;
}

std::string reply_count_label(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " reply" : " replies");
}

void RowPainter::push(const Rect& rect, HitTarget target) const {
  const Rect area = intersect(rect, clip);
  if (!area.is_empty()) push_hit_region(hits, area, std::move(target));
}

double draw_edit_box(const RowPainter& p, const MessageRow& row, double y) {
  const vesk_ui::Theme& theme = p.theme;
  const vesk_ui::Affine& t = p.ctx.transform;
  const double c = p.geometry.text_x, w = p.geometry.text_width;
  const Rect frame{c - 8, y, c + w + 8, y + row.text_h + 16};
  fill_rounded_rect(p.scene, t, frame, theme.field_bg, 10);
  stroke_rounded_rect(p.scene, t, frame, theme.focus_border, 10, 1.2);
  vesk_ui::TextInput& input = p.app.edit_input;
  input.set_placeholder("Edit message…");
  input.apply_layout_external({c - 10, y, c + w + 10, frame.y1});
  input.set_focused(true);
  input.draw(p.scene, p.text, theme, p.ctx);
  p.push(frame, hit::FocusEdit{});

  const double b = frame.y1 + 2;
  paint_text_weighted(p.scene, p.text, t, "Enter to save · Esc to cancel", theme.text_muted, 11, c,
                      b);
  const Rect save{c + w - 48, b, c + w + 8, b + 24};
  fill_rounded_rect(p.scene, t, save, theme.accent, 7);
  paint_centred(p, "Save", vesk_ui::Color::from_rgb(0xFFFFFF), 12.5, (save.x0 + save.x1) / 2,
                (save.y0 + save.y1) / 2, 2);
  p.push(save, hit::EditSave{});
  const Rect cancel{c + w - 118, b, c + w - 56, b + 24};
  vesk_ui::Painter painter{p.scene, p.text, t};
  vesk_ui::Button::paint(painter, theme, cancel, 1, 7, "Cancel", 12.5, true, false);
  p.push(cancel, hit::EditCancel{});
  return frame.y1 + row.edit_h;
}

void draw_edited_line(const RowPainter& p, const doc::ChatMessage& message, double y) {
  const double c = p.geometry.text_x;
  constexpr std::string_view kLabel = "(edited) · view history";
  const vesk_ui::TextMetrics size = p.text.measure(kLabel, 11.5);
  paint_text_weighted(p.scene, p.text, p.ctx.transform, kLabel, p.theme.text_muted, 11.5, c, y);
  p.push({c, y, c + size.width + p.theme.spacing_small, y + size.height},
         hit::EditHistory{message.id, {c, y + 18}});
}

void draw_reaction_row(const RowPainter& p, const doc::ChatMessage& message, double y) {
  const vesk_ui::Theme& theme = p.theme;
  const vesk_ui::Affine& t = p.ctx.transform;
  const double h = reaction_row_height(p.text, theme);
  double x = p.geometry.text_x;
  for (const doc::Reaction& reaction : message.reactions) {
    const std::string label = reaction_chip_label(reaction);
    const vesk_ui::TextMetrics size = p.text.measure(label, 12.5);
    const Rect chip{x, y, x + size.width + 20, y + h};
    vesk_ui::Color label_color = theme.text_primary;
    if (reacted_by_current_user(reaction, p.app.local_person.id)) {
      fill_rounded_rect(p.scene, t, chip, theme.accent.multiply_alpha(0.22f), h / 2);
      stroke_rounded_rect(p.scene, t, chip, theme.accent, h / 2, 1);
      label_color = theme.on_accent_tint;
    } else {
      lifted_card(p, chip, h / 2);
    }
    paint_centred(p, label, label_color, 12.5, (chip.x0 + chip.x1) / 2, (chip.y0 + chip.y1) / 2);
    p.push(chip, hit::Reaction{message.id, reaction.emoji});
    x = chip.x1 + theme.spacing;
  }
  const Rect add{x, y, x + 34, y + h};
  lifted_card(p, add, h / 2);
  paint_centred(p, "☺", theme.text_muted, 14, (add.x0 + add.x1) / 2, (add.y0 + add.y1) / 2);
  p.push(add, hit::AddReaction{message.id, {x, y + h + 4}});
}

void draw_thread_box(const RowPainter& p, const doc::ChatMessage& message, double y) {
  const vesk_ui::Theme& theme = p.theme;
  const vesk_ui::Affine& t = p.ctx.transform;
  const std::span<const doc::ChatMessage> messages = p.app.view.messages;
  const double c = p.geometry.text_x;
  const double b = std::max(p.text.line_height(13) + 2 * theme.spacing, 38.0);
  const Rect box{c, y, c + std::min(p.geometry.text_width, 360.0), y + b};
  const double m = (box.y0 + box.y1) / 2;
  if (p.app.open_thread && *p.app.open_thread == message.id) {
    fill_rounded_rect(p.scene, t, box, theme.accent.multiply_alpha(0.14f), 10);
    stroke_rounded_rect(p.scene, t, box, theme.accent.multiply_alpha(0.5f), 10, 1);
  } else {
    lifted_card(p, box, 10);
  }
  double x = c + 14;
  vesk_ui::Painter painter{p.scene, p.text, t};
  for (const std::string& author : thread_box_authors(messages, message.id)) {
    // An unknown author keeps its slot empty, so the count does not shift under the pointer.
    if (const doc::Person* person = find_person(p.app, author)) {
      fill_circle(p.scene, t, theme.panel_bg, x + 11, m, 13);
      avatar_with_presence(painter, theme, person->initials,
                           static_cast<std::uint64_t>(person->color_idx),
                           static_cast<PresenceCode>(person->status), x + 11, m, 11);
    }
    x += 17;
  }
  const std::string count = reply_count_label(reply_count(messages, message.id));
  const vesk_ui::TextMetrics count_size = p.text.measure(count, 13);
  paint_text_weighted(p.scene, p.text, t, count, theme.accent_text, 13, x + 8,
                      m - count_size.height / 2);
  if (const std::optional<std::int64_t> latest = latest_reply_ts(messages, message.id)) {
    const std::string last = "last reply " + time_label(*latest);
    const vesk_ui::TextMetrics last_size = p.text.measure(last, 11);
    paint_text_weighted(p.scene, p.text, t, last, theme.text_muted, 11,
                        box.x1 - 14 - last_size.width, m - 6);
  }
  p.push(box, hit::OpenThread{message.id});
}

}  // namespace chat::app
