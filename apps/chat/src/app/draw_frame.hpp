#pragma once
// One frame of the window, painted in a fixed order of regions; each later region paints over
// the earlier ones and its hit regions win where they overlap. At the end the frame's hit list
// replaces the window's.

#include <vesk_ui/scene.hpp>
#include <vesk_ui/text_renderer.hpp>
#include <vesk_ui/theme.hpp>
#include <vesk_ui/widget.hpp>

#include "app/chat_app.hpp"

namespace chat::app {

void draw_window(ChatApp& app, vesk_ui::Scene& scene, const Rect& bounds,
                 vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx);

// How far a pane is out, 0..1.
double pane_progress(const PaneAnimation& anim);

}  // namespace chat::app
