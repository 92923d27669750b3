#include "actions/mention_parser.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace chat::actions {
namespace {

const MentionCandidate kAnn{"u_ann", "Ann", false};
const MentionCandidate kAnnLee{"u_annlee", "Ann Lee", false};
const MentionCandidate kBot{"u_bot", "Helper", true};
const MentionCandidate kZoe{"u_zoe", "Zoë", false};
const MentionCandidate kIsa{"u_isa", "\u0130sa", false};  // capital I with dot: lower form grows

struct Case {
  const char* what;
  std::string text;
  std::vector<MentionCandidate> candidates;
  std::vector<Mention> expected;
};

std::string describe(const std::vector<Mention>& mentions) {
  std::string out;
  for (const Mention& m : mentions) {
    out += m.user + "@" + std::to_string(m.start) + "+" + std::to_string(m.len) +
           (m.is_agent ? "(agent) " : " ");
  }
  return out.empty() ? "none" : out;
}

TEST(MentionParser, FindsMentionsByTheRules) {
  const std::vector<Case> cases = {
      {"longest name wins, case-insensitive",
       "hi @ann lee!",
       {kAnn, kAnnLee},
       {{"u_annlee", 3, 8, false}}},
      {"a longer name rejected by the next letter falls back to a shorter one",
       "@Ann Leeway",
       {kAnnLee, kAnn},
       {{"u_ann", 0, 4, false}}},
      {"at sign inside a word", "mail@Ann", {kAnn}, {}},
      {"at sign after a multi-byte letter", "\u00e9@Ann", {kAnn}, {}},
      {"name continued by an ASCII letter", "@Annabel", {kAnn}, {}},
      {"name continued by an ASCII digit", "@Ann2", {kAnn}, {}},
      {"name continued by a Unicode letter", "@Ann\u00e4", {kAnn}, {}},
      {"name continued by an Arabic-Indic digit", "@Ann\u0663", {kAnn}, {}},
      {"name continued by a Roman numeral", "@Ann\u216B", {kAnn}, {}},
      {"name continued by a superscript two", "@Ann\u00B2", {kAnn}, {}},
      {"comma ends a mention", "@Ann, hi", {kAnn}, {{"u_ann", 0, 4, false}}},
      {"underscore ends a mention", "@Ann_x", {kAnn}, {{"u_ann", 0, 4, false}}},
      {"hyphen ends a mention", "@Ann-x", {kAnn}, {{"u_ann", 0, 4, false}}},
      {"emoji ends a mention", "@Ann\U0001F642", {kAnn}, {{"u_ann", 0, 4, false}}},
      {"Kelvin sign makes matching case-sensitive", "\u212A @ann", {kAnn}, {}},
      {"case-sensitive matching still finds the exact name",
       "\u212A @Ann",
       {kAnn},
       {{"u_ann", 4, 4, false}}},
      {"a name whose lower form shrinks is skipped when folding",
       "hi @kim",
       {{"u_kim", "\u212Aim", false}},
       {}},
      {"characters that grow and shrink by the same amount still make matching exact",
       "\u0130\u0130 @Ann \u212A",
       {kAnn},
       {{"u_ann", 5, 4, false}}},
      {"and matched as written when the text is case-sensitive",
       "@\u0130sa",
       {kIsa},
       {{"u_isa", 0, 5, false}}},
      {"double at sign", "@@Ann", {kAnn}, {}},
      {"offsets are bytes of the given text", "\u00e9 @Ann", {kAnn}, {{"u_ann", 3, 4, false}}},
      {"multi-byte name, other case", "hey @ZO\u00cb.", {kZoe}, {{"u_zoe", 4, 5, false}}},
      {"no-break space before the at sign", "hi\u00a0@Ann", {kAnn}, {{"u_ann", 4, 4, false}}},
      {"ideographic space before the at sign", "\u3000@Ann", {kAnn}, {{"u_ann", 3, 4, false}}},
      {"newline before the at sign", "x\n@Ann", {kAnn}, {{"u_ann", 2, 4, false}}},
      {"agents keep their flag; mentions in text order",
       "@Helper ask @Ann now",
       {kAnn, kBot},
       {{"u_bot", 0, 7, true}, {"u_ann", 12, 4, false}}},
      {"the scan resumes after a mention",
       "@Ann@Ann @Ann",
       {kAnn},
       {{"u_ann", 0, 4, false}, {"u_ann", 9, 4, false}}},
      {"an at sign inside a matched name starts nothing",
       "@Ann @home",
       {{"u_home", "home", false}, {"u_annhome", "Ann @home", false}},
       {{"u_annhome", 0, 10, false}}},
      {"an empty name never matches", "@ x", {{"u_empty", "", false}}, {}},
      {"equal lengths keep the given order",
       "@Sam",
       {{"u_first", "Sam", false}, {"u_second", "sam", false}},
       {{"u_first", 0, 4, false}}},
      {"no candidates", "@Ann", {}, {}},
      {"no at sign", "Ann Lee", {kAnn, kAnnLee}, {}},
      {"at sign at the very end", "hi @", {kAnn}, {}},
      {"invalid byte before the at sign", "\xff@Ann", {kAnn}, {}},
      {"invalid byte elsewhere does not hide a mention",
       "\xff @Ann",
       {kAnn},
       {{"u_ann", 2, 4, false}}},
      {"a name cut inside a character", "@Ann\xc3\xa9", {{"u_cut", "Ann\xc3", false}}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(describe(extract_mentions(c.text, c.candidates)), describe(c.expected)) << c.what;
  }
}

TEST(MentionParser, LeavesItsInputsAlone) {
  const std::vector<MentionCandidate> candidates = {kAnn, kAnnLee, kBot};
  const std::string text = "@ANN LEE and @helper";
  const std::vector<Mention> mentions = extract_mentions(text, candidates);
  EXPECT_EQ(candidates, (std::vector<MentionCandidate>{kAnn, kAnnLee, kBot}));
  EXPECT_EQ(text, "@ANN LEE and @helper");
  ASSERT_EQ(mentions.size(), 2u);
  // The mention spans the text as written, whatever its case.
  EXPECT_EQ(text.substr(mentions[0].start, mentions[0].len), "@ANN LEE");
  EXPECT_EQ(text.substr(mentions[1].start, mentions[1].len), "@helper");
}

}  // namespace
}  // namespace chat::actions
