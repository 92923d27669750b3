#pragma once
// Where copy, cut and paste go. The launcher provides the system clipboard in the window;
// screenshot mode and tests use the in-memory one.

#include <optional>
#include <string>
#include <string_view>

namespace vesk_ui {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual std::optional<std::string> get_text() = 0;
  virtual void set_text(std::string_view text) = 0;
};

class MemoryClipboard final : public Clipboard {
 public:
  std::optional<std::string> get_text() override { return text_; }
  void set_text(std::string_view text) override { text_ = std::string(text); }

 private:
  std::optional<std::string> text_;
};

}  // namespace vesk_ui
