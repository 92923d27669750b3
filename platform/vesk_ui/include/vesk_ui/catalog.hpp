#pragma once

#include <map>
#include <string>
#include <string_view>

namespace vesk_ui {

// Parses the part of the Fluent message format the user-interface texts use: comments
// ("#", "##", "###"), messages "key = value", and indented continuation lines of a value.
// Lines that are none of these are skipped, as Fluent skips junk.
std::map<std::string, std::string, std::less<>> parse_fluent_messages(std::string_view source);

// Message catalogs embedded in the program, one resource per locale.
class EmbeddedCatalog {
 public:
  explicit EmbeddedCatalog(std::string locale = "en-US") : locale_(std::move(locale)) {}

  void add_resource(const std::string& locale, std::string_view fluent_source);
  void set_locale(std::string locale) { locale_ = std::move(locale); }
  const std::string& locale() const { return locale_; }

  // The message in the current locale; the key itself when it has none.
  std::string t(std::string_view key) const;
  std::string t_in(std::string_view locale, std::string_view key) const;

 private:
  std::string locale_;
  std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>> resources_;
};

}  // namespace vesk_ui
