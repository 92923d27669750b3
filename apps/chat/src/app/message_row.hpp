#pragma once
// One row of the message list: its measured parts and their painting, top to bottom.

#include <vector>

#include <vesk_ui/scene.hpp>
#include <vesk_ui/text_renderer.hpp>
#include <vesk_ui/theme.hpp>
#include <vesk_ui/widget.hpp>

#include "app/chat_app.hpp"
#include "app/hit_target.hpp"
#include "app/mention_spans.hpp"
#include "app/message_list.hpp"

namespace chat::app {

double author_line_height(vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme);
double reaction_row_height(vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme);
double edited_line_height(vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme);

// The heights every row shares, measured once per frame.
struct RowMetrics {
  double author_line = 0;
  double reaction_row = 0;
  double edited_line = 0;
};
RowMetrics row_metrics(vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme);

// How mentions in message text are coloured for this reader.
MentionPeople mention_people(const ChatApp& app);

// Measures one message at the list's text width.
MeasuredRow measure_message_row(const ChatApp& app, vesk_ui::TextRenderer& text,
                                const vesk_ui::Theme& theme, const ListGeometry& geometry,
                                const RowMetrics& metrics, const ReplyIndex& replies,
                                std::size_t index, bool first);

// Paints the row whose top is at `top`. Regions are kept inside `clip`, so a row scrolled
// partly out of the list cannot catch presses meant for what lies beside the list.
void draw_message_row(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                      const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx,
                      const ListGeometry& geometry, const MeasuredRow& row, double top,
                      const Rect& clip, std::vector<HitRegion>& hits);

}  // namespace chat::app
