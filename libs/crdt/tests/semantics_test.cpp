// Reads and writes on one document, and how concurrent writes resolve.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "crdt/document.hpp"
#include "doc_dump.hpp"

namespace crdt {
namespace {

ActorId actor(std::uint8_t b) {
  return *ActorId::from_bytes(std::vector<std::uint8_t>(16, b));
}

TEST(SemanticsTest, ScalarsRoundTripWithTheirKind) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<ScalarValue> values = {
      ScalarValue(),
      ScalarValue(true),
      ScalarValue(false),
      ScalarValue(std::int64_t{-5}),
      ScalarValue(std::numeric_limits<std::uint64_t>::max()),
      ScalarValue(3.9),
      ScalarValue(nan),
      ScalarValue("héllo"),
      ScalarValue(Bytes{0, 1, 255}),
      ScalarValue(Counter{7}),
      ScalarValue(Timestamp{1700000000123}),
      ScalarValue(UnknownScalar{12, {9, 8}}),
  };
  Document doc;
  for (std::size_t i = 0; i < values.size(); ++i) {
    ASSERT_TRUE(doc.put(ROOT, "k" + std::to_string(i), values[i]));
  }
  // Through the wire and back too: a save/load round trip keeps every kind.
  auto loaded = Document::load(doc.save());
  ASSERT_TRUE(loaded) << loaded.error().message;
  for (const Document* d : {&doc, &*loaded}) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      auto got = d->get(ROOT, "k" + std::to_string(i));
      ASSERT_TRUE(got);
      ASSERT_TRUE(got->first.scalar());
      EXPECT_EQ(*got->first.scalar(), values[i]) << i;
    }
  }
}

TEST(SemanticsTest, ObjectKindsAreDistinctAndReplaceEachOther) {
  Document doc;
  ASSERT_TRUE(doc.put(ROOT, "x", "a string"));
  auto list = doc.put_object(ROOT, "x", ObjType::List);
  ASSERT_TRUE(list);
  auto got = doc.get(ROOT, "x");
  ASSERT_TRUE(got);
  EXPECT_EQ(got->first.object_type(), ObjType::List);
  EXPECT_EQ(got->second, *list);
  EXPECT_FALSE(doc.text(*list));

  auto text = doc.put_object(ROOT, "x", ObjType::Text);
  ASSERT_TRUE(text);
  EXPECT_NE(*text, *list);
  EXPECT_EQ(doc.text(*text), "");
  EXPECT_EQ(doc.get(ROOT, "x")->first.object_type(), ObjType::Text);

  ASSERT_TRUE(doc.put(ROOT, "x", std::int64_t{4}));
  EXPECT_TRUE(doc.get(ROOT, "x")->first.is_scalar());
  EXPECT_FALSE(doc.text(ROOT));  // the root is a map
  auto s = doc.put(ROOT, "s", "plain");
  EXPECT_FALSE(doc.text(doc.get(ROOT, "s")->second));  // a string is not a text object
}

TEST(SemanticsTest, WrongKindAndRangeGiveErrors) {
  Document doc;
  ObjId list = *doc.put_object(ROOT, "l", ObjType::List);
  ObjId text = *doc.put_object(ROOT, "t", ObjType::Text);
  ObjId map = *doc.put_object(ROOT, "m", ObjType::Map);
  ObjId ghost{99, actor(9)};

  struct Case {
    const char* name;
    ErrorCode code;
    std::function<Status()> write;
  };
  std::vector<Case> cases = {
      {"key put on list", ErrorCode::WrongObjectType, [&] { return doc.put(list, "k", 1); }},
      {"index put on map", ErrorCode::WrongObjectType, [&] { return doc.put(map, 0, 1); }},
      {"insert into text", ErrorCode::WrongObjectType, [&] { return doc.insert(text, 0, 1); }},
      {"splice on list", ErrorCode::WrongObjectType,
       [&] { return doc.splice_text(list, 0, 0, "x"); }},
      {"insert past end", ErrorCode::IndexOutOfRange, [&] { return doc.insert(list, 1, 1); }},
      {"put past end", ErrorCode::IndexOutOfRange, [&] { return doc.put(list, 0, 1); }},
      {"remove past end", ErrorCode::IndexOutOfRange, [&] { return doc.remove(list, 0); }},
      {"splice past end", ErrorCode::IndexOutOfRange,
       [&] { return doc.splice_text(text, 1, 0, "x"); }},
      {"splice deletes past end", ErrorCode::IndexOutOfRange,
       [&] { return doc.splice_text(text, 0, 1, ""); }},
      {"invalid utf-8", ErrorCode::InvalidText,
       [&] { return doc.splice_text(text, 0, 0, "\xff"); }},
      {"missing object", ErrorCode::NoSuchObject, [&] { return doc.put(ghost, "k", 1); }},
      {"increment a string", ErrorCode::NotACounter,
       [&] {
         (void)doc.put(map, "s", "x");
         return doc.increment(map, "s", 1);
       }},
      {"container creation", ErrorCode::WrongObjectType,
       [&] {
         auto r = doc.put_object(list, "k", ObjType::Map);
         return r ? Status{} : Status{r.error()};
       }},
  };
  for (auto& c : cases) {
    Status s = c.write();
    ASSERT_FALSE(s) << c.name;
    EXPECT_EQ(s.error().code, c.code) << c.name;
  }
  EXPECT_EQ(doc.length(list), 0u);
  EXPECT_EQ(doc.text(text), "");
}

TEST(SemanticsTest, ListsInsertPutRemoveAndCount) {
  Document doc;
  ObjId list = *doc.put_object(ROOT, "l", ObjType::List);
  ASSERT_TRUE(doc.insert(list, 0, "b"));
  ASSERT_TRUE(doc.insert(list, 0, "a"));
  ASSERT_TRUE(doc.insert(list, 2, "d"));
  ASSERT_TRUE(doc.insert(list, 2, "c"));
  ObjId inner = *doc.insert_object(list, 4, ObjType::Map);
  ASSERT_TRUE(doc.put(inner, "id", "m1"));
  ASSERT_TRUE(doc.put(list, 1, "B"));
  ASSERT_TRUE(doc.remove(list, 2));
  EXPECT_EQ(doc.length(list), 4u);
  std::vector<std::string> seen;
  for (std::size_t i = 0; i < 3; ++i) {
    seen.push_back(std::get<std::string>(doc.get(list, i)->first.scalar()->content));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "B", "d"}));
  auto last = doc.get(list, 3);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->second, inner);
  EXPECT_FALSE(doc.get(list, 4));
  ASSERT_TRUE(doc.put(list, 0, Counter{1}));
  ASSERT_TRUE(doc.increment(list, 0, 41));
  EXPECT_EQ(std::get<Counter>(doc.get(list, 0)->first.scalar()->content).value, 42);
}

TEST(SemanticsTest, TextSplicesCountCodePoints) {
  Document doc;
  ObjId text = *doc.put_object(ROOT, "t", ObjType::Text);
  ASSERT_TRUE(doc.splice_text(text, 0, 0, "héllo wörld"));
  EXPECT_EQ(doc.length(text), 11u);
  ASSERT_TRUE(doc.splice_text(text, 6, 5, "🙂!"));
  EXPECT_EQ(doc.text(text), "héllo 🙂!");
  EXPECT_EQ(doc.length(text), 8u);
  ASSERT_TRUE(doc.splice_text(text, 1, 1, "e"));
  ASSERT_TRUE(doc.remove(text, 0));
  EXPECT_EQ(doc.text(text), "ello 🙂!");
  EXPECT_EQ(std::get<std::string>(doc.get(text, 5)->first.scalar()->content), "🙂");
}

TEST(SemanticsTest, KeysAreLazyBytewiseAndSkipDeleted) {
  Document doc;
  for (const char* k : {"b", "a", "\xc3\xa9", "B", "ab", "gone"}) ASSERT_TRUE(doc.put(ROOT, k, 1));
  ASSERT_TRUE(doc.remove(ROOT, "gone"));
  ASSERT_TRUE(doc.remove(ROOT, "never there"));
  std::vector<std::string> keys;
  for (std::string_view k : doc.keys(ROOT)) keys.emplace_back(k);
  EXPECT_EQ(keys, (std::vector<std::string>{"B", "a", "ab", "b", "\xc3\xa9"}));
  EXPECT_EQ(doc.length(ROOT), 5u);
  EXPECT_FALSE(doc.get(ROOT, "gone"));
  // Lazy: stopping early is fine and the range can be walked again.
  auto range = doc.keys(ROOT);
  EXPECT_EQ(*range.begin(), "B");
  EXPECT_EQ(std::distance(range.begin(), range.end()), 5);
  EXPECT_EQ(doc.keys(*doc.put_object(ROOT, "l", ObjType::List)).begin(),
            doc.keys(*doc.put_object(ROOT, "l2", ObjType::List)).end());
}

TEST(SemanticsTest, ConcurrentPutsConflictAndTheGreaterOpIdWins) {
  Document a(actor(1));
  ASSERT_TRUE(a.put(ROOT, "k", "base"));
  a.commit();
  Document b = a.fork();
  ASSERT_TRUE(b.set_actor(actor(2)));
  ASSERT_TRUE(a.put(ROOT, "k", "from a"));
  ASSERT_TRUE(b.put(ROOT, "k", "from b"));
  ASSERT_TRUE(a.merge(b));
  ASSERT_TRUE(b.merge(a));
  for (Document* d : {&a, &b}) {
    auto all = d->get_all(ROOT, "k");
    ASSERT_EQ(all.size(), 2u);
    // Same counter on both sides: the actor bytes decide (2 > 1).
    EXPECT_EQ(std::get<std::string>(d->get(ROOT, "k")->first.scalar()->content), "from b");
    EXPECT_EQ(std::get<std::string>(all.front().first.scalar()->content), "from a");
  }
  EXPECT_EQ(a.get_heads(), b.get_heads());
  EXPECT_EQ(a.get_heads().size(), 2u);
  // A later write sees both and resolves the conflict.
  ASSERT_TRUE(a.put(ROOT, "k", "settled"));
  ASSERT_TRUE(b.merge(a));
  EXPECT_EQ(b.get_all(ROOT, "k").size(), 1u);
}

TEST(SemanticsTest, ConcurrentDeleteAndUpdateOfAnElementKeepTheUpdate) {
  Document a(actor(1));
  ObjId list = *a.put_object(ROOT, "l", ObjType::List);
  ASSERT_TRUE(a.insert(list, 0, "x"));
  ASSERT_TRUE(a.insert(list, 1, "y"));
  Document b = a.fork();
  ASSERT_TRUE(a.remove(list, 0));
  ASSERT_TRUE(b.put(list, 0, "x2"));
  ASSERT_TRUE(b.increment(ROOT, "none", 1).ok() == false);
  ASSERT_TRUE(a.merge(b));
  ASSERT_TRUE(b.merge(a));
  EXPECT_EQ(testing::dump(a), testing::dump(b));
  EXPECT_EQ(a.length(list), 2u);
  EXPECT_EQ(std::get<std::string>(a.get(list, 0)->first.scalar()->content), "x2");
}

TEST(SemanticsTest, ConcurrentInsertsAtOnePlaceInterleaveTheSameEverywhere) {
  Document a(actor(1));
  ObjId text = *a.put_object(ROOT, "t", ObjType::Text);
  ASSERT_TRUE(a.splice_text(text, 0, 0, "[]"));
  Document b = a.fork();
  ASSERT_TRUE(b.set_actor(actor(2)));
  Document c = a.fork();
  ASSERT_TRUE(c.set_actor(actor(3)));
  ASSERT_TRUE(a.splice_text(text, 1, 0, "aa"));
  ASSERT_TRUE(b.splice_text(text, 1, 0, "bb"));
  ASSERT_TRUE(c.splice_text(text, 1, 0, "c"));
  ASSERT_TRUE(c.splice_text(text, 2, 0, "C"));
  // Merge in different orders.
  ASSERT_TRUE(a.merge(b));
  ASSERT_TRUE(a.merge(c));
  ASSERT_TRUE(c.merge(b));
  ASSERT_TRUE(c.merge(a));
  EXPECT_EQ(a.text(text), c.text(text));
  // Each run stays together; the later counters (c's second insert) and greater actors go first.
  EXPECT_EQ(a.text(text), "[cCbbaa]");
}

TEST(SemanticsTest, TheActorStaysReadableWhileOtherActorsArrive) {
  Document doc(actor(1));
  const ActorId& mine = doc.get_actor();
  for (std::uint8_t i = 2; i < 60; ++i) {
    Document other(actor(i));
    (void)other.put(ROOT, "k", i);
    ASSERT_TRUE(doc.merge(other));
  }
  EXPECT_EQ(mine, actor(1));
  EXPECT_EQ(doc.get_all(ROOT, "k").size(), 58u);
}

TEST(SemanticsTest, CountersAddConcurrentIncrements) {
  Document a(actor(1));
  ASSERT_TRUE(a.put(ROOT, "n", Counter{10}));
  Document b = a.fork();
  ASSERT_TRUE(a.increment(ROOT, "n", 5));
  ASSERT_TRUE(b.increment(ROOT, "n", -2));
  ASSERT_TRUE(a.merge(b));
  EXPECT_EQ(std::get<Counter>(a.get(ROOT, "n")->first.scalar()->content).value, 13);
}

TEST(SemanticsTest, CommitsCollectWritesIntoOneChange) {
  Document doc(actor(1));
  EXPECT_FALSE(doc.commit());
  EXPECT_TRUE(doc.get_heads().empty());
  ASSERT_TRUE(doc.put(ROOT, "a", 1));
  ASSERT_TRUE(doc.put(ROOT, "b", 2));
  EXPECT_EQ(doc.pending_ops(), 2u);
  auto heads = doc.get_heads();  // commits
  EXPECT_EQ(doc.pending_ops(), 0u);
  ASSERT_EQ(heads.size(), 1u);
  auto change = doc.get_change(heads[0]);
  ASSERT_TRUE(change);
  EXPECT_EQ(change->op_count(), 2u);
  EXPECT_EQ(change->seq(), 1u);
  EXPECT_EQ(change->start_op(), 1u);
  EXPECT_EQ(change->actor(), actor(1));
  ASSERT_TRUE(doc.put(ROOT, "c", 3));
  auto h2 = doc.commit("third", 1234);
  ASSERT_TRUE(h2);
  auto second = doc.get_change(*h2);
  EXPECT_EQ(second->deps(), heads);
  EXPECT_EQ(second->seq(), 2u);
  EXPECT_EQ(second->start_op(), 3u);
  EXPECT_EQ(second->time(), 1234);
  EXPECT_EQ(second->message(), "third");
  auto again = Change::from_bytes(second->bytes());
  ASSERT_TRUE(again);
  EXPECT_EQ(again->hash(), *h2);
}

}  // namespace
}  // namespace crdt

namespace crdt {
namespace {

// Enough edits to split leaves and inner nodes many times over, checked against a plain
// string, locally and on a replica that rebuilt the text from the changes.
TEST(SemanticsTest, LongTextsMatchAPlainModel) {
  Document doc(actor(1));
  ObjId text = *doc.put_object(ROOT, "t", ObjType::Text);
  std::u32string model;
  std::uint32_t state = 12345;
  auto next = [&](std::uint32_t n) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % n;
  };
  for (int i = 0; i < 30000; ++i) {
    std::size_t pos = next(static_cast<std::uint32_t>(model.size() + 1));
    std::size_t del = next(4) == 0 ? std::min<std::size_t>(model.size() - pos, next(5)) : 0;
    std::u32string ins(next(3), static_cast<char32_t>(next(2) ? U'a' + next(26) : U'é'));
    std::string utf8;
    for (char32_t c : ins) utf8 += c == U'é' ? "\xc3\xa9" : std::string(1, static_cast<char>(c));
    ASSERT_TRUE(doc.splice_text(text, pos, del, utf8));
    model.replace(pos, del, ins);
    if (i % 1000 == 0) doc.commit();
  }
  auto as_utf8 = [](const std::u32string& s) {
    std::string out;
    for (char32_t c : s) out += c == U'é' ? "\xc3\xa9" : std::string(1, static_cast<char>(c));
    return out;
  };
  ASSERT_EQ(doc.length(text), model.size());
  EXPECT_EQ(doc.text(text), as_utf8(model));
  for (std::size_t i = 0; i < model.size(); i += 997) {
    std::string want = as_utf8(model.substr(i, 1));
    EXPECT_EQ(std::get<std::string>(doc.get(text, i)->first.scalar()->content), want);
  }
  Document replica(actor(2));
  ASSERT_TRUE(replica.apply_changes(doc.get_changes({})));
  EXPECT_EQ(replica.text(text), doc.text(text));
  // Keep editing both sides concurrently over the big text, then merge.
  ASSERT_TRUE(replica.splice_text(text, 10, 5, "REPLICA"));
  ASSERT_TRUE(doc.splice_text(text, 12, 0, "LOCAL"));
  ASSERT_TRUE(doc.merge(replica));
  ASSERT_TRUE(replica.merge(doc));
  EXPECT_EQ(replica.text(text), doc.text(text));
}

}  // namespace
}  // namespace crdt
