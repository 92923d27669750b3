#include "vesk_ui/theme.hpp"

namespace vesk_ui {

namespace {

Color rgb(std::uint32_t v, float alpha = 1.0f) {
  return Color::from_rgb(v, alpha);
}

}  // namespace

// Dark: layered charcoal greys, one calm indigo accent, text well above the contrast floor on
// every ground it is drawn on.
Theme Theme::dark() {
  Theme t;
  t.kind = ThemeKind::Dark;
  t.window_bg = rgb(0x1E1F24);
  t.panel_bg = rgb(0x191A1F);
  t.rail_bg = rgb(0x131418);
  t.field_bg = rgb(0x2A2C33);
  t.popover_bg = rgb(0x25272D);
  t.accent = rgb(0x4C63D9);
  t.accent_text = rgb(0x94A8FF);
  t.on_accent_tint = rgb(0xD3DCFF);
  t.text_primary = rgb(0xE6E7EB);
  t.text_muted = rgb(0x9A9DA8);
  t.focus_border = rgb(0x7B91FF);
  t.scrim = rgb(0x000000, 1.0f);
  t.danger = rgb(0xE5484D);
  t.tokens_base = rgb(0x3DD68C);
  t.surface = t.window_bg;
  t.tokens = {t.tokens_base, rgb(0x23252B), rgb(0x3A3D46)};
  t.palette = {rgb(0xF2994A), rgb(0xF2C94C), rgb(0x6FCF97), rgb(0x56CCF2),
               rgb(0x7DA2FF), rgb(0xC18AF0), rgb(0xF07878), rgb(0xEE8FC0)};
  t.presence_online = rgb(0x3DD68C);
  t.presence_idle = rgb(0xF2C94C);
  t.presence_dnd = rgb(0xE5484D);
  t.presence_offline = rgb(0x80848E);
  return t;
}

// Light: white reading ground, cool grey panels, a deeper accent so it reads as text too.
Theme Theme::light() {
  Theme t;
  t.kind = ThemeKind::Light;
  t.window_bg = rgb(0xFFFFFF);
  t.panel_bg = rgb(0xF5F6F8);
  t.rail_bg = rgb(0xE9EBEF);
  t.field_bg = rgb(0xEEF0F3);
  t.popover_bg = rgb(0xFFFFFF);
  t.accent = rgb(0x3A5BD6);
  t.accent_text = rgb(0x2C4DC0);
  t.on_accent_tint = rgb(0x1F3A99);
  t.text_primary = rgb(0x1C1D21);
  t.text_muted = rgb(0x60646F);
  t.focus_border = rgb(0x3A5BD6);
  t.scrim = rgb(0x0B0C10, 0.8f);
  t.danger = rgb(0xC62F33);
  t.tokens_base = rgb(0x1F9D61);
  t.surface = t.window_bg;
  t.tokens = {t.tokens_base, rgb(0xEEF0F3), rgb(0xFFFFFF)};
  t.palette = {rgb(0xC2590E), rgb(0x9A7000), rgb(0x1E8A4C), rgb(0x0A7EA8),
               rgb(0x2F5FD0), rgb(0x8E44AD), rgb(0xC62828), rgb(0xB8407A)};
  t.presence_online = rgb(0x1F9D61);
  t.presence_idle = rgb(0xC98A00);
  t.presence_dnd = rgb(0xC62F33);
  t.presence_offline = rgb(0x8A8F9C);
  return t;
}

Motion Theme::standard_motion() const {
  Motion m{Curve::EaseOutCubic, 0.18};
  if (reduced_motion) m.duration_s = 0;
  return m;
}

Color Theme::on_surface(Color fill) const {
  if (contrast_ratio(text_primary, fill) >= 4.5) return text_primary;
  Color black{0, 0, 0, 1}, white{1, 1, 1, 1};
  return contrast_ratio(black, fill) > contrast_ratio(white, fill) ? black : white;
}

}  // namespace vesk_ui
