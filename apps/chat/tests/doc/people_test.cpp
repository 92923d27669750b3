#include "doc/people.hpp"

#include <gtest/gtest.h>

#include "doc/readers.hpp"
#include "doc_fixture.hpp"

namespace chat::doc {
namespace {

using testing::has_key;
using testing::heads;
using testing::map_at;
using testing::put;

TEST(PutPerson, WritesOnlyTheFieldsThatDiffer) {
  crdt::Document doc;
  EXPECT_TRUE(put_person(doc, "u_a", "Ann", "AN", 3, PresenceStatus::Idle));
  EXPECT_EQ(list_people(doc),
            (std::vector<Person>{{"u_a", "Ann", "AN", 3, false, PresenceStatus::Idle}}));

  auto before = heads(doc);
  EXPECT_FALSE(put_person(doc, "u_a", "Ann", "AN", 3, PresenceStatus::Idle));
  EXPECT_EQ(heads(doc), before);

  // Only the status changed: one put, and the answer says something was written.
  EXPECT_TRUE(put_person(doc, "u_a", "Ann", "AN", 3, PresenceStatus::Offline));
  auto changes = doc.get_changes(before);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].op_count(), 1u);
  EXPECT_EQ(list_people(doc)[0].status, PresenceStatus::Offline);
}

TEST(PutPerson, ANewRecordLeavesOutValuesThatReadAsTheDefault) {
  crdt::Document doc;
  EXPECT_TRUE(put_person(doc, "u_new", "", "NN", 0, PresenceStatus::Online));
  crdt::ObjId p = map_at(doc, {"users", "u_new"});
  EXPECT_FALSE(has_key(doc, p, "name"));
  EXPECT_FALSE(has_key(doc, p, "color_idx"));
  EXPECT_EQ(doc_get_string(doc, p, "status"), "online");
  EXPECT_FALSE(has_key(doc, p, "agent"));
}

TEST(PutPerson, ReplacesAStoredValueOfAnotherKind) {
  crdt::Document doc;
  crdt::ObjId p = map_at(doc, {"users", "u_a"});
  put(doc, p, "color_idx", 2.0);         // reads as 2: equal, not rewritten
  put(doc, p, "name", std::int64_t{5});  // reads as empty: rewritten
  EXPECT_TRUE(put_person(doc, "u_a", "Ann", "", 2, PresenceStatus::Online));
  EXPECT_EQ(doc_get(doc, p, "color_idx")->first, crdt::ScalarValue(2.0));
  EXPECT_EQ(doc_get_string(doc, p, "name"), "Ann");
}

TEST(SeedPerson, WritesEveryFieldEvenWhenEqual) {
  crdt::Document doc;
  seed_person(doc, "u_a", "", "", 0, PresenceStatus::Dnd);
  crdt::ObjId p = map_at(doc, {"users", "u_a"});
  EXPECT_EQ(doc_get_string(doc, p, "name"), "");
  EXPECT_EQ(doc_get_i64(doc, p, "color_idx"), 0);
  EXPECT_EQ(doc_get_string(doc, p, "status"), "dnd");
  auto before = heads(doc);
  seed_person(doc, "u_a", "", "", 0, PresenceStatus::Dnd);
  EXPECT_NE(heads(doc), before);
}

TEST(Drafts, ReadWriteAndClearThroughOneTextObject) {
  crdt::Document doc;
  EXPECT_EQ(draft_text(doc, "c1"), "");
  EXPECT_FALSE(has_key(doc, crdt::ROOT, "drafts")) << "reading creates nothing";

  set_draft_text(doc, "c1", "hello w\xC3\xB6rld");
  EXPECT_EQ(draft_text(doc, "c1"), "hello w\xC3\xB6rld");
  crdt::ObjId text = draft_text_object(doc, "c1");
  set_draft_text(doc, "c1", "hello there");
  EXPECT_EQ(draft_text(doc, "c1"), "hello there");
  EXPECT_EQ(draft_text_object(doc, "c1"), text) << "edited in place, not replaced";

  auto before = heads(doc);
  set_draft_text(doc, "c1", "hello there");
  EXPECT_EQ(heads(doc), before);

  clear_draft(doc, "c1");
  EXPECT_EQ(draft_text(doc, "c1"), "");
  EXPECT_EQ(draft_text_object(doc, "c1"), text);
}

TEST(Drafts, AScalarUnderTheKeyReadsEmptyAndIsReplacedByText) {
  crdt::Document doc;
  put(doc, map_at(doc, {"drafts"}), "c1", "typed long ago");
  EXPECT_EQ(draft_text(doc, "c1"), "");
  set_draft_text(doc, "c1", "new");
  EXPECT_EQ(doc_get_text(doc, map_at(doc, {"drafts"}), "c1"), "new");
}

TEST(Drafts, ClearingAMissingDraftLeavesAnEmptyTextObject) {
  crdt::Document doc;
  clear_draft(doc, "c1::t::m_top");
  crdt::ObjId drafts = map_at(doc, {"drafts"});
  EXPECT_EQ(doc_get_text(doc, drafts, "c1::t::m_top"), "");
}

}  // namespace
}  // namespace chat::doc
