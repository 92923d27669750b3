// Saving, loading, incremental chunks, corrupt input, and changes that arrive early.
#include <gtest/gtest.h>

#include <algorithm>

#include "byte_io.hpp"
#include "chunk.hpp"
#include "crdt/document.hpp"
#include "digest.hpp"
#include "doc_dump.hpp"

namespace crdt {
namespace {

ActorId actor(std::uint8_t b) {
  return *ActorId::from_bytes(std::vector<std::uint8_t>(16, b));
}

// A small document with every kind of object, a conflict and tombstones.
Document sample() {
  Document a(actor(1));
  ObjId msgs = *a.put_object(ROOT, "messages", ObjType::List);
  for (int i = 0; i < 40; ++i) {
    ObjId m = *a.insert_object(msgs, a.length(msgs), ObjType::Map);
    (void)a.put(m, "id", "m" + std::to_string(i));
    ObjId t = *a.put_object(m, "text", ObjType::Text);
    (void)a.splice_text(t, 0, 0, "message number " + std::to_string(i) + " ✓");
    (void)a.splice_text(t, 3, 4, "");
    (void)a.put(m, "ts", std::int64_t{1700000000} + i);
    a.commit();
  }
  (void)a.remove(msgs, 5);
  Document b = a.fork();
  (void)b.set_actor(actor(2));
  (void)a.put(ROOT, "title", "A");
  (void)b.put(ROOT, "title", "B");
  (void)a.merge(b);
  return a;
}

TEST(PersistenceTest, SaveLoadRoundTripKeepsStateHeadsAndHistory) {
  Document doc = sample();
  Bytes saved = doc.save();
  auto loaded = Document::load(saved);
  ASSERT_TRUE(loaded) << loaded.error().message;
  EXPECT_EQ(testing::dump(*loaded), testing::dump(doc));
  EXPECT_EQ(loaded->get_heads(), doc.get_heads());
  EXPECT_EQ(loaded->get_changes({}).size(), doc.get_changes({}).size());
  EXPECT_EQ(loaded->get_all(ROOT, "title").size(), 2u);
  EXPECT_NE(loaded->get_actor(), doc.get_actor());
  // The loaded copy keeps working: it edits and merges back.
  (void)loaded->put(ROOT, "after", true);
  ASSERT_TRUE(doc.merge(*loaded));
  EXPECT_EQ(testing::dump(*loaded), testing::dump(doc));
}

// A loaded document rebuilds its sequences from the saved state, tombstones included, so
// changes made concurrently against deleted elements still land where they should.
TEST(PersistenceTest, ALoadedDocumentMergesEditsAroundItsTombstones) {
  Document a(actor(1));
  ObjId text = *a.put_object(ROOT, "t", ObjType::Text);
  ObjId list = *a.put_object(ROOT, "l", ObjType::List);
  (void)a.splice_text(text, 0, 0, "abcdefgh");
  for (int i = 0; i < 5; ++i) (void)a.insert(list, a.length(list), i);
  Document b = a.fork();
  (void)b.set_actor(actor(2));
  (void)a.splice_text(text, 2, 4, "");  // "ab" + "gh"
  (void)a.remove(list, 1);
  (void)a.remove(list, 1);
  (void)b.splice_text(text, 4, 0, "XY");  // after "d", which a deleted
  (void)b.insert(list, 2, "mid");         // after the element a deleted second
  (void)b.put(list, 1, "kept");           // overwrites the element a deleted first

  auto loaded = Document::load(a.save());
  ASSERT_TRUE(loaded);
  ASSERT_TRUE(a.merge(b));
  ASSERT_TRUE(loaded->merge(b));
  EXPECT_EQ(loaded->text(text), "abXYgh");
  EXPECT_EQ(testing::dump(*loaded), testing::dump(a));
  EXPECT_EQ(loaded->length(list), 5u);
}

TEST(PersistenceTest, IncrementalChunksAppendToASave) {
  Document doc = sample();
  Bytes file = doc.save();
  const Bytes base = file;
  EXPECT_TRUE(doc.save_incremental().empty());
  (void)doc.put(ROOT, "x", 1);
  Bytes inc1 = doc.save_incremental();
  (void)doc.put(ROOT, "y", 2);
  doc.commit();
  (void)doc.put(ROOT, "z", 3);
  Bytes inc2 = doc.save_incremental();
  EXPECT_FALSE(inc1.empty());
  file.insert(file.end(), inc1.begin(), inc1.end());
  file.insert(file.end(), inc2.begin(), inc2.end());
  auto loaded = Document::load(file);
  ASSERT_TRUE(loaded) << loaded.error().message;
  EXPECT_EQ(testing::dump(*loaded), testing::dump(doc));
  EXPECT_EQ(loaded->get_heads(), doc.get_heads());

  // Appending to an open document works the same way.
  auto reopened = Document::load(base);
  ASSERT_TRUE(reopened);
  Document other = std::move(*reopened);
  Bytes other_file = base;
  ASSERT_TRUE(other.set_actor(actor(9)));
  (void)other.put(ROOT, "unsaved", 1);
  ASSERT_TRUE(other.load_incremental(inc1));
  EXPECT_TRUE(other.get(ROOT, "x"));
  // Loading chunks from elsewhere does not mark the document's own edits as saved.
  Bytes other_tail = other.save_incremental();
  other_file.insert(other_file.end(), other_tail.begin(), other_tail.end());
  auto other_loaded = Document::load(other_file);
  ASSERT_TRUE(other_loaded);
  EXPECT_TRUE(other_loaded->get(ROOT, "unsaved"));
  EXPECT_TRUE(other_loaded->get(ROOT, "x"));

  // A whole save loaded into a document with its own edits merges like the changes would.
  Document mine(actor(7));
  (void)mine.put(ROOT, "mine", true);
  Document expected = mine.fork();
  ASSERT_TRUE(expected.merge(doc));
  ASSERT_TRUE(mine.load_incremental(doc.save()));
  EXPECT_EQ(testing::dump(mine), testing::dump(expected));
  EXPECT_EQ(mine.get_heads(), expected.get_heads());
}

// A save whose recorded heads were replaced (its checksum made valid again).
Bytes with_wrong_heads(Document& doc) {
  Bytes saved = doc.save();
  auto chunk = detail::read_chunk(saved);
  EXPECT_TRUE(chunk);
  detail::ByteReader r(chunk->body);
  std::uint64_t flags = 0, size = 0;
  EXPECT_TRUE(r.uleb(flags) && flags == 1 && r.uleb(size));
  std::span<const std::uint8_t> packed;
  r.take(r.remaining(), packed);
  auto inner = detail::zstd_decompress(packed, static_cast<std::size_t>(size));
  EXPECT_TRUE(inner);
  // Skip the actor table; then one head, its 32 bytes.
  detail::ByteReader in(*inner);
  std::uint64_t actors = 0, heads = 0;
  EXPECT_TRUE(in.uleb(actors));
  for (std::uint64_t i = 0; i < actors; ++i) {
    std::span<const std::uint8_t> actor;
    EXPECT_TRUE(in.prefixed(actor));
  }
  auto at = static_cast<std::size_t>(in.position() - inner->data());
  EXPECT_TRUE(in.uleb(heads) && heads == 1);
  std::fill(inner->begin() + at + 1, inner->begin() + at + 33, 0xab);
  Bytes body;
  detail::write_uleb(body, 0);
  detail::write_bytes(body, *inner);
  return detail::write_chunk(detail::ChunkType::Document, body);
}

TEST(PersistenceTest, CorruptInputIsReportedNeverTrusted) {
  Document doc = sample();
  doc.commit();
  (void)doc.put(ROOT, "single head", 1);
  const Bytes good = doc.save();
  const Bytes wrong_heads = with_wrong_heads(doc);
  (void)doc.put(ROOT, "later", 1);
  const Bytes inc = doc.save_incremental();
  Bytes two = good;
  two.insert(two.end(), inc.begin(), inc.end());

  struct Case {
    std::string name;
    Bytes bytes;
    ErrorCode code;
    std::size_t chunk;
  };
  std::vector<Case> cases;
  auto flipped = [](Bytes b, std::size_t at) {
    b[at] ^= 0x10;
    return b;
  };
  cases.push_back({"bit flip in body", flipped(good, good.size() / 2), ErrorCode::BadChecksum, 0});
  cases.push_back({"bit flip in checksum", flipped(good, 5), ErrorCode::BadChecksum, 0});
  cases.push_back({"bit flip in magic", flipped(good, 0), ErrorCode::BadMagic, 0});
  cases.push_back({"wrong version", flipped(good, 8), ErrorCode::UnsupportedVersion, 0});
  cases.push_back({"truncated body", Bytes(good.begin(), good.end() - 1), ErrorCode::Truncated, 0});
  cases.push_back(
      {"truncated header", Bytes(good.begin(), good.begin() + 6), ErrorCode::Truncated, 0});
  cases.push_back(
      {"truncated final chunk", Bytes(two.begin(), two.end() - 3), ErrorCode::Truncated, 1});
  cases.push_back(
      {"flip in second chunk", flipped(two, two.size() - 2), ErrorCode::BadChecksum, 1});
  cases.push_back({"garbage after",
                   [&] {
                     Bytes b = good;
                     b.push_back(7);
                     return b;
                   }(),
                   ErrorCode::BadMagic, 1});
  cases.push_back({"heads do not match", wrong_heads, ErrorCode::BadHash, 0});
  for (const Case& c : cases) {
    auto loaded = Document::load(c.bytes);
    ASSERT_FALSE(loaded) << c.name;
    EXPECT_EQ(loaded.error().code, c.code) << c.name << ": " << loaded.error().message;
    EXPECT_EQ(loaded.error().chunk_index, c.chunk) << c.name;
  }

  // A torn append: the valid prefix before the failing chunk still loads.
  Bytes torn(two.begin(), two.end() - 3);
  auto failed = Document::load(torn);
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().chunk_offset, good.size());
  auto prefix = Document::load(std::span(torn).first(failed.error().chunk_offset));
  ASSERT_TRUE(prefix);
  EXPECT_FALSE(prefix->get(ROOT, "later"));
}

TEST(PersistenceTest, EveryTruncationAndSingleBitFlipOfAChangeFails) {
  Document doc(actor(1));
  ObjId t = *doc.put_object(ROOT, "t", ObjType::Text);
  (void)doc.splice_text(t, 0, 0, "abc");
  (void)doc.put(ROOT, "n", 3.5);
  auto change = doc.get_changes({}).front();
  Bytes bytes(change.bytes().begin(), change.bytes().end());
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    EXPECT_FALSE(Change::from_bytes(std::span(bytes).first(n))) << n;
  }
  for (std::size_t i = 0; i < bytes.size() * 8; ++i) {
    Bytes b = bytes;
    b[i / 8] ^= static_cast<std::uint8_t>(1u << (i % 8));
    EXPECT_FALSE(Change::from_bytes(b)) << i;
  }
}

TEST(PersistenceTest, ChangesWaitForMissingDependencies) {
  Document a(actor(1));
  std::vector<Change> sent;
  for (int i = 0; i < 5; ++i) {
    (void)a.put(ROOT, "k" + std::to_string(i), i);
    a.commit();
  }
  sent = a.get_changes({});
  Document b(actor(2));
  std::reverse(sent.begin(), sent.end());
  // All but the first change: nothing can apply yet.
  ASSERT_TRUE(b.apply_changes(std::span(sent).first(4)));
  EXPECT_EQ(b.length(ROOT), 0u);
  EXPECT_TRUE(b.get_heads().empty());
  ASSERT_EQ(b.missing_deps().size(), 1u);
  EXPECT_EQ(b.missing_deps()[0], sent.back().hash());
  // Waiting changes survive a save and load, and are not written twice after.
  Bytes file = b.save();
  auto reloaded = Document::load(file);
  ASSERT_TRUE(reloaded) << reloaded.error().message;
  EXPECT_EQ(reloaded->missing_deps(), b.missing_deps());
  ASSERT_TRUE(reloaded->apply_changes(std::span(sent).last(1)));
  EXPECT_EQ(reloaded->length(ROOT), 5u);
  Bytes tail = reloaded->save_incremental();
  EXPECT_EQ(tail.size(), sent.back().bytes().size());
  file.insert(file.end(), tail.begin(), tail.end());
  auto whole = Document::load(file);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->get_heads(), a.get_heads());

  ASSERT_TRUE(b.apply_changes(std::span(sent).last(1)));
  EXPECT_EQ(b.length(ROOT), 5u);
  EXPECT_TRUE(b.missing_deps().empty());
  EXPECT_EQ(b.get_heads(), a.get_heads());
  // Duplicates are harmless.
  ASSERT_TRUE(b.apply_changes(sent));
  EXPECT_EQ(b.get_changes({}).size(), 5u);
}

TEST(PersistenceTest, AConflictingReuseOfASequenceNumberIsRejected) {
  Document a(actor(1));
  (void)a.put(ROOT, "x", 1);
  a.commit();
  Document twin(actor(1));  // same actor, different history
  (void)twin.put(ROOT, "x", 2);
  twin.commit();
  Status s = a.apply_changes(twin.get_changes({}));
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().code, ErrorCode::InvalidChange);
  EXPECT_EQ(std::get<std::int64_t>(a.get(ROOT, "x")->first.scalar()->content), 1);
}

}  // namespace
}  // namespace crdt
