#include "app/attachment_card.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <type_traits>
#include <variant>

#include <vesk_ui/color.hpp>
#include <vesk_ui/image.hpp>

#include "app/attachment_sizes.hpp"
#include "app/draw_shapes.hpp"
#include "app/draw_text.hpp"
#include "media/image_sources.hpp"

namespace chat::app {

namespace format {
std::string bytes(std::uint64_t count) {
  if (count < 1024) return std::to_string(count) + " B";
  constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(count) / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  char out[32];
  std::snprintf(out, sizeof out, "%.1f %s", value, kUnits[unit]);
  return out;
}
}  // namespace format

namespace {

using vesk_ui::Color;

const Color kWhite = Color::from_rgb(0xFFFFFF);

void paint_centred(vesk_ui::Scene& scene, vesk_ui::TextRenderer& text, const vesk_ui::Affine& t,
                   std::string_view label, Color color, double size, double cx, double cy,
                   std::optional<int> weight = std::nullopt) {
  const vesk_ui::TextMetrics m = text.measure(label, size, weight.value_or(0));
  paint_text_weighted(scene, text, t, label, color, size, cx - m.width / 2, cy - m.height / 2,
                      weight);
}

void draw_refused_card(vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                       const vesk_ui::Theme& theme, const vesk_ui::Affine& t,
                       const doc::Attachment& attachment, double x, double y, double available) {
  const double s = theme.theme_scale;
  const PreviewSize size = attachment_preview_size(attachment, available, s);
  const Rect card{x, y, x + size.width, y + size.height};
  fill_rounded_rect(scene, t, card, theme.popover_bg, 12);
  const double u = s * (size.height > 64 ? 8 : 6);
  const double cx = (card.x0 + card.x1) / 2, cy = (card.y0 + card.y1) / 2;
  paint_centred(scene, text, t, "🔒", theme.text_muted, 18, cx, cy - u);
  paint_centred(scene, text, t, "Access not granted", theme.text_muted, 12, cx, cy - u + 16);
  paint_centred(scene, text, t, ellipsize(text, attachment_name(attachment), 11, size.width - 24),
                theme.text_muted, 11, cx, cy - u + 40 * s);
}

// Picture or placeholder inside P.
void draw_image_body(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                     const vesk_ui::Theme& theme, const vesk_ui::Affine& t,
                     const doc::Attachment::Image& image, const Rect& p) {
  const vesk_ui::ImageStore::Lookup lookup =
      app.images.get(media::attachment_image_url(image.blob));
  if (lookup.ready() && lookup.image) {
    vesk_ui::paint_image_cover(scene, t, *lookup.image, p, 12);
    return;
  }
  const double cx = (p.x0 + p.x1) / 2, cy = (p.y0 + p.y1) / 2;
  fill_rounded_rect(scene, t, p, theme.panel_bg, 12);
  fill_circle(scene, t, vesk_ui::Colors::lift(0.72f, theme.tokens), cx, cy - 4, 12);
  paint_centred(scene, text, t, "🖼", theme.text_muted, 18, cx, cy - 4);
  paint_centred(scene, text, t, image_status_text(image.blob, vdoc::blobstore::state(image.blob)),
                theme.text_muted, 11, cx, cy + 28);
}

void draw_video_body(vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                     const vesk_ui::Theme& theme, const vesk_ui::Affine& t, const Rect& p) {
  const double s = theme.theme_scale;
  fill_rounded_rect(scene, t, p, theme.field_bg, 12);
  fill_rounded_rect(scene, t, {p.x0, p.y0, p.x1, p.y0 + (p.y1 - p.y0) / 2},
                    vesk_ui::Colors::lift(0.35f, theme.tokens), 12);
  const double k = std::min(s, 1.3);
  const double cx = (p.x0 + p.x1) / 2, cy = (p.y0 + p.y1) / 2;
  fill_circle(scene, t, Color::from_rgb(0x000000, 0.588f), cx, cy, 25 * k);
  fill_circle(scene, t, vesk_ui::Colors::lift(0.72f, theme.tokens), cx, cy, 24 * k);
  paint_centred(scene, text, t, "▶", kWhite, 20, cx + 2, cy);
}

void draw_preview_caption(vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                          const vesk_ui::Theme& theme, const vesk_ui::Affine& t,
                          const doc::Attachment& attachment, bool video, const Rect& p) {
  const double s = theme.theme_scale;
  fill_rounded_rect(scene, t, {p.x0, p.y1 - 30 * s, p.x1, p.y1}, Color::from_rgb(0x000000, 0.4706f),
                    12);
  stroke_rounded_rect(scene, t, p, vesk_ui::Colors::hairline_on(theme.panel_bg, 26), 12, 1);
  const std::string label = (video ? "🎬  " : "🖼  ") + attachment_name(attachment);
  paint_text_weighted(scene, text, t, label, kWhite, 12, p.x0 + 12 * std::min(s, 1.2), p.y1 - 22);
  paint_text_weighted(scene, text, t, preview_detail_text(attachment), theme.text_muted, 11, p.x0,
                      p.y1 + 4 * s);
}

void draw_file_card(vesk_ui::Scene& scene, vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme,
                    const vesk_ui::Affine& t, const doc::Attachment::File& file, double x, double y,
                    double available) {
  const double s = theme.theme_scale;
  const Rect card{x, y, x + std::min(available, 360.0), y + 58};
  fill_rounded_rect(scene, t, card, theme.panel_bg, 10);
  const double k = std::min(std::max(s, 1.0), 1.2);
  const double u = std::max(s, 1.0);
  const Rect icon{x + 10 * k, y + 11 * u, x + 46 * k, y + 58 - 11 * u};
  fill_rounded_rect(scene, t, icon, theme.accent, 8);
  paint_centred(scene, text, t, "📄", kWhite, 16, (icon.x0 + icon.x1) / 2, (icon.y0 + icon.y1) / 2);
  const double middle = (card.y0 + card.y1) / 2;
  paint_text_weighted(scene, text, t, ellipsize(text, file.name, 13.5, card.x1 - card.x0 - 70),
                      theme.text_primary, 13.5, x + 56 * k, middle - 14 * u);
  paint_text_weighted(scene, text, t, file_detail_text(file.name, file.size), theme.text_muted, 11,
                      x + 56 * k, middle + 2 * u);
}

}  // namespace

const std::string& attachment_blob(const doc::Attachment& attachment) {
  return std::visit([](const auto& a) -> const std::string& { return a.blob; }, attachment.value);
}

const std::string& attachment_name(const doc::Attachment& attachment) {
  return std::visit([](const auto& a) -> const std::string& { return a.name; }, attachment.value);
}

std::string file_detail_text(std::string_view name, std::uint64_t size) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return format::bytes(size);
  std::string extension(name.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return extension + " · " + format::bytes(size);
}

std::string preview_detail_text(const doc::Attachment& attachment) {
  return std::visit(
      [](const auto& a) -> std::string {
        using T = std::decay_t<decltype(a)>;
        if constexpr (std::is_same_v<T, doc::Attachment::Image>) {
          return std::to_string(a.w) + "×" + std::to_string(a.h);
        } else if constexpr (std::is_same_v<T, doc::Attachment::Video>) {
          if (a.w == 0 || a.h == 0) return "video · " + format::bytes(a.size);
          return std::to_string(a.w) + "×" + std::to_string(a.h) + " · " + format::bytes(a.size);
        } else {
          return file_detail_text(a.name, a.size);
        }
      },
      attachment.value);
}

std::string image_status_text(std::string_view blob, vdoc::blobstore::BlobState state) {
  if (blob.starts_with(media::kDemoScheme)) return "Loading image…";
  switch (state) {
    case vdoc::blobstore::BlobState::Available:
      return "Decoding image…";
    case vdoc::blobstore::BlobState::Loading:
      return "Loading shared image…";
    case vdoc::blobstore::BlobState::Unavailable:
      break;
  }
  return "Shared image unavailable";
}

void draw_attachment_card(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                          const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                          const doc::Attachment& attachment, double x, double y, double available) {
  const vesk_ui::Affine& t = ctx.transform;
  if (!media::can_view_blob(app.permissions, attachment_blob(attachment))) {
    draw_refused_card(scene, text, theme, t, attachment, x, y, available);
    return;
  }
  std::visit(
      [&](const auto& a) {
        using T = std::decay_t<decltype(a)>;
        if constexpr (std::is_same_v<T, doc::Attachment::File>) {
          draw_file_card(scene, text, theme, t, a, x, y, available);
        } else {
          const bool video = std::is_same_v<T, doc::Attachment::Video>;
          const PreviewSize size = video ? video_preview_size(a.w, a.h, available)
                                         : image_preview_size(a.w, a.h, available);
          const Rect p{x, y, x + size.width, y + size.height};
          if constexpr (std::is_same_v<T, doc::Attachment::Image>) {
            draw_image_body(app, scene, text, theme, t, a, p);
          } else {
            draw_video_body(scene, text, theme, t, p);
          }
          draw_preview_caption(scene, text, theme, t, attachment, video, p);
        }
      },
      attachment.value);
}

}  // namespace chat::app
