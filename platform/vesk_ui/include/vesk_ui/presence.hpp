#pragma once

#include <string_view>

#include "vesk_ui/color.hpp"

namespace vesk_ui::presence {

// A stable colour for a user id, for people the presence service has no colour for.
Color user_color(std::string_view user_id);

}  // namespace vesk_ui::presence
