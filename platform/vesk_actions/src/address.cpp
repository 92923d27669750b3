#include "vesk_actions/address.hpp"

namespace vesk_actions {

std::string ActionAddress::encode() const {
  std::string text = resource;
  text.push_back('#');
  for (char c : action) {
    if (c == '%')
      text += "%25";
    else if (c == '#')
      text += "%23";
    else
      text.push_back(c);
  }
  return text;
}

std::optional<ActionAddress> ActionAddress::decode(std::string_view text) {
  std::size_t hash = text.rfind('#');
  if (hash == std::string_view::npos || hash + 1 == text.size()) return std::nullopt;
  ActionAddress address{std::string(text.substr(0, hash)), {}};
  std::string_view escaped = text.substr(hash + 1);
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '%') {
      address.action.push_back(escaped[i]);
      continue;
    }
    std::string_view code = escaped.substr(i + 1, 2);
    if (code == "25")
      address.action.push_back('%');
    else if (code == "23")
      address.action.push_back('#');
    else
      return std::nullopt;
    i += 2;
  }
  return address;
}

}  // namespace vesk_actions
