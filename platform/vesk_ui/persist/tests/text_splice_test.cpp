#include "vesk_ui/text_splice.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace vesk_ui {
namespace {

crdt::ObjId text_with(crdt::Document& doc, std::string_view content) {
  crdt::ObjId text = doc.put_object(crdt::ROOT, "t", crdt::ObjType::Text).value();
  EXPECT_TRUE(doc.splice_text(text, 0, 0, content).ok());
  return text;
}

TEST(SpliceTextDiffed, LeavesExactlyTheGivenText) {
  struct Case {
    std::string old_text;
    std::string new_text;
  };
  const Case cases[] = {
      {"", "hello"},
      {"hello", ""},
      {"hello", "hello"},
      {"hello world", "hello there world"},
      {"hello world", "hello"},
      {"hello world", "world"},
      {"aaaa", "aa"},  // the common ends overlap
      {"abab", "ab"},
      {"añb", "aüb"},  // differ in the second byte of a two-byte character
      {"x👍🏽y", "x👍🏿y"},
      {"日本語", "日本"},
      {"naïve café", "naive cafe"},
      {"line\nnext", "line\n\nnext"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.old_text + " -> " + c.new_text);
    crdt::Document doc;
    const crdt::ObjId text = text_with(doc, c.old_text);
    doc.commit();
    ASSERT_TRUE(splice_text_diffed(doc, text, c.new_text).ok());
    EXPECT_EQ(doc.text(text), c.new_text);
    const auto code_points = std::count_if(c.new_text.begin(), c.new_text.end(),
                                           [](char b) { return (b & 0xc0) != 0x80; });
    EXPECT_EQ(doc.length(text), static_cast<std::size_t>(code_points));
    if (c.old_text == c.new_text) {
      EXPECT_EQ(doc.pending_ops(), 0u);
    }
  }
}

TEST(SpliceTextDiffed, ChangesOnlyTheDifferingStretch) {
  // Edits of two replicas at both ends of a text merge as long as each touches only its own
  // stretch; a replacement of the whole text would duplicate or lose one of them.
  struct Case {
    std::string base, left, right, merged;
  };
  const Case cases[] = {
      {"hello world", "jello world", "hello there", "jello there"},
      {"ñandú rápido", "Ñandú rápido", "ñandú lento", "Ñandú lento"},
      {"🙂 middle 🙂", "🙃 middle 🙂", "🙂 middle 🙃", "🙃 middle 🙃"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.base);
    crdt::Document left;
    const crdt::ObjId text = text_with(left, c.base);
    crdt::Document right = left.fork();
    ASSERT_TRUE(splice_text_diffed(left, text, c.left).ok());
    ASSERT_TRUE(splice_text_diffed(right, text, c.right).ok());
    ASSERT_TRUE(left.merge(right).ok());
    EXPECT_EQ(left.text(text), c.merged);
  }
}

TEST(SpliceTextDiffed, RefusesWhatItCannotStore) {
  crdt::Document doc;
  const crdt::ObjId text = text_with(doc, "keep");
  EXPECT_EQ(splice_text_diffed(doc, text, "ke\xff").error().code, crdt::ErrorCode::InvalidText);
  EXPECT_EQ(splice_text_diffed(doc, text, "ke\xed\xa0\x80").error().code,
            crdt::ErrorCode::InvalidText);  // a UTF-16 surrogate
  EXPECT_EQ(doc.text(text), "keep");
  const crdt::ObjId map = doc.put_object(crdt::ROOT, "m", crdt::ObjType::Map).value();
  EXPECT_FALSE(splice_text_diffed(doc, map, "x").ok());
}

}  // namespace
}  // namespace vesk_ui
