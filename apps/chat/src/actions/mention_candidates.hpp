#pragma once

// The people a message may mention, as the mention parser is offered them.

#include <string>
#include <string_view>
#include <vector>

namespace chat::actions {

struct MentionCandidate {
  std::string id{};
  std::string display_name{};  // the text that follows the at sign
  bool is_agent = false;
  bool operator==(const MentionCandidate&) const = default;
};

// The people of the current workspace in their order, then every present user that is not
// among them (never an agent), all stably sorted by display name, byte-wise.
std::vector<MentionCandidate> collect_mention_candidates(
    std::vector<MentionCandidate> workspace_people, std::vector<MentionCandidate> present_users);

// The same from the window's records: `people` are person records (`id`, `agent`), the keys of
// `presence_names` are the present users in the map's own order, `display_name` names an id.
template <typename People, typename PresenceNames, typename DisplayName>
std::vector<MentionCandidate> mention_candidates_from(const People& people,
                                                      const PresenceNames& presence_names,
                                                      const DisplayName& display_name) {
  std::vector<MentionCandidate> from_people;
  for (const auto& person : people) {
    from_people.push_back({std::string(person.id), std::string(display_name(person.id)),
                           static_cast<bool>(person.agent)});
  }
  std::vector<MentionCandidate> from_presence;
  for (const auto& entry : presence_names) {
    const auto& id = entry.first;
    from_presence.push_back({std::string(id), std::string(display_name(id)), false});
  }
  return collect_mention_candidates(std::move(from_people), std::move(from_presence));
}

}  // namespace chat::actions
