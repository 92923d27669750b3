#include "app/ui_text.hpp"

namespace chat::app {

std::string_view en_us_messages() {
  return R"ftl(### User-facing texts of the chat window.

# Marker beside an agent in the mention picker.
chat-mention-agent-tag = agent

## Status line under the user's own name in the sidebar's identity bar.

chat-identity-available = Available
chat-identity-in-voice = In voice

## Chip under the workspace title that adds a category.

chat-sidebar-add-category = ＋ Category

## Control buttons along the bottom of the expanded call overlay.

chat-call-mute = Mute
chat-call-unmute = Unmute
chat-call-deafen = Deafen
chat-call-undeafen = Undeafen
chat-call-audio-only = Audio only
chat-call-collapse = Collapse
chat-call-leave = Leave
)ftl";
}

const vesk_ui::EmbeddedCatalog& ui_catalog() {
  // Immutable once built; shared by every window of the process.
  static const vesk_ui::EmbeddedCatalog catalog = [] {
    vesk_ui::EmbeddedCatalog c("en-US");
    c.add_resource("en-US", en_us_messages());
    return c;
  }();
  return catalog;
}

std::string ui_text(std::string_view key) {
  return ui_catalog().t(key);
}

}  // namespace chat::app
