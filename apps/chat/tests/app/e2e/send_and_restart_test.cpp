// The program itself in a real window under Xvfb: a message typed with the keyboard and sent
// with Enter is in the document after the program has closed, and it survives a second run on
// the same data directory.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/composer_layout.hpp"
#include "app/data_dir.hpp"
#include "doc/message_readers.hpp"
#include "doc/people.hpp"
#include "doc/readers.hpp"
#include "vesk_ui/persist.hpp"
#include "temp_dir.hpp"
#include "xvfb_support.hpp"

namespace chat::app {
namespace {

using namespace std::chrono_literals;
using vesk_ui::testing::run_tool;
using vesk_ui::testing::SteadyClock;
using vesk_ui::testing::TempDir;
using vesk_ui::testing::wait_until;
using vesk_ui::testing::XClient;

// The program running on a display with its own data directory; killed if still running at the
// end of the scope.
class ProgramRun {
 public:
  ProgramRun(const std::string& display, const std::filesystem::path& data) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("VESK_CHAT_DATA=", 0) == 0 ||
          entry.rfind("SDL_VIDEODRIVER=", 0) == 0 || entry.rfind("WAYLAND_DISPLAY=", 0) == 0) {
        continue;
      }
      env.push_back(entry);
    }
    env.push_back("DISPLAY=" + display);
    env.push_back("SDL_VIDEODRIVER=x11");
    env.push_back("VESK_CHAT_DATA=" + data.string());
    std::vector<char*> envp;
    for (auto& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string program = VESK_CHAT_PROGRAM;
    std::vector<char*> argv{program.data(), nullptr};
    vesk_ui::testing::SpawnActions actions;
    posix_spawn_file_actions_addopen(&actions.actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions.actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, program.c_str(), &actions.actions, nullptr, argv.data(), envp.data()) !=
        0) {
      pid_ = -1;
    }
  }
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;
  ~ProgramRun() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  bool started() const { return pid_ > 0; }
  // True once the program has ended with status 0 within the limit.
  bool wait_for_clean_exit(SteadyClock::duration limit) {
    int status = 0;
    const bool ended = wait_until(
        [&] {
          if (exited_) return true;
          if (waitpid(pid_, &status, WNOHANG) == pid_) exited_ = true;
          return exited_;
        },
        limit);
    return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

struct StoredMessage {
  std::string channel, author, text;
  std::string channel_draft;  // what the channel's composer holds now
};

std::vector<StoredMessage> stored_messages(const std::filesystem::path& data) {
  vesk_ui::persist::DocumentStore store =
      vesk_ui::persist::open_migrating(crdt::ActorId::random(), {}, document_path(data));
  std::vector<StoredMessage> out;
  for (const doc::Channel& channel : doc::list_channels(store.document())) {
    for (const doc::ChatMessage& m : doc::load_messages(store.document(), channel.id)) {
      out.push_back({channel.id, m.author, m.text, doc::draft_text(store.document(), channel.id)});
    }
  }
  return out;
}

// A point inside the main composer's send button of the 1280 x 800 window, beside its glyph:
// the button lights up while the composer holds text.
vesk_ui::Point send_button_probe() {
  const vesk_ui::Rect bar = main_composer_rect(316, 1280, 800, 1.0, 18);
  const vesk_ui::Rect send = composer_bar_layout(bar, vesk_ui::Theme::dark(), true).send;
  return {send.x0 + 5, send.center().y};
}

class SendAndRestart : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!vesk_ui::testing::on_path("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    // As large as the program's default window, so that all of it can be read back.
    server_ = std::make_unique<vesk_ui::testing::XvfbServer>("1280x800x24");
    if (!server_->ok()) GTEST_SKIP() << "no virtual display: " << server_->problem();
    ASSERT_FALSE(data_.path().empty());
  }

  const std::string& display() const { return server_->display(); }

  std::optional<Window> find_window() {
    std::optional<Window> found;
    wait_until(
        [&] {
          auto r = run_tool({"xdotool", "search", "--name", "^vesk-chat$"}, display());
          if (r.status == 0 && !r.out.empty()) found = std::stoul(r.out);
          return found.has_value();
        },
        30s);
    return found;
  }

  bool xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    return run_tool(args, display(), 10s).status == 0;
  }

  std::unique_ptr<vesk_ui::testing::XvfbServer> server_;
  TempDir data_;
};

TEST_F(SendAndRestart, TypedMessageSentWithEnterIsStoredAndSurvivesARestart) {
  const std::string text = "shipped from the keyboard, take a look";
  {
    ProgramRun run(display(), data_.path());
    ASSERT_TRUE(run.started());
    const std::optional<Window> window = find_window();
    ASSERT_TRUE(window.has_value()) << "the window did not appear";
    XClient x(display());
    ASSERT_TRUE(x.ok());
    // The composer's bar lies along the bottom of the 1280 x 800 window; wait until it is
    // painted (the unpainted window is black).
    ASSERT_TRUE(wait_until([&] { return x.pixel(*window, 640, 760).value_or(0) != 0; }, 30s))
        << "the window painted no frame";
    const vesk_ui::Point probe = send_button_probe();
    auto send_pixel = [&] {
      return x.pixel(*window, static_cast<int>(probe.x), static_cast<int>(probe.y));
    };
    const std::optional<unsigned long> idle = send_pixel();
    ASSERT_TRUE(idle.has_value());
    const std::string id = std::to_string(*window);
    ASSERT_TRUE(xdotool({"mousemove", "--window", id, "640", "750", "click", "1"}));
    ASSERT_TRUE(xdotool({"type", "--delay", "20", text}));
    ASSERT_TRUE(wait_until([&] { return send_pixel() != idle; }, 30s))
        << "the send button never lit up: the typed text did not reach the composer";
    ASSERT_TRUE(xdotool({"key", "Return"}));
    ASSERT_TRUE(wait_until([&] { return send_pixel() == idle; }, 30s))
        << "the composer was not emptied by Enter";
    ASSERT_TRUE(x.request_close(*window));
    ASSERT_TRUE(run.wait_for_clean_exit(30s)) << "the program did not close cleanly";
  }
  auto sent = [&](const std::vector<StoredMessage>& messages) {
    return std::count_if(messages.begin(), messages.end(),
                         [&](const StoredMessage& m) { return m.text == text; });
  };
  const std::vector<StoredMessage> first = stored_messages(data_.path());
  ASSERT_EQ(sent(first), 1) << "the typed message is not in the document";

  {
    ProgramRun run(display(), data_.path());
    ASSERT_TRUE(run.started());
    const std::optional<Window> window = find_window();
    ASSERT_TRUE(window.has_value());
    XClient x(display());
    ASSERT_TRUE(wait_until([&] { return x.pixel(*window, 640, 760).value_or(0) != 0; }, 30s));
    ASSERT_TRUE(x.request_close(*window));
    ASSERT_TRUE(run.wait_for_clean_exit(30s));
  }
  const std::vector<StoredMessage> second = stored_messages(data_.path());
  EXPECT_EQ(sent(second), 1) << "the message did not survive the restart";
  // Sent by the local user, and the composer's draft went with the send.
  const auto mine = std::find_if(second.begin(), second.end(),
                                 [&](const StoredMessage& m) { return m.text == text; });
  ASSERT_NE(mine, second.end());
  EXPECT_EQ(mine->author.rfind("u_", 0), 0u) << mine->author;
  EXPECT_EQ(mine->channel_draft, "");
}

}  // namespace
}  // namespace chat::app
