#pragma once

#include <filesystem>
#include <optional>

// Directory lookup after the XDG Base Directory rules. Nothing is created here.
namespace xdg_paths {

// The user's home directory: HOME when it holds an absolute path.
std::optional<std::filesystem::path> home();

// The user's data directory: XDG_DATA_HOME when it holds an absolute path (a relative one is
// ignored, as the XDG rules demand), else home() joined with ".local/share".
std::optional<std::filesystem::path> data_dir();

}  // namespace xdg_paths
