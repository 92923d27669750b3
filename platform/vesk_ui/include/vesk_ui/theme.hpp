#pragma once

#include <array>

#include "vesk_ui/color.hpp"
#include "vesk_ui/motion.hpp"

namespace vesk_ui {

enum class ThemeKind { Dark, Light };

// Colours and metrics the window paints with. Colours are straight-alpha sRGB; metrics are
// logical pixels before `theme_scale`.
struct Theme {
  ThemeKind kind = ThemeKind::Dark;

  Color window_bg;
  Color panel_bg;
  Color rail_bg;
  Color field_bg;
  Color popover_bg;
  Color accent;
  Color accent_text;
  Color on_accent_tint;
  Color text_primary;
  Color text_muted;
  Color focus_border;
  Color scrim;
  Color danger;
  Color tokens_base;

  // Ground of cards and avatar presence rings.
  Color surface;
  ColorTokens tokens;
  // Person and workspace colours, chosen by index modulo 8.
  std::array<Color, 8> palette;
  Color presence_online;
  Color presence_idle;
  Color presence_dnd;
  Color presence_offline;

  float theme_scale = 1.0f;
  float button_text_size = 13.0f;
  float title_text_size = 16.0f;
  float spacing_small = 4.0f;
  float spacing = 8.0f;
  float padding = 12.0f;
  float pane_inset = 12.0f;
  float control_height = 32.0f;
  float stage_inset = 24.0f;

  bool reduced_motion = false;

  static Theme dark();
  static Theme light();

  // The standard open/close movement; instant when reduced motion is asked for.
  Motion standard_motion() const;
  // A readable text colour on the given fill: the theme's primary text when it reads there,
  // else black or white, whichever contrasts more.
  Color on_surface(Color fill) const;
};

}  // namespace vesk_ui
