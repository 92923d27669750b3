// The address of one action on one resource, as a single text: the resource address, '#',
// then the action name. Resource addresses are copied as they are (they may hold any byte,
// '#' included); in the action name '%' and '#' are written as "%25" and "%23", so the last
// '#' of the text always separates the two and decode gives back exactly what was encoded.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vesk_actions {

struct ActionAddress {
  std::string resource;
  std::string action;

  std::string encode() const;
  // None for a text without '#', with an empty action name or with a malformed escape.
  static std::optional<ActionAddress> decode(std::string_view text);

  bool operator==(const ActionAddress&) const = default;
};

}  // namespace vesk_actions
