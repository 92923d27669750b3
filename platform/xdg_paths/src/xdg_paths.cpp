#include "xdg_paths/xdg_paths.hpp"

#include <cstdlib>

namespace xdg_paths {
namespace {

std::optional<std::filesystem::path> absolute_from_env(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  std::filesystem::path path(value);
  if (!path.is_absolute()) return std::nullopt;
  return path;
}

}  // namespace

std::optional<std::filesystem::path> home() {
  return absolute_from_env("HOME");
}

std::optional<std::filesystem::path> data_dir() {
  if (auto configured = absolute_from_env("XDG_DATA_HOME")) return configured;
  if (auto dir = home()) return *dir / ".local/share";
  return std::nullopt;
}

}  // namespace xdg_paths
