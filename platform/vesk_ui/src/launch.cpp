#include "vesk_ui/launch.hpp"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <ostream>
#include <variant>

#include "vesk_ui/launch_cli.hpp"
#include "vesk_ui/sdl_window.hpp"

namespace vesk_ui::launch {
namespace {

constexpr int kUsageStatus = 2;

int render_screenshot(const LaunchDescription& d, const ShotRequest& request, std::ostream& err) {
  if (!d.render_screenshot) {
    err << "this program renders no screenshots\n";
    return 1;
  }
  if (std::optional<std::string> error = d.render_screenshot(request)) {
    err << "screenshot failed: " << *error << "\n";
    return 1;
  }
  return 0;
}

int open_window(const LaunchDescription& d, const std::string& program, std::ostream& err) {
  sdl::WindowSettings settings;
  settings.title = program;
  if (d.default_window_size) {
    WindowSize size = d.default_window_size();
    settings.width = size.width;
    settings.height = size.height;
  }
  settings.fullscreen = d.options.fullscreen;
  settings.always_on_top = d.options.always_on_top;
  settings.resizable = d.options.resizable;
  settings.high_dpi = d.options.high_dpi;
  settings.vsync = d.launch_flag ? d.launch_flag() : true;

  App app(d.application_id);
  if (d.register_actions) d.register_actions(app);
  // Each session writes as an actor of its own, as replicated documents expect.
  crdt::ActorId actor = crdt::ActorId::random();
  persist::DocumentStore state = d.open_state ? d.open_state(actor, persist::PersistOptions{})
                                              : persist::open(actor, persist::PersistOptions{});
  std::unique_ptr<Widget> root = d.build_app ? d.build_app() : nullptr;
  if (!root) {
    err << "this program has no window\n";
    return 1;
  }

  // The store tells the user itself when writing fails, and retries with the next change.
  sdl::PersistFn persist = [&] { state.persist(); };
  std::optional<sdl::WindowError> error =
      sdl::run_window(settings, *root, state.document(), persist);
  root.reset();
  persist();
  if (error) {
    err << error->message << "\n";
    return 1;
  }
  return 0;
}

std::vector<std::string> own_command_line() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> args;
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    args.emplace_back(all, start, end - start);
    start = end + 1;
  }
  return args;
}

}  // namespace

int run(const LaunchDescription& d, const std::string& program, std::span<const std::string> args,
        std::ostream& out, std::ostream& err) {
  std::variant<Command, UsageError> parsed = parse_command_line(args);
  if (const UsageError* usage = std::get_if<UsageError>(&parsed)) {
    err << program << ": " << usage->message << "\n" << usage_text(program);
    return kUsageStatus;
  }
  const Command& command = std::get<Command>(parsed);
  if (std::holds_alternative<ShowHelp>(command)) {
    out << usage_text(program);
    return 0;
  }
  if (std::holds_alternative<ListScreenshots>(command)) {
    for (const std::string& name : d.screenshot_scenes) out << name << "\n";
    out.flush();
    return out ? 0 : 1;
  }
  if (const RenderScreenshot* shot = std::get_if<RenderScreenshot>(&command)) {
    return render_screenshot(d, shot->request, err);
  }
  return open_window(d, program, err);
}

void run_or_exit(const LaunchDescription& description) {
  std::vector<std::string> args = own_command_line();
  std::string program = "program";
  if (!args.empty()) {
    program = args.front();
    if (std::size_t slash = program.rfind('/'); slash != std::string::npos)
      program = program.substr(slash + 1);
    args.erase(args.begin());
  }
  int status = run(description, program, args, std::cout, std::cerr);
  std::cout.flush();
  if (status != 0) std::exit(status);
}

}  // namespace vesk_ui::launch
