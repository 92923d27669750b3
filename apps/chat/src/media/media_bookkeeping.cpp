#include <algorithm>

#include "media/media_backend.hpp"

namespace chat::media {

void MediaBookkeeping::publish(MediaKind kind) {
  if (std::find(published.begin(), published.end(), kind) == published.end()) {
    published.push_back(kind);
  }
}

void MediaBookkeeping::unpublish(MediaKind kind) {
  std::erase(published, kind);
}

void MediaBookkeeping::subscribe(std::string user_id, MediaKind kind) {
  const auto same = [&](const auto& entry) {
    return entry.first == user_id && entry.second == kind;
  };
  if (std::none_of(subscriptions.begin(), subscriptions.end(), same)) {
    subscriptions.emplace_back(std::move(user_id), kind);
  }
}

}  // namespace chat::media
