#pragma once
// The toolkit's command line. Programs define no options of their own:
//   PROGRAM                                         the interactive window
//   PROGRAM --screenshot NAME [--output PATH] [--size WxH] [--theme dark|light]
//                                                   one scene into a PNG, no display needed
//   PROGRAM --list-screenshots                      the scene names, one per line
//   PROGRAM --help

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "vesk_ui/shot_frame.hpp"

namespace vesk_ui::launch {

struct OpenWindow {};
struct RenderScreenshot {
  ShotRequest request;
};
struct ListScreenshots {};
struct ShowHelp {};

using Command = std::variant<OpenWindow, RenderScreenshot, ListScreenshots, ShowHelp>;

struct UsageError {
  std::string message;
};

// `args` without the program name.
std::variant<Command, UsageError> parse_command_line(std::span<const std::string> args);

std::string usage_text(std::string_view program);

}  // namespace vesk_ui::launch
