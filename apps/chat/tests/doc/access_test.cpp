#include "doc/access.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "doc_fixture.hpp"

namespace chat::doc {
namespace {

using testing::heads;
using testing::map_at;
using testing::put;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(DocGetI64, CoercesEveryNumericScalarAndRefusesTheRest) {
  struct Case {
    const char* what;
    crdt::ScalarValue stored;
    std::optional<std::int64_t> expected;
  };
  const std::vector<Case> cases = {
      {"signed", crdt::ScalarValue(std::int64_t{-42}), -42},
      {"unsigned max wraps", crdt::ScalarValue(std::numeric_limits<std::uint64_t>::max()), -1},
      {"unsigned above i64 max", crdt::ScalarValue(std::uint64_t{1} << 63), kMin},
      {"float truncates", crdt::ScalarValue(3.9), 3},
      {"negative float truncates toward zero", crdt::ScalarValue(-3.9), -3},
      {"NaN", crdt::ScalarValue(std::nan("")), 0},
      {"2^63 saturates", crdt::ScalarValue(9223372036854775808.0), kMax},
      {"infinity saturates", crdt::ScalarValue(std::numeric_limits<double>::infinity()), kMax},
      {"-2^63 is exact", crdt::ScalarValue(-9223372036854775808.0), kMin},
      {"below -2^63 saturates", crdt::ScalarValue(-1e300), kMin},
      {"counter", crdt::ScalarValue(crdt::Counter{7}), 7},
      {"timestamp", crdt::ScalarValue(crdt::Timestamp{1234}), 1234},
      {"numeric string", crdt::ScalarValue("12"), std::nullopt},
      {"boolean", crdt::ScalarValue(true), std::nullopt},
      {"null", crdt::ScalarValue(crdt::Null{}), std::nullopt},
      {"bytes", crdt::ScalarValue(crdt::Bytes{1, 2}), std::nullopt},
      {"unknown scalar", crdt::ScalarValue(crdt::UnknownScalar{99, {1}}), std::nullopt},
  };
  for (const Case& c : cases) {
    crdt::Document doc;
    put(doc, crdt::ROOT, "order", c.stored);
    EXPECT_EQ(doc_get_i64(doc, crdt::ROOT, "order"), c.expected) << c.what;
  }

  crdt::Document doc;
  (void)map_at(doc, {"order"});
  EXPECT_EQ(doc_get_i64(doc, crdt::ROOT, "order"), std::nullopt) << "an object";
  EXPECT_EQ(doc_get_i64(doc, crdt::ROOT, "missing"), std::nullopt) << "absent";
}

TEST(DocGet, EachReaderAnswersOnlyForItsOwnKind) {
  crdt::Document doc;
  put(doc, crdt::ROOT, "s", "plain");
  put(doc, crdt::ROOT, "b", false);
  crdt::ObjId text = ensure_text(doc, crdt::ROOT, "t");
  ASSERT_TRUE(doc.splice_text(text, 0, 0, "typed").ok());
  crdt::ObjId map = ensure_map(doc, crdt::ROOT, "m");
  crdt::ObjId list = ensure_list(doc, crdt::ROOT, "l");

  EXPECT_EQ(doc_get_string(doc, crdt::ROOT, "s"), "plain");
  EXPECT_EQ(doc_get_string(doc, crdt::ROOT, "t"), std::nullopt);
  EXPECT_EQ(doc_get_string(doc, crdt::ROOT, "b"), std::nullopt);

  EXPECT_EQ(doc_get_text(doc, crdt::ROOT, "t"), "typed");
  EXPECT_EQ(doc_get_text(doc, crdt::ROOT, "s"), std::nullopt);

  EXPECT_EQ(doc_get_bool(doc, crdt::ROOT, "b"), false);
  EXPECT_EQ(doc_get_bool(doc, crdt::ROOT, "s"), std::nullopt);
  EXPECT_EQ(doc_get_bool(doc, crdt::ROOT, "missing"), std::nullopt);

  EXPECT_EQ(get_map(doc, crdt::ROOT, "m"), map);
  EXPECT_EQ(get_map(doc, crdt::ROOT, "l"), std::nullopt);
  EXPECT_EQ(get_list(doc, crdt::ROOT, "l"), list);
  EXPECT_EQ(get_list(doc, crdt::ROOT, "m"), std::nullopt);

  auto scalar = doc_get(doc, crdt::ROOT, "s");
  ASSERT_TRUE(scalar.has_value());
  EXPECT_EQ(scalar->first, crdt::ScalarValue("plain"));
  EXPECT_EQ(doc_get(doc, crdt::ROOT, "m"), std::nullopt);

  // Reads under a parent of the wrong kind or a parent that does not exist fail softly.
  EXPECT_EQ(doc_get_string(doc, list, "s"), std::nullopt);
  EXPECT_EQ(doc_get_i64(doc, crdt::ObjId{999, doc.get_actor()}, "x"), std::nullopt);
}

TEST(Ensure, KeepsAnObjectOfTheRightKindAndReplacesAnythingElse) {
  crdt::Document doc;
  put(doc, crdt::ROOT, "entries", "not a list");
  crdt::ObjId list = ensure_list(doc, crdt::ROOT, "entries");
  EXPECT_EQ(doc.object_type(list), crdt::ObjType::List);
  EXPECT_EQ(doc.length(list), 0u);
  EXPECT_EQ(get_list(doc, crdt::ROOT, "entries"), list);

  ASSERT_TRUE(doc.insert(list, 0, "kept").ok());
  auto before = heads(doc);
  EXPECT_EQ(ensure_list(doc, crdt::ROOT, "entries"), list);
  EXPECT_EQ(heads(doc), before) << "an existing list is returned untouched";
  EXPECT_EQ(doc.length(list), 1u);

  crdt::ObjId text = ensure_text(doc, crdt::ROOT, "entries");
  EXPECT_NE(text, list);
  EXPECT_EQ(doc_get_text(doc, crdt::ROOT, "entries"), "");
  crdt::ObjId map = ensure_map(doc, crdt::ROOT, "entries");
  EXPECT_EQ(get_map(doc, crdt::ROOT, "entries"), map);
}

TEST(EnsureDeathTest, StopsWithItsTextWhenTheObjectCannotBeMade) {
  crdt::Document doc;
  crdt::ObjId list = ensure_list(doc, crdt::ROOT, "l");
  // A key under a list cannot be written: the only way to make creation fail.
  EXPECT_DEATH(ensure_map(doc, list, "k"), "put map");
  EXPECT_DEATH(ensure_list(doc, list, "k"), "put list");
  EXPECT_DEATH(ensure_text(doc, list, "k"), "put text");
}

TEST(BytePredicates, AnswerWhetherAnyByteFallsOutsideTheClass) {
  struct Case {
    std::string text;
    bool non_hex, non_id, non_token, non_digit;
  };
  const std::vector<Case> cases = {
      {"", false, false, false, false},
      {"0123456789", false, false, false, false},
      {"abcdefABCDEF", false, false, false, true},
      {"g", true, false, false, true},
      {"m_a-1", true, false, false, true},
      {"chat.call:c1", true, true, false, true},
      {"a b", true, true, true, true},
      {"caf\xC3\xA9", true, true, true, true},
      {std::string("a\0b", 3), true, true, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(has_non_hex_digit(c.text), c.non_hex) << c.text;
    EXPECT_EQ(has_non_id_char(c.text), c.non_id) << c.text;
    EXPECT_EQ(has_non_token_char(c.text), c.non_token) << c.text;
    EXPECT_EQ(has_non_digit(c.text), c.non_digit) << c.text;
  }
}

TEST(IdChecks, HexIdsAndLegacyStepKeysHaveExactLengths) {
  EXPECT_TRUE(is_hex_id(std::string(64, 'F')));
  EXPECT_TRUE(is_hex_id(std::string(32, 'a') + std::string(32, '9')));
  EXPECT_FALSE(is_hex_id(std::string(63, 'a')));
  EXPECT_FALSE(is_hex_id(std::string(65, 'a')));
  EXPECT_FALSE(is_hex_id(std::string(63, 'a') + "g"));

  EXPECT_TRUE(is_legacy_step_key("00000001"));
  EXPECT_FALSE(is_legacy_step_key("0000001"));
  EXPECT_FALSE(is_legacy_step_key("0000001a"));
  EXPECT_FALSE(is_legacy_step_key("000000001"));
  EXPECT_FALSE(is_legacy_step_key(""));
}

TEST(ValidDisplayName, CountsBytesAndRefusesControlCharacters) {
  std::string euro_255;  // 85 three-byte characters
  for (int i = 0; i < 85; ++i) euro_255 += "\xE2\x82\xAC";
  struct Case {
    std::string name;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"", false},
      {"a", true},
      {std::string(255, 'a'), true},
      {std::string(256, 'a'), false},
      {euro_255, true},
      {euro_255 + "a", false},
      {"tab\there", false},
      {"nel\xC2\x85here", false},  // U+0085
      {"del\x7Fhere", false},
      {"c1\xC2\x9F", false},     // U+009F, last C1 control
      {"nbsp\xC2\xA0ok", true},  // U+00A0 is printable
      {"caf\xC3\xA9.png", true},
  };
  for (const Case& c : cases) EXPECT_EQ(valid_display_name(c.name), c.valid) << c.name;
}

TEST(LegacyStepKeys, YieldsOnlyEightDigitKeysInKeyOrder) {
  crdt::Document doc;
  crdt::ObjId trace = map_at(doc, {"trace"});
  for (const char* key : {"00000002", "step", "1234567", "00000001", "0000000a", "99999999"}) {
    put(doc, trace, key, true);
  }
  std::vector<std::string> keys;
  for (std::string_view key : legacy_step_keys(doc, trace)) keys.emplace_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"00000001", "00000002", "99999999"}));

  crdt::ObjId empty = map_at(doc, {"empty"});
  EXPECT_EQ(legacy_step_keys(doc, empty).begin(), legacy_step_keys(doc, empty).end());
}

}  // namespace
}  // namespace chat::doc
