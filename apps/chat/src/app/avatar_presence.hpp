#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <vesk_ui/painter.hpp>
#include <vesk_ui/theme.hpp>

namespace chat::app {

// Presence codes as people carry them: 0 online, 1 idle, 2 do not disturb, 3 offline. Any
// other value, or none, shows no dot.
using PresenceCode = std::uint8_t;

// An avatar disc in the person's palette colour with, for a known presence, a status dot on a
// ring of the surface colour at its lower right.
void avatar_with_presence(vesk_ui::Painter& painter, const vesk_ui::Theme& theme,
                          std::string_view initials, std::uint64_t color_index,
                          std::optional<PresenceCode> presence, double cx, double cy,
                          double radius);

}  // namespace chat::app
