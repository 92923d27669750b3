#pragma once
// The system clipboard through SDL. Valid while SDL's video subsystem runs (the window's
// lifetime); the launcher hands it to widgets with every event.

#include "vesk_ui/clipboard.hpp"

namespace vesk_ui::sdl {

class SdlClipboard final : public Clipboard {
 public:
  // None when the clipboard holds no text.
  std::optional<std::string> get_text() override;
  void set_text(std::string_view text) override;
};

}  // namespace vesk_ui::sdl
