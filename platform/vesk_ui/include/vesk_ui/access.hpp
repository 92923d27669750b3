#pragma once
// A node of the accessibility tree a widget gives the toolkit.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "vesk_ui/geometry.hpp"

namespace vesk_ui {

// Role codes of the toolkit's role set.
namespace access_role {
inline constexpr std::uint8_t kRoot = 2;
inline constexpr std::uint8_t kSelectableItem = 6;
inline constexpr std::uint8_t kList = 8;
inline constexpr std::uint8_t kListItem = 9;
inline constexpr std::uint8_t kMenu = 13;
inline constexpr std::uint8_t kMenuItem = 14;
inline constexpr std::uint8_t kPushButton = 17;
inline constexpr std::uint8_t kToggleButton = 18;
inline constexpr std::uint8_t kTextField = 25;
inline constexpr std::uint8_t kTextInput = 26;
inline constexpr std::uint8_t kHeading = 34;
}  // namespace access_role

struct AccessNode {
  std::string text;  // the label
  std::uint8_t role = access_role::kPushButton;
  // Selected for selectable and list items, pressed for toggle buttons.
  std::uint8_t state = 0;
  bool focused = false;
  Rect bounds;
  std::uint64_t key = 0;
  // Text inputs: the current text and the selection as byte offsets (empty at the cursor).
  std::optional<std::string> value;
  std::optional<std::pair<std::size_t, std::size_t>> selection;
  std::uint8_t heading_level = 0;
  std::string description;
  std::vector<AccessNode> children;
};

}  // namespace vesk_ui
