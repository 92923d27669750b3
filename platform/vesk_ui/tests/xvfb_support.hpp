#pragma once
// A private X display for window tests (Xvfb on a free display number) and the tools that act
// on it: xdotool for input, Xlib for closing a window as a window manager would and for reading
// its pixels.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "scoped_env.hpp"

extern char** environ;

namespace vesk_ui::testing {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

inline bool on_path(const std::string& tool) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + "/" + tool;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// Closes a file descriptor at the end of its scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
  Fd& operator=(Fd&& o) noexcept {
    reset(std::exchange(o.fd_, -1));
    return *this;
  }
  ~Fd() { reset(); }
  int get() const { return fd_; }
  void reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

struct SpawnActions {
  posix_spawn_file_actions_t actions;
  SpawnActions() { posix_spawn_file_actions_init(&actions); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};

// Reads what arrives on `fd` until end of file or the deadline.
inline std::string read_until(int fd, SteadyClock::time_point deadline, bool stop_at_newline) {
  std::string out;
  char buf[4096];
  while (SteadyClock::now() < deadline) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(std::max<long>(1, left.count()))) <= 0) continue;
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    out.append(buf, static_cast<std::size_t>(n));
    if (stop_at_newline && out.find('\n') != std::string::npos) break;
  }
  return out;
}

struct CommandResult {
  int status = -1;  // exit status; -1 when it had to be killed or could not start
  std::string out;
};

// Runs a tool with DISPLAY set, bounded in time.
inline CommandResult run_tool(const std::vector<std::string>& args, const std::string& display,
                              std::chrono::milliseconds limit = 5000ms) {
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return {};
  Fd read_end(pipe_fds[0]);
  Fd write_end(pipe_fds[1]);
  SpawnActions fa;
  posix_spawn_file_actions_adddup2(&fa.actions, write_end.get(), 1);
  posix_spawn_file_actions_addopen(&fa.actions, 2, "/dev/null", O_WRONLY, 0);

  std::vector<std::string> env_strings;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "DISPLAY=", 8) != 0) env_strings.emplace_back(*e);
  env_strings.push_back("DISPLAY=" + display);
  std::vector<char*> envp;
  for (auto& s : env_strings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &fa.actions, nullptr, argv.data(), envp.data()) != 0) return {};
  write_end.reset();
  CommandResult result;
  result.out = read_until(read_end.get(), SteadyClock::now() + limit, false);
  auto deadline = SteadyClock::now() + 1s;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (SteadyClock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return result;
    }
    std::this_thread::sleep_for(5ms);
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// Polls `done` every 10 ms until it holds or `limit` passes.
inline bool wait_until(const std::function<bool()>& done, SteadyClock::duration limit = 20s) {
  auto deadline = SteadyClock::now() + limit;
  while (!done()) {
    if (SteadyClock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

// The newest of the window ids xdotool printed, one per line; none when it printed none.
inline std::optional<unsigned long> last_window_id(const std::string& out) {
  std::size_t end = out.find_last_not_of("\n ");
  if (end == std::string::npos) return std::nullopt;
  std::size_t start = out.find_last_of('\n', end);
  return std::stoul(out.substr(start == std::string::npos ? 0 : start + 1));
}

// Xvfb on a display number it picks itself; stopped at the end of the scope.
class XvfbServer {
 public:
  // `screen` is WIDTHxHEIGHTxDEPTH; it must hold every window a test reads back whole.
  explicit XvfbServer(std::string screen = "1024x768x24") {
    if (!on_path("Xvfb")) {
      problem_ = "Xvfb is not installed";
      return;
    }
    // Servers started side by side can race for a display number; one that reported its number
    // but takes no clients is stopped and another one started.
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (start(screen) && accepts_clients()) return;
      stop();
      display_.clear();
    }
    if (problem_.empty()) problem_ = "Xvfb took no clients on three displays";
  }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;
  ~XvfbServer() { stop(); }

  bool ok() const { return !display_.empty(); }
  const std::string& problem() const { return problem_; }
  const std::string& display() const { return display_; }

 private:
  bool accepts_clients() const {
    const auto deadline = SteadyClock::now() + 10s;
    while (SteadyClock::now() < deadline) {
      if (Display* d = XOpenDisplay(display_.c_str())) {
        XCloseDisplay(d);
        return true;
      }
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) return false;  // the server gave up
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  bool start(const std::string& screen) {
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
      problem_ = "no pipe";
      return false;
    }
    Fd read_end(pipe_fds[0]);
    Fd write_end(pipe_fds[1]);
    SpawnActions fa;
    // Xvfb writes the display number to fd 3.
    posix_spawn_file_actions_adddup2(&fa.actions, write_end.get(), 3);
    posix_spawn_file_actions_addopen(&fa.actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa.actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = {"Xvfb", "-displayfd", "3",         "-screen",
                                     "0",    screen,       "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, "Xvfb", &fa.actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
      problem_ = "Xvfb could not be started";
      return false;
    }
    write_end.reset();
    std::string number = read_until(read_end.get(), SteadyClock::now() + 20s, true);
    while (!number.empty() && (number.back() == '\n' || number.back() == ' ')) number.pop_back();
    if (number.empty()) {
      problem_ = "Xvfb did not report a display within 20 s";
      return false;
    }
    display_ = ":" + number;
    return true;
  }

  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    auto deadline = SteadyClock::now() + 15s;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (SteadyClock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(10ms);
    }
    pid_ = -1;
  }

  pid_t pid_ = -1;
  std::string display_;
  std::string problem_;
};

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

struct ImageDestroyer {
  void operator()(XImage* i) const { XDestroyImage(i); }
};

// A client connection for what a window manager would do.
class XClient {
 public:
  explicit XClient(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
    // A window that went away between finding and using it must fail the call, not end the
    // test process (Xlib's default handler exits).
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  bool ok() const { return display_ != nullptr; }

  // Asks the window to close, as a window manager does for the close button.
  bool request_close(Window window) {
    if (!display_) return false;
    Display* d = display_.get();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(d, window, False, NoEventMask, &event);
    XFlush(d);
    return sent != 0;
  }

  // 0xRRGGBB of one pixel of the window, none when it cannot be read.
  std::optional<unsigned long> pixel(Window window, int x, int y) {
    if (!display_) return std::nullopt;
    std::unique_ptr<XImage, ImageDestroyer> image(
        XGetImage(display_.get(), window, x, y, 1, 1, AllPlanes, ZPixmap));
    if (!image) return std::nullopt;
    return XGetPixel(image.get(), 0, 0) & 0xFFFFFF;
  }

 private:
  DisplayPtr display_;
};

}  // namespace vesk_ui::testing
