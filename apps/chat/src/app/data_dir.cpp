#include "app/data_dir.hpp"

#include <cstdlib>

#include "xdg_paths/xdg_paths.hpp"

namespace chat::app {

std::optional<std::filesystem::path> chat_data_dir() {
  if (const char* configured = std::getenv("VESK_CHAT_DATA"))
    return std::filesystem::path(configured);
  if (auto data = xdg_paths::data_dir()) return *data / "vesk-chat";
  if (auto home = xdg_paths::home()) return *home / ".local/share" / "vesk-chat";
  return std::nullopt;
}

std::filesystem::path document_path(const std::filesystem::path& dir) {
  return dir / "workspace.automerge";
}

}  // namespace chat::app
