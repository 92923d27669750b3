#include "vesk_ui/launch_cli.hpp"

#include <charconv>
#include <optional>

namespace vesk_ui::launch {
namespace {

std::optional<std::uint32_t> parse_side(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  std::uint32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value == 0 || value > kMaxShotSide) return std::nullopt;
  return value;
}

// "WxH" with both sides between 1 and kMaxShotSide.
std::optional<ShotSize> parse_size(std::string_view text) {
  std::size_t x = text.find_first_of("xX");
  if (x == std::string_view::npos) return std::nullopt;
  std::optional<std::uint32_t> w = parse_side(text.substr(0, x));
  std::optional<std::uint32_t> h = parse_side(text.substr(x + 1));
  if (!w || !h) return std::nullopt;
  return ShotSize{*w, *h};
}

UsageError error(std::string message) {
  return UsageError{std::move(message)};
}

}  // namespace

std::variant<Command, UsageError> parse_command_line(std::span<const std::string> args) {
  std::optional<std::string> scene;
  std::optional<std::string> output;
  std::optional<ShotSize> size;
  std::optional<ThemeKind> theme;
  bool list = false;
  bool help = false;

  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    std::optional<std::string> value;
    // Both "--opt VALUE" and "--opt=VALUE".
    std::string_view name = arg;
    if (std::size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      value = std::string(arg.substr(eq + 1));
    }
    auto take_value = [&]() -> std::optional<std::string> {
      if (value) return value;
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    auto once = [&](bool already) -> std::optional<UsageError> {
      if (already) return error(std::string(name) + " is given more than once");
      return std::nullopt;
    };

    if (name == "--screenshot" || name == "--output" || name == "--size" || name == "--theme") {
      bool given = (name == "--screenshot" && scene) || (name == "--output" && output) ||
                   (name == "--size" && size) || (name == "--theme" && theme);
      if (auto e = once(given)) return *e;
      std::optional<std::string> v = take_value();
      if (!v) return error(std::string(name) + " needs a value");
      if (name == "--screenshot") {
        scene = *v;
      } else if (name == "--output") {
        if (v->empty()) return error("--output needs a file path");
        output = *v;
      } else if (name == "--size") {
        size = parse_size(*v);
        if (!size) {
          return error("--size takes WIDTHxHEIGHT, each between 1 and " +
                       std::to_string(kMaxShotSide) + ", not \"" + *v + "\"");
        }
      } else if (*v == "dark" || *v == "light") {
        theme = *v == "dark" ? ThemeKind::Dark : ThemeKind::Light;
      } else {
        return error("--theme takes dark or light, not \"" + *v + "\"");
      }
    } else if (name == "--list-screenshots" && !value) {
      list = true;
    } else if ((name == "--help" || name == "-h") && !value) {
      help = true;
    } else {
      return error("unknown option \"" + std::string(arg) + "\"");
    }
  }

  if (help) return Command{ShowHelp{}};
  if (list) {
    if (scene || output || size || theme) return error("--list-screenshots takes no other option");
    return Command{ListScreenshots{}};
  }
  if (!scene) {
    if (output || size || theme) return error("--output, --size and --theme need --screenshot");
    return Command{OpenWindow{}};
  }
  ShotRequest request;
  request.scene = scene;
  request.output = output;
  request.size = size;
  if (theme) request.theme.kind = *theme;
  return Command{RenderScreenshot{std::move(request)}};
}

std::string usage_text(std::string_view program) {
  std::string p(program);
  return "usage: " + p + "                 open the window\n" + "       " + p +
         " --screenshot NAME [--output PATH] [--size WxH] [--theme dark|light]\n" +
         "                   render one scene into a PNG without a display\n" + "       " + p +
         " --list-screenshots   print the scene names, one per line\n";
}

}  // namespace vesk_ui::launch
