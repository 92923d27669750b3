#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "store_test_support.hpp"
#include "vesk_ui/persist.hpp"

namespace vesk_ui::persist {
namespace {

using test::read_change;
using test::TempDir;
using test::write_change;

// The child writes change after change (numbered from `first`), persisting each and then
// reporting how many it has persisted on the pipe; it never stops by itself before being killed.
[[noreturn]] void write_until_killed(const std::filesystem::path& path, PersistOptions options,
                                     std::int32_t first, int report_fd) {
  DocumentStore store = open_migrating(crdt::ActorId::random(), options, path);
  for (std::int32_t i = 0; i < 1'000'000; ++i) {
    write_change(store.document(), first + i);
    if (store.persist().has_value()) ::_exit(2);
    if (::write(report_fd, &i, sizeof i) != sizeof i) ::_exit(3);
  }
  ::_exit(0);
}

// Reads reports until `wanted` arrived or the pipe ends; gives the last one (-1 for none).
std::int32_t read_reports(int fd, std::int32_t wanted) {
  std::int32_t last = -1;
  std::int32_t value = 0;
  while (last < wanted && ::read(fd, &value, sizeof value) == sizeof value) last = value;
  return last;
}

TEST(DocumentStoreCrash, AKilledWriterLosesNothingItHadPersisted) {
  struct Case {
    const char* label;
    PersistOptions options;
  };
  const Case cases[] = {
      {"appending", PersistOptions{}},
      {"rewriting the whole file often", PersistOptions{512, true}},
  };
  std::mt19937 random(20261210);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    const auto path = dir.path() / "workspace.automerge";
    // Per child: the first change it wrote and the last one it reported persisted.
    std::vector<std::pair<std::int32_t, std::int32_t>> persisted;
    for (int kill_round = 0; kill_round < 4; ++kill_round) {
      const std::int32_t first = kill_round * 100'000;
      int fds[2];
      ASSERT_EQ(::pipe(fds), 0);
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        ::close(fds[0]);
        write_until_killed(path, c.options, first, fds[1]);
      }
      ::close(fds[1]);
      const std::int32_t kill_after = 20 + static_cast<std::int32_t>(random() % 200);
      std::int32_t last = read_reports(fds[0], kill_after);
      ASSERT_EQ(::kill(child, SIGKILL), 0);
      int status = 0;
      ASSERT_EQ(::waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFSIGNALED(status)) << "child ended by itself with " << WEXITSTATUS(status);
      // Reports written between our last read and the kill count as well.
      last = std::max(last, read_reports(fds[0], INT32_MAX));
      ::close(fds[0]);
      ASSERT_GE(last, kill_after);
      persisted.emplace_back(first, first + last);

      // Each child starts from what the ones before it left.
      DocumentStore reopened = open_migrating(crdt::ActorId::random(), c.options, path);
      for (const auto& [from, to] : persisted) {
        for (std::int32_t i = from; i <= to; ++i) {
          ASSERT_EQ(read_change(reopened.document(), i), i) << "round " << kill_round;
        }
      }
    }
  }
}

}  // namespace
}  // namespace vesk_ui::persist
