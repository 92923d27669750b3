#include "doc/seeds.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "doc/message_readers.hpp"
#include "doc/readers.hpp"
#include "doc_fixture.hpp"

namespace chat::doc {
namespace {

using testing::heads;
using testing::map_at;
using testing::put;

std::vector<std::string> ids_of(const auto& records) {
  std::vector<std::string> out;
  for (const auto& r : records) out.push_back(r.id);
  return out;
}

TEST(Seeds, RunOnceAndNeverBoth) {
  struct Case {
    const char* what;
    void (*first)(crdt::Document&);
    void (*second)(crdt::Document&);
  };
  auto first_run = [](crdt::Document& d) { seed_default_workspace(d, "u_local", "Me", "ME"); };
  auto demo = [](crdt::Document& d) { seed_demo_content(d); };
  const std::vector<Case> cases = {
      {"first run, then demo", first_run, demo},
      {"demo, then first run", demo, first_run},
      {"first run twice", first_run, first_run},
      {"demo twice", demo, demo},
  };
  for (const Case& c : cases) {
    crdt::Document doc;
    EXPECT_FALSE(is_seeded(doc));
    c.first(doc);
    EXPECT_TRUE(is_seeded(doc)) << c.what;
    auto before = heads(doc);
    c.second(doc);
    EXPECT_EQ(heads(doc), before) << c.what;
  }

  // A seeded flag on an otherwise empty document stops both.
  crdt::Document flagged;
  put(flagged, crdt::ROOT, "seeded", true);
  auto before = heads(flagged);
  seed_default_workspace(flagged, "u_local", "Me", "ME");
  seed_demo_content(flagged);
  EXPECT_EQ(heads(flagged), before);
  EXPECT_TRUE(list_channels(flagged).empty());

  crdt::Document not_flagged;
  put(not_flagged, crdt::ROOT, "seeded", "true");  // not a flag: reads as not seeded
  EXPECT_FALSE(is_seeded(not_flagged));
  seed_demo_content(not_flagged);
  EXPECT_TRUE(is_seeded(not_flagged));
}

TEST(SeedDefaultWorkspace, WritesOneWorkspaceWithATextAndAVoiceChannel) {
  crdt::Document doc;
  seed_default_workspace(doc, "u_local", "Me", "ME");
  EXPECT_EQ(list_people(doc),
            (std::vector<Person>{{"u_local", "Me", "ME", 0, false, PresenceStatus::Online}}));
  EXPECT_EQ(list_workspaces(doc),
            (std::vector<Workspace>{{"ws_home", "My Workspace", "MW", 0, 0}}));
  EXPECT_EQ(list_categories(doc),
            (std::vector<Category>{{"cat_home_text", "ws_home", "Channels", 0, false},
                                   {"cat_home_voice", "ws_home", "Voice", 1, false}}));
  auto channels = list_channels(doc);
  ASSERT_EQ(ids_of(channels), (std::vector<std::string>{"c_general", "c_lounge"}));
  EXPECT_EQ(channels[1], (Channel{"c_lounge", "ws_home", "cat_home_voice", "Lounge", "",
                                  ChannelKind::Voice, 0, 0, false}));
  auto lounge = get_map(doc, *get_map(doc, crdt::ROOT, "voice"), "c_lounge");
  ASSERT_TRUE(lounge.has_value());
  EXPECT_EQ(doc.length(*lounge), 0u);
}

TEST(SeedDemoContent, PeopleWorkspacesAndChannels) {
  crdt::Document doc;
  seed_demo_content(doc);

  auto people = list_people(doc);
  ASSERT_EQ(people.size(), 6u);
  std::vector<std::pair<std::int64_t, PresenceStatus>> looks;
  for (const Person& p : people) {
    EXPECT_EQ(p.id.rfind("u_", 0), 0u) << p.id;
    EXPECT_EQ(p.initials.size(), 2u) << p.id;
    EXPECT_TRUE(std::all_of(p.initials.begin(), p.initials.end(), [](char c) {
      return c >= 'A' && c <= 'Z';
    })) << p.initials;
    looks.emplace_back(p.color_idx, p.status);
  }
  std::sort(looks.begin(), looks.end());
  using S = PresenceStatus;
  EXPECT_EQ(looks, (std::vector<std::pair<std::int64_t, S>>{{0, S::Online},
                                                            {1, S::Online},
                                                            {2, S::Idle},
                                                            {3, S::Online},
                                                            {5, S::Dnd},
                                                            {6, S::Offline}}));
  LocalPerson me = demo_local_person();
  EXPECT_EQ(me.id, "u_me");
  EXPECT_EQ(me.name, "You");
  EXPECT_EQ(me.color_idx, 0u);
  auto stored_me =
      std::find_if(people.begin(), people.end(), [](const Person& p) { return p.id == "u_me"; });
  ASSERT_NE(stored_me, people.end());
  EXPECT_EQ(stored_me->initials, me.initials);

  EXPECT_EQ(list_workspaces(doc), (std::vector<Workspace>{{"ws_acme", "Acme Design", "AD", 0, 0},
                                                          {"ws_vesk", "Vesk Core", "VC", 1, 1},
                                                          {"ws_jam", "Weekend Jam", "WJ", 3, 2}}));
  EXPECT_EQ(list_categories(doc).size(), 5u);

  auto channels = list_channels(doc);
  EXPECT_EQ(channels.size(), 13u);
  auto crit = std::find_if(channels.begin(), channels.end(),
                           [](const Channel& c) { return c.id == "c_crit"; });
  ASSERT_NE(crit, channels.end());
  EXPECT_EQ(*crit, (Channel{"c_crit", "ws_acme", "cat_acme_main", "design-crit",
                            "Share work, get sharp feedback", ChannelKind::Text, 1, 0, false}));
  auto voice = get_map(doc, crdt::ROOT, "voice");
  ASSERT_TRUE(voice.has_value());
  std::vector<std::string> calls;
  for (std::string_view k : doc.keys(*voice)) calls.emplace_back(k);
  EXPECT_EQ(calls, (std::vector<std::string>{"c_huddle", "c_standup", "c_warroom"}));
}

TEST(SeedDemoContent, HuddleCallAndMessages) {
  crdt::Document doc;
  seed_demo_content(doc);

  auto huddle = list_call_participants(doc, "c_huddle");
  ASSERT_EQ(huddle.size(), 3u);
  EXPECT_TRUE(huddle[0].talking);
  EXPECT_FALSE(huddle[0].muted || huddle[0].audio_only);
  EXPECT_TRUE(huddle[1].muted && !huddle[1].talking && !huddle[1].audio_only);
  EXPECT_TRUE(huddle[2].audio_only && !huddle[2].talking && !huddle[2].muted);
  EXPECT_LT(huddle[1].user, huddle[2].user);
  for (const CallParticipant& p : huddle) EXPECT_EQ(p.ticket, std::nullopt);

  auto crit = load_messages(doc, "c_crit");
  ASSERT_EQ(crit.size(), 11u);
  EXPECT_EQ(top_level_message_count(doc, "c_crit"), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(crit[i].parent, std::nullopt) << i;
  for (int i = 8; i < 11; ++i) {
    EXPECT_EQ(crit[i].parent, "m_concept") << i;
    EXPECT_EQ(crit[i].id.size(), 34u);
  }
  EXPECT_EQ(crit[0].id, "m_open");
  EXPECT_EQ(crit[1].id, "m_concept");
  EXPECT_EQ(crit[2].id, "m_me1");
  EXPECT_EQ(crit[5].id, "m_clip");
  EXPECT_EQ(crit[7].id, "m_me2");
  EXPECT_EQ(crit[2].author, "u_me");
  EXPECT_EQ(crit[0].author, crit[1].author);
  EXPECT_EQ(crit[0].ts, 1782471840);
  EXPECT_EQ(crit[10].ts, 1782472200);

  // m_concept: the heart group (three users) outranks the fire (one).
  ASSERT_EQ(crit[1].reactions.size(), 2u);
  EXPECT_EQ(crit[1].reactions[0].emoji, "\u2764\uFE0F");
  EXPECT_EQ(crit[1].reactions[0].users.size(), 3u);
  EXPECT_EQ(crit[1].reactions[0].users[0], "u_me");
  EXPECT_EQ(crit[1].reactions[1].emoji, "\U0001F525");

  using Image = Attachment::Image;
  using Video = Attachment::Video;
  using File = Attachment::File;
  EXPECT_EQ(crit[1].attachment,
            (Attachment{Image{"call-overlay-v3.png", "vesk-demo://call-grid", 640, 360}}));
  EXPECT_EQ(crit[4].attachment,
            (Attachment{File{"moq-over-iroh.md", "demo:moq-over-iroh", 18944}}));
  EXPECT_EQ(crit[5].attachment,
            (Attachment{Video{"tile-promotion.webm", "demo:tile-promotion", 1280, 720, 6815744}}));
  for (int i : {0, 2, 3, 6, 7, 8, 9, 10}) EXPECT_EQ(crit[i].attachment, std::nullopt) << i;

  const ChatMessage& stage = crit[6];
  EXPECT_TRUE(stage.edited);
  ASSERT_EQ(stage.history.size(), 1u);
  EXPECT_EQ(stage.history[0].ts, 1782475020);
  EXPECT_EQ(stage.reactions.size(), 2u);
  EXPECT_EQ(stage.reactions[0].users.size(), 4u);
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(crit[i].edited, i == 6) << i;
    EXPECT_TRUE(crit[i].mentions.empty());
    EXPECT_FALSE(crit[i].reference || crit[i].work || crit[i].pinned);
  }

  auto general = load_messages(doc, "c_general");
  ASSERT_EQ(general.size(), 1u);
  EXPECT_EQ(general[0].ts, 1782464400);
  ASSERT_EQ(general[0].reactions.size(), 1u);
  EXPECT_EQ(general[0].reactions[0].emoji, "\U0001F44B");
  EXPECT_EQ(general[0].reactions[0].users.size(), 3u);
}

}  // namespace
}  // namespace chat::doc
