#pragma once

#include <optional>
#include <string_view>

#include "vesk_ui/color.hpp"
#include "vesk_ui/geometry.hpp"
#include "vesk_ui/painter.hpp"
#include "vesk_ui/theme.hpp"

namespace vesk_ui {

struct Button {
  // Style 0: label only. Style 1: a filled control (field colour, accent when emphasised).
  // A disabled button is drawn faded.
  static void paint(Painter& painter, const Theme& theme, const Rect& rect, int style,
                    double radius, std::string_view label, double label_size, bool enabled,
                    bool emphasised, std::optional<Color> label_color = std::nullopt);
};

}  // namespace vesk_ui
