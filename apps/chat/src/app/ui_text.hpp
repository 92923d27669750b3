#pragma once

#include <string>
#include <string_view>

#include <vesk_ui/catalog.hpp>

namespace chat::app {

// The program's own "en-US" message resource, in the Fluent format.
std::string_view en_us_messages();
// The catalog holding it, built once.
const vesk_ui::EmbeddedCatalog& ui_catalog();
// The user-facing text for a catalog key; the key itself when there is no such message.
std::string ui_text(std::string_view key);

}  // namespace chat::app
