#include "vdoc/fs_blob_store.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "temp_dir.hpp"

namespace {

using namespace vdoc::blobstore;
using vdoc_test::TempDir;

constexpr std::uint64_t kLarge = 1ULL << 40;

std::vector<std::uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

// Content that differs for every (seed, size).
std::vector<std::uint8_t> content(std::uint32_t seed, std::size_t size) {
  std::vector<std::uint8_t> out(size);
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& b : out) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<std::uint8_t>(x);
  }
  if (!out.empty()) out[0] = static_cast<std::uint8_t>(seed);
  return out;
}

std::vector<std::string> names_in(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void overwrite(const std::filesystem::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

TEST(FsBlobStore, StoresContentUnderItsSha256AndReadsItBack) {
  TempDir dir;
  const auto root = dir.path() / "nested" / "blobs";  // created on the first put
  FsBlobStore store(root, kLarge, kLarge, 100, 100);

  struct Case {
    std::string text;
    std::string id;
  };
  const Case cases[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {std::string("\0\xff\0", 3), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Result<BlobId> put = store.put(bytes(c.text));
    ASSERT_TRUE(put.ok()) << put.error().message;
    if (!c.id.empty()) {
      EXPECT_EQ(put.value(), c.id);
    }
    EXPECT_TRUE(is_blob_id(put.value()));
    EXPECT_EQ(store.get(put.value()), bytes(c.text));
    EXPECT_TRUE(store.has(put.value()));
    EXPECT_TRUE(std::filesystem::is_regular_file(root / put.value()));
  }
  EXPECT_EQ(store.blob_count(), 3u);
  EXPECT_EQ(store.total_bytes(), 6u);

  // Equal content is stored once; an id in upper case finds the same blob.
  const std::string abc = cases[0].id;
  ASSERT_EQ(store.put(bytes("abc")).value(), abc);
  EXPECT_EQ(store.blob_count(), 3u);
  std::string upper = abc;
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  EXPECT_EQ(store.get(upper), bytes("abc"));

  // No temporary file is left behind.
  for (const std::string& name : names_in(root)) EXPECT_TRUE(is_blob_id(name)) << name;

  for (std::string_view bad :
       {std::string_view("ba7816bf"), std::string_view(abc).substr(1),
        std::string_view("../../../../../../../../etc/passwd"),
        std::string_view("zz7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"),
        std::string_view("0000000000000000000000000000000000000000000000000000000000000000")}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(store.get(bad).has_value());
    EXPECT_FALSE(store.has(bad));
  }
}

TEST(FsBlobStore, EnforcesItsFourLimits) {
  struct Case {
    const char* label;
    std::uint64_t max_blob;
    std::uint64_t max_total;
    std::uint32_t max_count;
    std::uint32_t max_scan;
    std::vector<std::size_t> earlier;  // sizes of blobs stored before, by an earlier store
    int stray_files;                   // unrelated files in the root
    std::size_t size;
    std::optional<ErrorKind> refusal;
  };
  const Case cases[] = {
      {"largest blob fits", 10, kLarge, 100, 100, {}, 0, 10, std::nullopt},
      {"one byte over the largest blob", 10, kLarge, 100, 100, {}, 0, 11, ErrorKind::BlobTooLarge},
      {"total fills up exactly", kLarge, 25, 100, 100, {10, 10}, 0, 5, std::nullopt},
      {"total passed by one byte",
       kLarge,
       25,
       100,
       100,
       {10, 10},
       0,
       6,
       ErrorKind::TotalBytesReached},
      {"last blob that may be held", kLarge, kLarge, 3, 100, {1, 2}, 0, 3, std::nullopt},
      {"one blob too many", kLarge, kLarge, 3, 100, {1, 2, 3}, 0, 4, ErrorKind::BlobCountReached},
      {"strays count toward the scan limit only", kLarge, kLarge, 3, 5, {1, 2}, 3, 3, std::nullopt},
      {"root with more entries than the store reads",
       kLarge,
       kLarge,
       100,
       5,
       {1, 2},
       4,
       3,
       ErrorKind::ScanLimitReached},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    std::vector<BlobId> earlier_ids;
    {
      FsBlobStore earlier(dir.path(), kLarge, kLarge, 100, 100);
      for (std::size_t i = 0; i < c.earlier.size(); ++i) {
        earlier_ids.push_back(earlier.put(content(100 + i, c.earlier[i])).value());
      }
    }
    for (int i = 0; i < c.stray_files; ++i)
      overwrite(dir.path() / ("note-" + std::to_string(i)), "x");

    FsBlobStore store(dir.path(), c.max_blob, c.max_total, c.max_count, c.max_scan);
    const Result<BlobId> put = store.put(content(7, c.size));
    if (c.refusal) {
      ASSERT_FALSE(put.ok());
      EXPECT_EQ(put.error().kind, *c.refusal) << put.error().message;
      EXPECT_FALSE(put.error().message.empty());
      EXPECT_EQ(names_in(dir.path()).size(), c.earlier.size() + c.stray_files);
      // A full store still serves and re-accepts what it holds.
      for (std::size_t i = 0; i < earlier_ids.size(); ++i) {
        EXPECT_EQ(store.get(earlier_ids[i]), content(100 + i, c.earlier[i]));
        EXPECT_EQ(store.put(content(100 + i, c.earlier[i])).ok(),
                  *c.refusal != ErrorKind::BlobTooLarge || c.earlier[i] <= c.max_blob);
      }
    } else {
      ASSERT_TRUE(put.ok()) << put.error().message;
      EXPECT_EQ(store.get(put.value()), content(7, c.size));
    }
  }
}

TEST(FsBlobStore, VerifiesContentAgainstItsId) {
  TempDir dir;
  FsBlobStore store(dir.path(), kLarge, kLarge, 100, 100);
  const BlobId id = store.put(bytes("original bytes")).value();

  overwrite(dir.path() / id, "tampered bytes");  // same length, other content
  EXPECT_FALSE(store.get(id).has_value());
  // Putting the content again replaces the damaged file.
  ASSERT_EQ(store.put(bytes("original bytes")).value(), id);
  EXPECT_EQ(store.get(id), bytes("original bytes"));

  overwrite(dir.path() / id, "short");
  EXPECT_FALSE(store.get(id).has_value());
  ASSERT_TRUE(store.put(bytes("original bytes")).ok());
  EXPECT_EQ(store.total_bytes(), std::string_view("original bytes").size());

  // put_checked stores only bytes that hash to the id they are offered under.
  const BlobId other = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  const Result<BlobId> wrong = store.put_checked(other, bytes("not abc"));
  ASSERT_FALSE(wrong.ok());
  EXPECT_EQ(wrong.error().kind, ErrorKind::HashMismatch);
  EXPECT_FALSE(store.has(other));
  EXPECT_EQ(store.put_checked("abc", bytes("abc")).error().kind, ErrorKind::InvalidId);
  ASSERT_TRUE(store.put_checked(other, bytes("abc")).ok());
  EXPECT_EQ(store.get(other), bytes("abc"));
}

TEST(FsBlobStore, ConcurrentPutsFromEightThreads) {
  TempDir dir;
  FsBlobStore store(dir.path(), kLarge, kLarge, 1000, 2000);
  constexpr int kThreads = 8;
  constexpr int kPerThread = 24;
  // Every thread stores 12 blobs of its own and 12 that all threads share.
  auto blob_of = [](int thread, int i) {
    return i % 2 == 0 ? content(1000 + i, 3000 + i) : content(thread * 100 + i, 2000 + i);
  };
  std::vector<std::vector<BlobId>> ids(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) {
        const Result<BlobId> put = store.put(blob_of(t, i));
        ids[t].push_back(put.ok() ? put.value() : "failed: " + put.error().message);
      }
    });
  }
  for (auto& thread : threads) thread.join();

  std::uint64_t expected_bytes = 0;
  std::map<BlobId, bool> distinct;
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kPerThread; ++i) {
      const auto blob = blob_of(t, i);
      ASSERT_EQ(store.get(ids[t][i]), blob) << ids[t][i];
      if (!distinct[ids[t][i]]) expected_bytes += blob.size();
      distinct[ids[t][i]] = true;
    }
  }
  EXPECT_EQ(distinct.size(), static_cast<std::size_t>(12 + kThreads * 12));
  EXPECT_EQ(store.blob_count(), distinct.size());
  EXPECT_EQ(store.total_bytes(), expected_bytes);
  EXPECT_EQ(names_in(dir.path()).size(), distinct.size());  // no temporary files left
}

TEST(FsBlobStore, ConcurrentPutsNeverPassTheCountLimit) {
  TempDir dir;
  FsBlobStore store(dir.path(), kLarge, kLarge, 10, 100);
  std::atomic<int> stored{0};
  std::atomic<int> refused{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 4; ++i) {
        const Result<BlobId> put = store.put(content(t * 10 + i, 512));
        if (put.ok()) {
          ++stored;
        } else if (put.error().kind == ErrorKind::BlobCountReached) {
          ++refused;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(stored.load(), 10);
  EXPECT_EQ(refused.load(), 22);
  EXPECT_EQ(names_in(dir.path()).size(), 10u);
  EXPECT_EQ(store.blob_count(), 10u);
}

TEST(FsBlobStore, EvictsWhatIsNotReferenced) {
  TempDir dir;
  FsBlobStore store(dir.path(), kLarge, kLarge, 3, 100);
  const BlobId a = store.put(bytes("aaa")).value();
  const BlobId b = store.put(bytes("bbbb")).value();
  const BlobId c = store.put(bytes("cc")).value();
  ASSERT_EQ(store.put(bytes("full")).error().kind, ErrorKind::BlobCountReached);

  overwrite(dir.path() / ".tmp-stale", "left by a writer that died");
  overwrite(dir.path() / ".tmp-fresh", "a writer still at work");
  const auto long_ago = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
  std::filesystem::last_write_time(dir.path() / ".tmp-stale", long_ago);

  std::string c_upper = c;
  std::transform(c_upper.begin(), c_upper.end(), c_upper.begin(), ::toupper);
  const std::vector<BlobId> referenced = {a, c_upper, std::string(64, 'f')};
  const Result<std::uint64_t> evicted = store.evict_unreferenced(referenced);
  ASSERT_TRUE(evicted.ok()) << evicted.error().message;
  EXPECT_EQ(evicted.value(), 1u);
  EXPECT_FALSE(store.has(b));
  EXPECT_EQ(store.get(a), bytes("aaa"));
  EXPECT_EQ(store.get(c), bytes("cc"));
  EXPECT_EQ(store.blob_count(), 2u);
  EXPECT_EQ(store.total_bytes(), 5u);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / ".tmp-stale"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / ".tmp-fresh"));
  EXPECT_TRUE(store.put(bytes("full")).ok());  // the freed place is usable again
}

TEST(FsBlobStore, AFailedWriteGivesBackWhatItReserved) {
  TempDir dir;
  const auto root = dir.path() / "blobs";
  overwrite(root, "a file where the directory should be");
  FsBlobStore store(root, kLarge, 100, 1, 100);
  const Result<BlobId> failed = store.put(bytes("content"));
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error().kind, ErrorKind::Io);
  EXPECT_EQ(store.blob_count(), 0u);

  std::filesystem::remove(root);
  const Result<BlobId> stored = store.put(bytes("content"));
  ASSERT_TRUE(stored.ok()) << stored.error().message;
  EXPECT_EQ(store.get(stored.value()), bytes("content"));
}

// Sets or unsets one variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(FsBlobStore, DefaultRootLiesInTheUsersDataDirectory) {
  struct Case {
    const char* home;
    const char* data_home;
    std::filesystem::path expected;
  };
  const Case cases[] = {
      {"/home/ann", "/data/ann", "/data/ann/vdoc/blobs"},
      {"/home/ann", nullptr, "/home/ann/.local/share/vdoc/blobs"},
      {nullptr, nullptr,
       std::filesystem::temp_directory_path() / ("vdoc-blobs-" + std::to_string(::getuid()))},
  };
  for (const Case& c : cases) {
    ScopedEnv home("HOME", c.home);
    ScopedEnv data_home("XDG_DATA_HOME", c.data_home);
    EXPECT_EQ(FsBlobStore::default_root(), c.expected);
  }
}

}  // namespace
