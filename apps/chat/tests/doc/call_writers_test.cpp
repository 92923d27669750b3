#include "doc/call_writers.hpp"

#include <gtest/gtest.h>

#include "doc/readers.hpp"
#include "doc_fixture.hpp"

namespace chat::doc {
namespace {

using testing::has_key;
using testing::heads;
using testing::map_at;
using testing::put;

CallParticipant only_participant(const crdt::Document& doc) {
  auto list = list_call_participants(doc, "c_call");
  EXPECT_EQ(list.size(), 1u);
  return list.empty() ? CallParticipant{} : list[0];
}

TEST(JoinCall, CreatesAllFlagsFalseOnceAndKeepsStateOnRepeat) {
  crdt::Document doc;
  join_call(doc, "c_call", "u1");
  crdt::ObjId p = map_at(doc, {"voice", "c_call", "u1"});
  for (const char* flag : {"talking", "muted", "deafened", "audio_only", "sharing"}) {
    EXPECT_EQ(doc_get_bool(doc, p, flag), false) << flag;
  }
  EXPECT_FALSE(has_key(doc, p, "ticket"));

  set_call_state(doc, "c_call", "u1", false, true, false, false);
  auto before = heads(doc);
  join_call(doc, "c_call", "u1");
  EXPECT_EQ(heads(doc), before);
  EXPECT_TRUE(only_participant(doc).muted);
}

TEST(JoinCall, AnyValueUnderTalkingCountsAsPresent) {
  crdt::Document doc;
  put(doc, map_at(doc, {"voice", "c_call", "u1"}), "talking", "yes");
  auto before = heads(doc);
  join_call(doc, "c_call", "u1");
  EXPECT_EQ(heads(doc), before);
  EXPECT_FALSE(has_key(doc, map_at(doc, {"voice", "c_call", "u1"}), "muted"));
}

TEST(SetCallState, CreatesARecordWithoutSharingForSomeoneWhoNeverJoined) {
  crdt::Document doc;
  set_call_state(doc, "c_call", "u1", true, false, true, true);
  EXPECT_FALSE(has_key(doc, map_at(doc, {"voice", "c_call", "u1"}), "sharing"));
  EXPECT_EQ(only_participant(doc),
            (CallParticipant{"u1", std::nullopt, true, false, true, true, false}));

  auto before = heads(doc);
  set_call_state(doc, "c_call", "u1", true, false, true, true);
  EXPECT_NE(heads(doc), before) << "call state is written unconditionally";
}

TEST(SetScreenShareAndTicket, WriteOnlyWhatChanges) {
  crdt::Document doc;
  join_call(doc, "c_call", "u1");
  auto before = heads(doc);
  set_screen_share(doc, "c_call", "u1", false);
  set_call_ticket(doc, "c_call", "u1", "");
  EXPECT_EQ(heads(doc), before);
  EXPECT_FALSE(has_key(doc, map_at(doc, {"voice", "c_call", "u1"}), "ticket"));
  EXPECT_EQ(only_participant(doc).ticket, std::nullopt);

  set_screen_share(doc, "c_call", "u1", true);
  set_call_ticket(doc, "c_call", "u1", "ticket-1");
  before = heads(doc);
  set_screen_share(doc, "c_call", "u1", true);
  set_call_ticket(doc, "c_call", "u1", "ticket-1");
  EXPECT_EQ(heads(doc), before);
  EXPECT_EQ(only_participant(doc),
            (CallParticipant{"u1", "ticket-1", false, false, false, false, true}));

  set_call_ticket(doc, "c_call", "u1", "ticket-2");
  EXPECT_EQ(only_participant(doc).ticket, "ticket-2");
}

TEST(LeaveCall, RemovesTheRecordAndARejoinStartsClean) {
  crdt::Document doc;
  join_call(doc, "c_call", "u1");
  join_call(doc, "c_call", "u2");
  set_call_state(doc, "c_call", "u1", true, true, true, true);
  set_call_ticket(doc, "c_call", "u1", "t1");
  set_call_ticket(doc, "c_call", "u2", "t2");

  leave_call(doc, "c_call", "u1");
  auto list = list_call_participants(doc, "c_call");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].user, "u2");
  EXPECT_EQ(list[0].ticket, "t2");

  join_call(doc, "c_call", "u1");
  list = list_call_participants(doc, "c_call");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], (CallParticipant{"u1", std::nullopt, false, false, false, false, false}));

  auto before = heads(doc);
  leave_call(doc, "c_call", "u_absent");
  leave_call(doc, "c_missing", "u1");
  EXPECT_EQ(heads(doc), before);
  EXPECT_FALSE(has_key(doc, map_at(doc, {"voice"}), "c_missing"));
}

}  // namespace
}  // namespace chat::doc
