#pragma once

// The two composer bars (a field with attach, emoji and send buttons around a text input), the
// view-only notice that replaces them without write permission, and the main composer under
// the message list.

#include <string_view>
#include <vector>

#include <vesk_ui/scene.hpp>
#include <vesk_ui/text_input.hpp>
#include <vesk_ui/text_renderer.hpp>
#include <vesk_ui/theme.hpp>
#include <vesk_ui/widget.hpp>

#include "app/hit_target.hpp"

namespace chat::app {

class ChatApp;

struct ComposerBarStyle {
  bool has_text = false;  // the send button is live only for text that is not blank
  bool show_attach = false;
  bool focused = false;
};

// Paints the bar over `bar` and records its regions (the whole bar as `focus_target`, then the
// buttons); returns the box for the text input.
vesk_ui::Rect draw_composer_bar(vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                                const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                                const vesk_ui::Rect& bar, std::string_view composer_text,
                                const ComposerBarStyle& style, HitTarget focus_target,
                                std::vector<HitRegion>& hits);

void draw_read_only_notice(vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                           const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                           const vesk_ui::Rect& bar);

// A composer bar with its text input placed, focused (or not) and drawn in it; the notice
// instead when the local user may not write.
void draw_composer(ChatApp& app, vesk_ui::TextInput& input, vesk_ui::Scene& scene,
                   vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx,
                   const vesk_ui::Rect& bar, bool show_attach, HitTarget focus_target, bool focused,
                   std::vector<HitRegion>& hits);

// The main composer in `rect` (from composer_rect).
void draw_main_composer(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                        const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx,
                        const vesk_ui::Rect& rect, std::vector<HitRegion>& hits);

}  // namespace chat::app
