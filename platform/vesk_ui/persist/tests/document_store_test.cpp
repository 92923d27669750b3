#include <gtest/gtest.h>

#include "store_test_support.hpp"
#include "vesk_ui/persist.hpp"
#include "vesk_ui/text_splice.hpp"

namespace vesk_ui::persist {
namespace {

using test::file_bytes;
using test::files_starting;
using test::read_change;
using test::TempDir;
using test::write_bytes;
using test::write_change;

crdt::ActorId actor() {
  return crdt::ActorId::random();
}

TEST(DocumentStore, ReopenSeesEveryCommittedChange) {
  struct Case {
    const char* label;
    PersistOptions options;
  };
  const Case cases[] = {
      {"appends, seldom rewritten", PersistOptions{}},
      {"rewritten as a whole save almost every time", PersistOptions{1, true}},
      {"without flushing", PersistOptions{1 << 20, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    const auto path = dir.path() / "not" / "yet" / "there" / "workspace.automerge";
    std::optional<crdt::ObjId> draft;
    std::string draft_text;
    int written = 0;
    for (int session = 0; session < 4; ++session) {
      DocumentStore store = open_migrating(actor(), c.options, path);
      ASSERT_EQ(store.path(), path);
      crdt::Document& doc = store.document();
      for (int i = 0; i < written; ++i) ASSERT_EQ(read_change(doc, i), i) << "session " << session;
      if (draft) {
        EXPECT_EQ(doc.text(*draft), draft_text);
      }

      if (!draft) draft = doc.put_object(crdt::ROOT, "draft", crdt::ObjType::Text).value();
      for (int round = 0; round < 25; ++round, ++written) {
        write_change(doc, written);
        draft_text += static_cast<char>('a' + written % 26);
        ASSERT_TRUE(splice_text_diffed(doc, *draft, draft_text).ok());
        const auto error = store.persist();
        ASSERT_FALSE(error.has_value()) << error->message;
      }
      // Left unpersisted on purpose: closing the store writes it.
      write_change(doc, written++);
    }
    DocumentStore reopened = open_migrating(actor(), c.options, path);
    for (int i = 0; i < written; ++i) EXPECT_EQ(read_change(reopened.document(), i), i);
    EXPECT_EQ(reopened.document().text(*draft), draft_text);
    EXPECT_TRUE(files_starting(path.parent_path(), "workspace.automerge.").empty());
  }
}

TEST(DocumentStore, RewritesTheFileOnceTheAppendedChunksOutgrowIt) {
  TempDir dir;
  const auto path = dir.path() / "doc";
  DocumentStore store = open_migrating(actor(), PersistOptions{256, false}, path);
  std::uintmax_t largest = 0;
  for (int i = 0; i < 400; ++i) {
    write_change(store.document(), i);
    ASSERT_FALSE(store.persist().has_value());
    largest = std::max(largest, std::filesystem::file_size(path));
  }
  const std::uintmax_t whole = store.document().save().size();
  // Appends grow the file to at most about twice a whole save (or the threshold) before it is
  // rewritten, never without bound.
  EXPECT_LE(largest, 2 * whole + 256 + 512);
  EXPECT_LE(std::filesystem::file_size(path), 2 * whole + 256 + 512);
}

TEST(DocumentStore, DropsATornOrDamagedTail) {
  struct Case {
    const char* label;
    bool flip_inside_last_chunk_instead_of_cutting;
    bool expect_copy;
  };
  const Case cases[] = {
      {"last chunk cut short by a crash", false, false},
      {"last chunk with a flipped byte", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    const auto path = dir.path() / "workspace.automerge";
    std::uintmax_t before_last = 0;
    {
      DocumentStore store = open_migrating(actor(), {}, path);
      for (int i = 0; i < 5; ++i) {
        write_change(store.document(), i);
        ASSERT_FALSE(store.persist().has_value());
        if (i == 3) before_last = std::filesystem::file_size(path);
      }
    }
    std::vector<std::uint8_t> bytes = file_bytes(path);
    ASSERT_GT(bytes.size(), before_last + 8);
    if (c.flip_inside_last_chunk_instead_of_cutting) {
      bytes[bytes.size() - 3] ^= 0x40;
    } else {
      bytes.resize(bytes.size() - 3);
    }
    write_bytes(path, bytes);

    testing::internal::CaptureStderr();
    {
      DocumentStore store = open_migrating(actor(), {}, path);
      const std::string told = testing::internal::GetCapturedStderr();
      EXPECT_NE(told.find(path.string()), std::string::npos) << told;
      for (int i = 0; i < 4; ++i) EXPECT_EQ(read_change(store.document(), i), i);
      EXPECT_FALSE(read_change(store.document(), 4).has_value());
      EXPECT_EQ(std::filesystem::file_size(path), before_last);

      const auto copies = files_starting(dir.path(), "workspace.automerge.corrupt-");
      if (c.expect_copy) {
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(file_bytes(copies[0]), bytes);
        EXPECT_NE(told.find(copies[0].string()), std::string::npos) << told;
      } else {
        EXPECT_TRUE(copies.empty());
      }
      // Later changes go after the good part and read back.
      write_change(store.document(), 5);
      ASSERT_FALSE(store.persist().has_value());
    }
    DocumentStore reopened = open_migrating(actor(), {}, path);
    EXPECT_EQ(read_change(reopened.document(), 3), 3);
    EXPECT_EQ(read_change(reopened.document(), 5), 5);
  }
}

TEST(DocumentStore, KeepsAnUnreadableFileBesideAndStartsAnew) {
  TempDir dir;
  const auto path = dir.path() / "workspace.automerge";
  const std::vector<std::vector<std::uint8_t>> garbage = {
      {'n', 'o', 't', ' ', 'a', ' ', 'd', 'o', 'c'},
      {0x85, 0x6f, 0x4a, 0x83, 0x00, 0x01, 0x02},
      std::vector<std::uint8_t>(3000, 0xff),
  };
  for (std::size_t round = 0; round < garbage.size(); ++round) {
    SCOPED_TRACE(round);
    write_bytes(path, garbage[round]);
    {
      testing::internal::CaptureStderr();
      DocumentStore store = open_migrating(actor(), {}, path);
      const std::string told = testing::internal::GetCapturedStderr();

      // Every earlier copy is still there, none overwritten: each round adds one.
      const auto copies = files_starting(dir.path(), "workspace.automerge.corrupt-");
      ASSERT_EQ(copies.size(), round + 1);
      std::size_t rounds_kept = 0;
      for (const auto& copy : copies) {
        const auto kept = file_bytes(copy);
        for (std::size_t r = 0; r <= round; ++r) rounds_kept += kept == garbage[r] ? 1 : 0;
        if (kept == garbage[round]) {
          EXPECT_NE(told.find(copy.string()), std::string::npos) << told;
        }
      }
      EXPECT_EQ(rounds_kept, round + 1);

      EXPECT_EQ(store.path(), path);
      EXPECT_EQ(store.document().length(crdt::ROOT), 0u);
      write_change(store.document(), 7);
      ASSERT_FALSE(store.persist().has_value());
    }
    DocumentStore reopened = open_migrating(actor(), {}, path);
    EXPECT_EQ(read_change(reopened.document(), 7), 7);
  }
}

TEST(DocumentStore, AWholeSaveCutShortIsKeptBeside) {
  TempDir dir;
  const auto path = dir.path() / "workspace.automerge";
  {
    // A tiny threshold: the file ends up as one whole save.
    DocumentStore store = open_migrating(actor(), PersistOptions{1, true}, path);
    for (int i = 0; i < 50; ++i) write_change(store.document(), i);
    ASSERT_FALSE(store.persist().has_value());
  }
  std::vector<std::uint8_t> bytes = file_bytes(path);
  bytes.resize(bytes.size() / 2);
  write_bytes(path, bytes);

  testing::internal::CaptureStderr();
  DocumentStore store = open_migrating(actor(), {}, path);
  const std::string told = testing::internal::GetCapturedStderr();
  const auto copies = files_starting(dir.path(), "workspace.automerge.corrupt-");
  ASSERT_EQ(copies.size(), 1u) << told;
  EXPECT_EQ(file_bytes(copies[0]), bytes);
  EXPECT_NE(told.find(copies[0].string()), std::string::npos) << told;
  EXPECT_EQ(store.document().length(crdt::ROOT), 0u);
}

TEST(DocumentStore, AnEmptyFileIsANewDocument) {
  TempDir dir;
  const auto path = dir.path() / "workspace.automerge";
  write_bytes(path, {});
  {
    DocumentStore store = open_migrating(actor(), {}, path);
    EXPECT_EQ(store.path(), path);
    write_change(store.document(), 1);
  }
  EXPECT_TRUE(files_starting(dir.path(), "workspace.automerge.").empty());
  EXPECT_EQ(read_change(open_migrating(actor(), {}, path).document(), 1), 1);
}

TEST(DocumentStore, KeepsTheDocumentInMemoryWhenTheFileCannotBeUsed) {
  TempDir dir;
  const auto path = dir.path() / "workspace.automerge";
  struct Case {
    const char* label;
    std::filesystem::path path;
    std::string told;
  };
  std::filesystem::create_directories(dir.path() / "a-directory");
  write_bytes(dir.path() / "a-file", {'x'});
  DocumentStore holder = open_migrating(actor(), {}, path);
  write_change(holder.document(), 1);
  ASSERT_FALSE(holder.persist().has_value());
  const Case cases[] = {
      {"the path is a directory", dir.path() / "a-directory", "a-directory"},
      {"the folder cannot be made", dir.path() / "a-file" / "doc", "a-file"},
      {"another store has it open", path, "open in another store"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    testing::internal::CaptureStderr();
    {
      DocumentStore store = open_migrating(actor(), {}, c.path);
      const std::string told = testing::internal::GetCapturedStderr();
      EXPECT_NE(told.find(c.told), std::string::npos) << told;
      EXPECT_NE(told.find("will not be saved"), std::string::npos) << told;
      EXPECT_FALSE(store.path().has_value());
      write_change(store.document(), 2);
      EXPECT_FALSE(store.persist().has_value());
      EXPECT_EQ(read_change(store.document(), 2), 2);
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "a-directory"));
    EXPECT_EQ(file_bytes(dir.path() / "a-file"), std::vector<std::uint8_t>{'x'});
  }
  // The holder's file was left alone; replacing the holder writes its last change.
  write_change(holder.document(), 3);
  holder = open(actor(), {});
  DocumentStore reopened = open_migrating(actor(), {}, path);
  EXPECT_EQ(read_change(reopened.document(), 1), 1);
  EXPECT_FALSE(read_change(reopened.document(), 2).has_value());
  EXPECT_EQ(read_change(reopened.document(), 3), 3);
}

TEST(DocumentStore, OpenWithoutAFileKeepsTheDocumentInMemory) {
  TempDir dir;
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  {
    DocumentStore store = open(actor(), {});
    EXPECT_FALSE(store.path().has_value());
    write_change(store.document(), 1);
    EXPECT_FALSE(store.persist().has_value());
    EXPECT_EQ(read_change(store.document(), 1), 1);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  std::filesystem::current_path(cwd);
}

}  // namespace
}  // namespace vesk_ui::persist
