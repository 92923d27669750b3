#include "actions/mention_candidates.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace chat::actions {
namespace {

// Just the two fields of a person record the candidate list reads.
struct PersonRecord {
  std::string id;
  bool agent = false;
};

using PresenceNames = std::vector<std::pair<std::string, std::string>>;

std::vector<MentionCandidate> candidates_of(const std::vector<PersonRecord>& people,
                                            const PresenceNames& presence,
                                            const std::map<std::string, std::string>& names) {
  return mention_candidates_from(people, presence, [&](const std::string& id) {
    const auto it = names.find(id);
    return it == names.end() ? id : it->second;
  });
}

TEST(MentionCandidates, PeopleThenPresentUsersEachOnceSortedByName) {
  const std::map<std::string, std::string> names = {{"u_ann", "Ann"},
                                                    {"u_bot", "Zed bot"},
                                                    {"u_eve", "eve"},
                                                    {"u_emile", "\u00c9mile"},
                                                    {"u_guest", "Guest"}};
  const std::vector<MentionCandidate> got = candidates_of(
      {{"u_ann", false}, {"u_bot", true}, {"u_eve", false}},
      {{"u_emile", "x"}, {"u_bot", "x"}, {"u_guest", "x"}, {"u_nameless", "x"}}, names);
  // Byte-wise: capitals before small letters, a two-byte É after every ASCII letter; the agent
  // that is also present appears once and stays an agent.
  const std::vector<MentionCandidate> expected = {{"u_ann", "Ann", false},
                                                  {"u_guest", "Guest", false},
                                                  {"u_bot", "Zed bot", true},
                                                  {"u_eve", "eve", false},
                                                  {"u_nameless", "u_nameless", false},
                                                  {"u_emile", "\u00c9mile", false}};
  EXPECT_EQ(got, expected);
}

TEST(MentionCandidates, EqualNamesKeepTheOrderTheyWereFoundIn) {
  const std::map<std::string, std::string> names = {
      {"u_b", "Sam"}, {"u_a", "Sam"}, {"u_p2", "Sam"}, {"u_p1", "Sam"}, {"u_x", "Al"}};
  const std::vector<MentionCandidate> got = candidates_of(
      {{"u_b", false}, {"u_a", true}}, {{"u_p2", "Sam"}, {"u_x", "Al"}, {"u_p1", "Sam"}}, names);
  const std::vector<MentionCandidate> expected = {{"u_x", "Al", false},
                                                  {"u_b", "Sam", false},
                                                  {"u_a", "Sam", true},
                                                  {"u_p2", "Sam", false},
                                                  {"u_p1", "Sam", false}};
  EXPECT_EQ(got, expected);
}

TEST(MentionCandidates, PresentUsersAreNeverAgents) {
  std::vector<MentionCandidate> present = {{"u_p", "Pat", true}};
  EXPECT_EQ(collect_mention_candidates({}, std::move(present)),
            (std::vector<MentionCandidate>{{"u_p", "Pat", false}}));
  EXPECT_TRUE(collect_mention_candidates({}, {}).empty());
}

}  // namespace
}  // namespace chat::actions
