// The read shortcuts (a cursor kept per list, an object lookup cache, prefix-compared map
// keys, texts kept spelled out, objects reached from the values that made them) and the
// one-pass visits must never change what a read returns, whatever edits, merges and
// reloads happen between reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "crdt/document.hpp"

namespace crdt {
namespace {

ActorId actor(std::uint8_t b) {
  return *ActorId::from_bytes(std::vector<std::uint8_t>(16, b));
}

std::int64_t int_at(const Document& doc, const ObjId& list, std::size_t i) {
  auto v = doc.get(list, i);
  if (!v || !v->first.scalar()) return -1;
  const auto* n = std::get_if<std::int64_t>(&v->first.scalar()->content);
  return n ? *n : -1;
}

// Reading from the end down never reuses the previous position, so it goes through the
// tree every time: the reference the cached walk is compared against.
std::vector<std::int64_t> read_backwards(const Document& doc, const ObjId& list) {
  std::vector<std::int64_t> out(doc.length(list));
  for (std::size_t i = out.size(); i-- > 0;) out[i] = int_at(doc, list, i);
  return out;
}

// Reads the way readers do (0, 1, 2, …), with some repeated and some skipped indices.
void expect_walks_match(const Document& doc, const ObjId& list,
                        const std::vector<std::int64_t>& model, std::mt19937& rng) {
  ASSERT_EQ(doc.length(list), model.size());
  for (std::size_t i = 0; i < model.size(); ++i) {
    ASSERT_EQ(int_at(doc, list, i), model[i]) << "walk at " << i;
    if (rng() % 7 == 0) {
      ASSERT_EQ(int_at(doc, list, i), model[i]) << "repeat at " << i;
    }
    if (rng() % 11 == 0 && i + 3 < model.size()) i += 2;
  }
  if (!model.empty()) {
    std::size_t at = rng() % model.size();
    EXPECT_EQ(int_at(doc, list, at), model[at]) << "jump to " << at;
    EXPECT_FALSE(doc.get(list, model.size()).has_value());
  }
}

// Local inserts, puts and deletes (single and in runs longer than a tree leaf) between
// walks, checked against a plain vector.
TEST(ReadPathTest, SequentialListReadsFollowLocalEdits) {
  std::mt19937 rng(7);
  Document doc(actor(1));
  ObjId list = *doc.put_object(ROOT, "l", ObjType::List);
  std::vector<std::int64_t> model;
  std::int64_t next_value = 0;
  for (int round = 0; round < 300; ++round) {
    int edits = 1 + static_cast<int>(rng() % 20);
    for (int e = 0; e < edits; ++e) {
      std::size_t n = model.size();
      switch (n == 0 ? 0 : rng() % 4) {
        case 0: {
          std::size_t at = rng() % (n + 1);
          ASSERT_TRUE(doc.insert(list, at, next_value));
          model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), next_value++);
          break;
        }
        case 1: {
          std::size_t at = rng() % n;
          ASSERT_TRUE(doc.put(list, at, next_value));
          model[at] = next_value++;
          break;
        }
        case 2: {
          std::size_t at = rng() % n;
          ASSERT_TRUE(doc.remove(list, at));
          model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
          break;
        }
        default: {
          // A run of tombstones wider than a leaf between two visible elements.
          std::size_t at = rng() % n;
          std::size_t run = std::min<std::size_t>(n - at, 1 + rng() % 150);
          for (std::size_t k = 0; k < run; ++k) ASSERT_TRUE(doc.remove(list, at));
          model.erase(model.begin() + static_cast<std::ptrdiff_t>(at),
                      model.begin() + static_cast<std::ptrdiff_t>(at + run));
          break;
        }
      }
      // A read in the middle of edits leaves a cursor for the next edit to invalidate.
      if (!model.empty() && rng() % 3 == 0) {
        std::size_t at = rng() % model.size();
        ASSERT_EQ(int_at(doc, list, at), model[at]);
        if (at + 1 < model.size()) {
          ASSERT_EQ(int_at(doc, list, at + 1), model[at + 1]);
        }
      }
    }
    // Keep the list long enough to span many leaves.
    while (model.size() < 200) {
      ASSERT_TRUE(doc.insert(list, model.size(), next_value));
      model.push_back(next_value++);
    }
    expect_walks_match(doc, list, model, rng);
    if (round % 50 == 0) doc.commit();
  }
}

// Remote inserts and deletes arrive through merges and reloads, not through local writes;
// a cursor left by a walk before them must not survive them.
TEST(ReadPathTest, SequentialListReadsFollowMergesAndReloads) {
  std::mt19937 rng(11);
  Document a(actor(1));
  ObjId list = *a.put_object(ROOT, "l", ObjType::List);
  for (std::int64_t i = 0; i < 300; ++i) ASSERT_TRUE(a.insert(list, a.length(list), i));
  Document b(actor(2));
  ASSERT_TRUE(b.merge(a));
  std::int64_t next_value = 1000;
  auto edit = [&](Document& doc) {
    for (int e = 0; e < 40; ++e) {
      std::size_t n = doc.length(list);
      if (n < 50 || rng() % 2 == 0) {
        ASSERT_TRUE(doc.insert(list, rng() % (n + 1), next_value++));
      } else if (rng() % 3 == 0) {
        ASSERT_TRUE(doc.put(list, rng() % n, next_value++));
      } else {
        std::size_t at = rng() % n;
        std::size_t run = std::min<std::size_t>(n - at, 1 + rng() % 80);
        for (std::size_t k = 0; k < run; ++k) ASSERT_TRUE(doc.remove(list, at));
      }
    }
  };
  for (int round = 0; round < 40; ++round) {
    // Walk both first, so both hold a cursor when the other side's changes land.
    auto before_a = read_backwards(a, list);
    expect_walks_match(a, list, before_a, rng);
    auto before_b = read_backwards(b, list);
    expect_walks_match(b, list, before_b, rng);
    edit(a);
    edit(b);
    ASSERT_TRUE(a.merge(b));
    ASSERT_TRUE(b.merge(a));
    auto merged = read_backwards(a, list);
    ASSERT_EQ(read_backwards(b, list), merged);
    expect_walks_match(a, list, merged, rng);
    expect_walks_match(b, list, merged, rng);
    if (round % 10 == 9) {
      auto loaded = Document::load(a.save());
      ASSERT_TRUE(loaded);
      expect_walks_match(*loaded, list, merged, rng);
    }
  }
}

// Text characters read by index, walking forward, across splices.
TEST(ReadPathTest, SequentialTextReadsFollowSplices) {
  std::mt19937 rng(3);
  Document doc(actor(1));
  ObjId text = *doc.put_object(ROOT, "t", ObjType::Text);
  std::string model;
  for (int round = 0; round < 200; ++round) {
    std::size_t pos = rng() % (model.size() + 1);
    std::size_t del = std::min<std::size_t>(model.size() - pos, rng() % 90);
    std::string ins(rng() % 40, static_cast<char>('a' + rng() % 26));
    ASSERT_TRUE(doc.splice_text(text, pos, del, ins));
    model.replace(pos, del, ins);
    ASSERT_EQ(doc.length(text), model.size());
    ASSERT_EQ(doc.text(text), model);
    for (std::size_t i = 0; i < model.size(); ++i) {
      auto v = doc.get(text, i);
      ASSERT_TRUE(v);
      ASSERT_EQ(std::get<std::string>(v->first.scalar()->content), model.substr(i, 1)) << i;
    }
  }
}

// A text spelled from its characters one by one, the reference for whole-text reads.
std::string spelled(const Document& doc, const ObjId& text) {
  std::string out;
  for (std::size_t i = 0; i < doc.length(text); ++i) {
    out += std::get<std::string>(doc.get(text, i)->first.scalar()->content);
  }
  return out;
}

// Whole-text reads keep the spelled text between reads: every way a text can change must
// show in the next read.
TEST(ReadPathTest, WholeTextReadsFollowEveryKindOfChange) {
  Document a(actor(1));
  ObjId text = *a.put_object(ROOT, "t", ObjType::Text);
  auto expect_current = [&](Document& doc, const std::string& where) {
    ASSERT_TRUE(doc.text(text)) << where;
    EXPECT_EQ(*doc.text(text), spelled(doc, text)) << where;
  };
  expect_current(a, "empty");
  EXPECT_EQ(*a.text(text), "");
  ASSERT_TRUE(a.splice_text(text, 0, 0, "hello world"));
  expect_current(a, "insert");
  EXPECT_EQ(*a.text(text), "hello world");
  ASSERT_TRUE(a.remove(text, 0));
  expect_current(a, "remove one");
  EXPECT_EQ(*a.text(text), "ello world");
  ASSERT_TRUE(a.splice_text(text, 4, 6, "!"));
  expect_current(a, "replace");
  EXPECT_EQ(*a.text(text), "ello!");

  Document b = a.fork();
  ASSERT_TRUE(b.splice_text(text, 0, 1, "Yé"));
  ASSERT_TRUE(a.splice_text(text, 5, 0, "?"));
  expect_current(a, "before merge");
  expect_current(b, "fork");
  ASSERT_TRUE(a.merge(b));
  expect_current(a, "merge");
  EXPECT_EQ(*a.text(text), "Yéllo!?");

  Bytes saved = a.save();
  ASSERT_TRUE(a.splice_text(text, 0, 2, ""));
  Bytes more = a.save_incremental();
  auto loaded = Document::load(saved);
  ASSERT_TRUE(loaded);
  ASSERT_EQ(*loaded->text(text), "Yéllo!?");
  ASSERT_TRUE(loaded->load_incremental(more));
  expect_current(*loaded, "incremental load");
  EXPECT_EQ(*loaded->text(text), "llo!?");
}

// Keys that tie on their first bytes, hold zero bytes or bytes above 0x7f, or are empty:
// lookups and key order are bytewise, as if each key were compared whole.
TEST(ReadPathTest, MapKeysWithSharedPrefixesAndOddBytesAreFoundExactly) {
  const std::vector<std::string> keys = {
      "",
      std::string("\0", 1),
      std::string("a\0", 2),
      "a",
      "abcdefgh",
      "abcdefgh0",
      "abcdefgh1",
      std::string("abcdefgh\0", 9),
      "abcdefg",
      "abcdefgi",
      "\xff",
      "\xff\xff\xff\xff\xff\xff\xff\xff\xff",
      "\x7f\x80",
      "reactions",
      "reference",
      std::string(300, 'z'),
  };
  const std::vector<std::string> absent = {
      "b",        "abcdefgh2", std::string("abcdefgh\0\0", 10), std::string("\0\0", 2),
      "\xff\xff", "react",     std::string(299, 'z'),
  };
  std::vector<std::string> order = keys;
  std::mt19937 rng(5);
  std::shuffle(order.begin(), order.end(), rng);
  Document doc(actor(1));
  ObjId map = *doc.put_object(ROOT, "m", ObjType::Map);
  for (std::size_t i = 0; i < order.size(); ++i) {
    ASSERT_TRUE(doc.put(map, order[i], static_cast<std::int64_t>(i)));
  }
  auto check = [&](const Document& d, const char* where) {
    for (std::size_t i = 0; i < order.size(); ++i) {
      auto v = d.get(map, order[i]);
      ASSERT_TRUE(v) << where << ": key #" << i;
      EXPECT_EQ(std::get<std::int64_t>(v->first.scalar()->content), static_cast<std::int64_t>(i))
          << where << ": key #" << i;
    }
    for (const auto& k : absent) EXPECT_FALSE(d.get(map, k)) << where << ": " << k.size();
    std::vector<std::string> sorted = keys;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::string> listed;
    for (std::string_view k : d.keys(map)) listed.emplace_back(k);
    EXPECT_EQ(listed, sorted) << where;
  };
  check(doc, "local");
  auto loaded = Document::load(doc.save());
  ASSERT_TRUE(loaded);
  check(*loaded, "loaded");
  Document replica(actor(2));
  ASSERT_TRUE(replica.merge(doc));
  check(replica, "replica");
}

// Two actors make objects with the same counter; lookups by id keep them apart however
// they alternate, and an id of an unknown actor finds nothing.
TEST(ReadPathTest, ObjectsWithEqualCountersFromTwoActorsStayApart) {
  Document a(actor(1));
  Document b(actor(2));
  std::vector<ObjId> made_a, made_b;
  for (int i = 0; i < 200; ++i) {
    std::string key = "k" + std::to_string(i);
    made_a.push_back(*a.put_object(ROOT, key, ObjType::Map));
    made_b.push_back(*b.put_object(ROOT, key, i % 2 ? ObjType::Map : ObjType::List));
    ASSERT_EQ(made_a.back().counter, made_b.back().counter);
    ASSERT_TRUE(a.put(made_a.back(), "who", "a"));
    // One op each side, so the counters stay in step.
    if (i % 2) {
      ASSERT_TRUE(b.put(made_b.back(), "who", "b"));
    } else {
      ASSERT_TRUE(b.insert(made_b.back(), 0, "b"));
    }
  }
  ASSERT_TRUE(a.merge(b));
  auto who = [&](const ObjId& id) {
    auto v = a.get(id, "who");
    return v ? std::get<std::string>(v->first.scalar()->content) : std::string("-");
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < 200; ++i) {
      EXPECT_EQ(who(made_a[i]), "a") << i;
      EXPECT_EQ(who(made_b[i]), i % 2 ? "b" : "-") << i;
      EXPECT_EQ(a.object_type(made_b[i]), i % 2 ? ObjType::Map : ObjType::List) << i;
      EXPECT_EQ(a.object_type(made_a[i]), ObjType::Map) << i;
      ObjId stranger{made_a[i].counter, actor(9)};
      EXPECT_FALSE(a.object_type(stranger)) << i;
      EXPECT_EQ(a.length(stranger), 0u) << i;
    }
  }
}

// Every visit must show what get shows for the same key or index, nested visits included.
void expect_visits_match_gets(const Document& doc, const ObjId& obj, int& objects_seen) {
  ++objects_seen;
  auto same = [&](const ValueView& view, const std::optional<ValueAndId>& got,
                  const std::string& where) {
    ASSERT_TRUE(got) << where;
    EXPECT_EQ(view.value(), got->first) << where;
    EXPECT_EQ(view.id(), got->second) << where;
    EXPECT_EQ(view.is_object(), got->first.is_object()) << where;
    EXPECT_EQ(view.object_type(), got->first.object_type()) << where;
    if (view.scalar()) {
      EXPECT_EQ(*view.scalar(), *got->first.scalar()) << where;
    }
    // Reading an object through the view it was met by equals reading it by id.
    EXPECT_EQ(doc.length(view), doc.length(view.id())) << where;
    EXPECT_EQ(doc.text(view), doc.text(view.id())) << where;
    // Copying the text into a string that holds something: replaced for a text, else untouched.
    std::string copied = "held before";
    EXPECT_EQ(doc.copy_text(view, copied), doc.text(view).has_value()) << where;
    EXPECT_EQ(copied, doc.text(view).value_or("held before")) << where;
    std::vector<std::pair<std::string, Value>> by_view, by_id;
    auto entries_into = [](auto& out) {
      return [&out](std::string_view key, const ValueView& v) { out.emplace_back(key, v.value()); };
    };
    auto elements_into = [](auto& out) {
      return [&out](std::size_t i, const ValueView& v) {
        out.emplace_back(std::to_string(i), v.value());
      };
    };
    doc.for_each_entry(view, entries_into(by_view));
    doc.for_each_element(view, elements_into(by_view));
    if (view.is_object()) {
      doc.for_each_entry(view.id(), entries_into(by_id));
      doc.for_each_element(view.id(), elements_into(by_id));
    }
    EXPECT_EQ(by_view, by_id) << where;
    if (view.object_type() == ObjType::Map) {
      for (const auto& [key, value] : by_view) {
        auto found = doc.lookup(view, key);
        ASSERT_TRUE(found) << where << " lookup " << key;
        EXPECT_EQ(found->value(), value) << where << " lookup " << key;
      }
    }
    EXPECT_FALSE(doc.lookup(view, "no such key")) << where;
    if (view.is_object()) expect_visits_match_gets(doc, view.id(), objects_seen);
  };
  auto type = doc.object_type(obj);
  ASSERT_TRUE(type);
  std::vector<std::string> visited_keys;
  std::size_t visited_elements = 0;
  doc.for_each_entry(obj, [&](std::string_view key, const ValueView& v) {
    visited_keys.emplace_back(key);
    same(v, doc.get(obj, key), obj.to_string() + " key " + std::string(key));
  });
  doc.for_each_element(obj, [&](std::size_t index, const ValueView& v) {
    EXPECT_EQ(index, visited_elements++);
    same(v, doc.get(obj, index), obj.to_string() + " index " + std::to_string(index));
  });
  // Reading ahead fetches, never changes what is visited.
  std::size_t read_ahead_elements = 0;
  doc.for_each_element(
      obj,
      [&](std::size_t index, const ValueView& v) {
        EXPECT_EQ(index, read_ahead_elements++);
        auto got = doc.get(obj, index);
        ASSERT_TRUE(got);
        EXPECT_EQ(v.value(), got->first);
        EXPECT_EQ(v.id(), got->second);
      },
      ReadAhead::Records);
  EXPECT_EQ(read_ahead_elements, visited_elements);
  if (*type == ObjType::Map) {
    std::vector<std::string> keys;
    for (std::string_view k : doc.keys(obj)) keys.emplace_back(k);
    EXPECT_EQ(visited_keys, keys);
    EXPECT_EQ(visited_elements, 0u);
  } else {
    EXPECT_TRUE(visited_keys.empty());
    EXPECT_EQ(visited_elements, doc.length(obj));
  }
}

// Two replicas edit maps, lists and texts concurrently (conflicting puts, overwritten and
// deleted elements, objects inside lists); after merging, one-pass visits agree with gets.
TEST(ReadPathTest, VisitsShowWhatGetsShow) {
  std::mt19937 rng(21);
  Document a(actor(1));
  ObjId map = *a.put_object(ROOT, "map", ObjType::Map);
  ObjId list = *a.put_object(ROOT, "list", ObjType::List);
  ObjId text = *a.put_object(ROOT, "text", ObjType::Text);
  ASSERT_TRUE(a.splice_text(text, 0, 0, "héllo wörld ✓"));
  for (int i = 0; i < 30; ++i) ASSERT_TRUE(a.insert(list, a.length(list), i));
  Document b(actor(2));
  ASSERT_TRUE(b.merge(a));
  auto edit = [&](Document& d, const std::string& who) {
    for (int e = 0; e < 60; ++e) {
      std::string key = "k" + std::to_string(rng() % 12);
      std::size_t n = d.length(list);
      switch (rng() % 8) {
        case 0:
          ASSERT_TRUE(d.put(map, key, who + std::to_string(e)));
          break;
        case 1:
          ASSERT_TRUE(d.remove(map, key));
          break;
        case 2: {
          ObjId child = *d.put_object(map, key, rng() % 2 ? ObjType::Map : ObjType::List);
          if (d.object_type(child) == ObjType::Map) {
            ASSERT_TRUE(d.put(child, "x", static_cast<std::int64_t>(e)));
          } else {
            ASSERT_TRUE(d.insert(child, 0, 1.5));
          }
          break;
        }
        case 3:
          ASSERT_TRUE(d.insert(list, rng() % (n + 1), who + std::to_string(e)));
          break;
        case 4:
          if (n) {
            ASSERT_TRUE(d.put(list, rng() % n, static_cast<std::uint64_t>(e)));
          }
          break;
        case 5:
          if (n) {
            ASSERT_TRUE(d.remove(list, rng() % n));
          }
          break;
        case 6: {
          ObjId inner = *d.insert_object(list, rng() % (n + 1), ObjType::Text);
          ASSERT_TRUE(d.splice_text(inner, 0, 0, who));
          break;
        }
        default: {
          std::size_t len = d.length(text);
          std::size_t pos = rng() % (len + 1);
          ASSERT_TRUE(d.splice_text(text, pos, std::min<std::size_t>(len - pos, rng() % 3), "é"));
          break;
        }
      }
    }
  };
  for (int round = 0; round < 5; ++round) {
    edit(a, "a");
    edit(b, "b");
    ASSERT_TRUE(a.merge(b));
    ASSERT_TRUE(b.merge(a));
  }
  ASSERT_FALSE(a.get_all(map, "k1").empty());
  int objects_seen = 0;
  expect_visits_match_gets(a, ROOT, objects_seen);
  EXPECT_GT(objects_seen, 10);
  auto loaded = Document::load(a.save());
  ASSERT_TRUE(loaded);
  int loaded_seen = 0;
  expect_visits_match_gets(*loaded, ROOT, loaded_seen);
  EXPECT_EQ(loaded_seen, objects_seen);
}

TEST(ReadPathTest, VisitsOfMissingObjectsOrWrongKindsCallNothing) {
  Document doc(actor(1));
  ObjId map = *doc.put_object(ROOT, "m", ObjType::Map);
  ObjId list = *doc.put_object(ROOT, "l", ObjType::List);
  ASSERT_TRUE(doc.put(map, "a", 1));
  ASSERT_TRUE(doc.insert(list, 0, 1));
  ObjId missing{999, actor(1)};
  ObjId stranger{map.counter, actor(7)};
  int calls = 0;
  auto count_entry = [&](std::string_view, const ValueView&) { ++calls; };
  auto count_element = [&](std::size_t, const ValueView&) { ++calls; };
  for (const ObjId& not_a_map : {list, missing, stranger})
    doc.for_each_entry(not_a_map, count_entry);
  for (const ObjId& not_a_seq : {map, ROOT, missing, stranger}) {
    doc.for_each_element(not_a_seq, count_element);
  }
  EXPECT_EQ(calls, 0);
  doc.for_each_entry(map, count_entry);
  doc.for_each_element(list, count_element);
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace crdt
