#include "actions/mention_candidates.hpp"

#include <algorithm>
#include <unordered_set>

namespace chat::actions {

std::vector<MentionCandidate> collect_mention_candidates(
    std::vector<MentionCandidate> workspace_people, std::vector<MentionCandidate> present_users) {
  std::vector<MentionCandidate> candidates = std::move(workspace_people);
  std::unordered_set<std::string> seen;
  for (const MentionCandidate& c : candidates) seen.insert(c.id);
  for (MentionCandidate& user : present_users) {
    if (!seen.insert(user.id).second) continue;
    user.is_agent = false;
    candidates.push_back(std::move(user));
  }
  // std::string's operator< compares bytes as unsigned char, so UTF-8 names sort byte-wise.
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const MentionCandidate& a, const MentionCandidate& b) {
                     return a.display_name < b.display_name;
                   });
  return candidates;
}

}  // namespace chat::actions
