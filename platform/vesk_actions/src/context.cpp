#include "vesk_actions/context.hpp"

#include <algorithm>

namespace vesk_actions {

ActionContext ActionContext::enriched_by(const ActionContext& other) const {
  ActionContext merged = *this;
  if (merged.title.empty()) merged.title = other.title;
  if (!merged.application) merged.application = other.application;
  if (!merged.target) merged.target = other.target;
  for (const ActionTarget& extra : other.related) {
    if (std::find(merged.related.begin(), merged.related.end(), extra) == merged.related.end())
      merged.related.push_back(extra);
  }
  return merged;
}

}  // namespace vesk_actions
