#include <string>
#include <string_view>
#include <vector>

#include "vesk_actions/context.hpp"

namespace vesk_actions {
namespace {

bool is_upper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool is_lower(char c) {
  return c >= 'a' && c <= 'z';
}
bool is_separator(char c) {
  return c == '_' || c == '-' || c == '.' || c == ' ';
}
char to_lower(char c) {
  return is_upper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}
char to_upper(char c) {
  return is_lower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}

// A new word starts at a capital that follows anything but a capital ("sendMessage"), and at
// the last capital of a run that a small letter follows ("HTTPServer").
bool starts_word(std::string_view s, std::size_t i) {
  if (i == 0 || !is_upper(s[i])) return false;
  if (!is_upper(s[i - 1])) return true;
  return i + 1 < s.size() && is_lower(s[i + 1]);
}

std::vector<std::string_view> split_words(std::string_view s) {
  std::vector<std::string_view> words;
  std::size_t start = std::string_view::npos;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    bool at_end = i == s.size();
    bool breaks = at_end || is_separator(s[i]) || starts_word(s, i);
    if (breaks && start != std::string_view::npos) {
      words.push_back(s.substr(start, i - start));
      start = std::string_view::npos;
    }
    if (!at_end && !is_separator(s[i]) && start == std::string_view::npos) start = i;
  }
  return words;
}

bool is_acronym(std::string_view word) {
  std::size_t capitals = 0;
  for (char c : word) {
    if (is_lower(c)) return false;
    if (is_upper(c)) ++capitals;
  }
  return capitals >= 2;
}

}  // namespace

std::string humanize_identifier(std::string_view identifier) {
  std::string label;
  for (std::string_view word : split_words(identifier)) {
    if (!label.empty()) label.push_back(' ');
    std::size_t first = label.size();
    if (is_acronym(word)) {
      label.append(word);
    } else {
      for (char c : word) label.push_back(to_lower(c));
    }
    if (first == 0) label[0] = to_upper(label[0]);
  }
  return label;
}

}  // namespace vesk_actions
