#include "vesk_ui/catalog.hpp"

#include <optional>

namespace vesk_ui {

namespace {

bool is_identifier_start(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_identifier_char(char c) {
  return is_identifier_start(c) || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

std::string_view trim_blanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

}  // namespace

std::map<std::string, std::string, std::less<>> parse_fluent_messages(std::string_view source) {
  std::map<std::string, std::string, std::less<>> out;
  std::optional<std::string> key;
  std::string value;
  auto finish = [&] {
    // A message needs a value; "key =" alone is junk.
    if (key && !value.empty()) out.insert_or_assign(*key, value);
    key.reset();
    value.clear();
  };

  while (!source.empty()) {
    std::size_t eol = source.find('\n');
    std::string_view line = source.substr(0, eol);
    source = eol == std::string_view::npos ? std::string_view{} : source.substr(eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    if (!line.empty() && line.front() == ' ' && key) {
      std::string_view more = trim_blanks(line);
      if (!more.empty()) {
        if (!value.empty()) value += '\n';
        value += more;
      }
      continue;
    }
    if (trim_blanks(line).empty()) continue;  // blank lines may sit inside a multiline value
    finish();
    if (line.front() == '#') continue;
    if (!is_identifier_start(line.front())) continue;
    std::size_t i = 1;
    while (i < line.size() && is_identifier_char(line[i])) ++i;
    std::string_view name = line.substr(0, i);
    std::string_view rest = trim_blanks(line.substr(i));
    if (rest.empty() || rest.front() != '=') continue;
    key = std::string(name);
    value = std::string(trim_blanks(rest.substr(1)));
  }
  finish();
  return out;
}

void EmbeddedCatalog::add_resource(const std::string& locale, std::string_view fluent_source) {
  auto& messages = resources_[locale];
  for (auto& [k, v] : parse_fluent_messages(fluent_source)) messages.insert_or_assign(k, v);
}

std::string EmbeddedCatalog::t(std::string_view key) const {
  return t_in(locale_, key);
}

std::string EmbeddedCatalog::t_in(std::string_view locale, std::string_view key) const {
  auto res = resources_.find(locale);
  if (res != resources_.end()) {
    auto it = res->second.find(key);
    if (it != res->second.end()) return it->second;
  }
  return std::string(key);
}

}  // namespace vesk_ui
