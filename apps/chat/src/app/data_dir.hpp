#pragma once

#include <filesystem>
#include <optional>

namespace chat::app {

// Where the program keeps its files: "VESK_CHAT_DATA" when set (even empty, taken unchanged), else
// the user's data directory joined with "vesk-chat", else HOME/.local/share/vesk-chat, else none.
// Nothing is created here.
std::optional<std::filesystem::path> chat_data_dir();

// The document file inside a data directory.
std::filesystem::path document_path(const std::filesystem::path& dir);

}  // namespace chat::app
