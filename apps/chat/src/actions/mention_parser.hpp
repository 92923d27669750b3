#pragma once

// Finds the mentions of people and agents in a message text.

#include <span>
#include <string_view>
#include <vector>

#include "actions/mention_candidates.hpp"
#include "actions/payload.hpp"

namespace chat::actions {

// Every "@name" of a candidate in `text`, in text order, with byte offsets into `text`. An at
// sign counts at the start of the text or after white space; the name must not run on into a
// letter or digit. Longer names win over their prefixes; names match case-insensitively unless
// lower-casing would move the text's bytes.
std::vector<Mention> extract_mentions(std::string_view text,
                                      std::span<const MentionCandidate> candidates);

}  // namespace chat::actions
