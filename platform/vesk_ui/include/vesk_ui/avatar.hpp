#pragma once

#include <string>
#include <string_view>

#include "vesk_ui/color.hpp"
#include "vesk_ui/geometry.hpp"
#include "vesk_ui/painter.hpp"

namespace vesk_ui {

struct Avatar {
  // Up to two letters: the first letter of the first word and, when there are several words,
  // of the last, upper-cased. Empty when the name has no letter.
  static std::string initials_for_name(std::string_view name);
  // A filled disc inscribed in `square` with the initials centred on it in a readable colour.
  static void draw_at(Painter& painter, const Rect& square, std::string_view initials, Color fill);
};

}  // namespace vesk_ui
