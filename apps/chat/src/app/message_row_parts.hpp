#pragma once
// The parts of a message row under its text: the inline edit box, the edited line, the
// reaction chips and the thread box, each with the hit regions it records.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <vesk_ui/scene.hpp>
#include <vesk_ui/text_renderer.hpp>
#include <vesk_ui/theme.hpp>
#include <vesk_ui/widget.hpp>

#include "app/chat_app.hpp"
#include "app/hit_target.hpp"
#include "app/message_list.hpp"
#include "doc/message_records.hpp"

namespace chat::app {

// "👍  3": the emoji and how many reacted, two spaces apart.
std::string reaction_chip_label(const doc::Reaction& reaction);
// Only the local user's current id counts: reactions left under a former id read as someone
// else's.
bool reacted_by_current_user(const doc::Reaction& reaction, std::string_view current_id);
// The reply authors the thread box shows: the first three distinct ones.
std::vector<std::string> thread_box_authors(std::span<const doc::ChatMessage> messages,
                                            std::string_view parent);
// "1 reply", "4 replies".
std::string reply_count_label(std::size_t count);

// What every part of one row paints into and records its regions in. Regions are cut to
// `clip`, the visible list.
struct RowPainter {
  ChatApp& app;
  vesk_ui::Scene& scene;
  vesk_ui::TextRenderer& text;
  const vesk_ui::Theme& theme;
  vesk_ui::DrawCtx& ctx;
  const ListGeometry& geometry;
  const Rect& clip;
  std::vector<HitRegion>& hits;

  void push(const Rect& rect, HitTarget target) const;
};

// The edit box over the message text with its hint and Save and Cancel buttons; places, focuses
// and draws the edit input. Returns the top of the part below.
double draw_edit_box(const RowPainter& p, const MessageRow& row, double y);
void draw_edited_line(const RowPainter& p, const doc::ChatMessage& message, double y);
void draw_reaction_row(const RowPainter& p, const doc::ChatMessage& message, double y);
void draw_thread_box(const RowPainter& p, const doc::ChatMessage& message, double y);

}  // namespace chat::app
