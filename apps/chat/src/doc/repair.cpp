#include "doc/repair.hpp"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "doc/access.hpp"

namespace chat::doc {

namespace {

constexpr std::size_t kMaxChannelKeys = 256;
constexpr std::size_t kMaxEntries = 256;
constexpr std::size_t kMaxRepairs = 32;
constexpr std::size_t kMaxPathBytes = 256;
constexpr std::string_view kDemoScheme = "vesk-demo://";

// Only a missing or empty "blob" string makes a candidate; anything else is left alone.
bool blob_missing_or_empty(const crdt::Document& doc, const crdt::ObjId& attachment) {
  auto found = doc.get(attachment, "blob");
  if (!found) return true;
  const crdt::ScalarValue* scalar = found->first.scalar();
  if (!scalar) return false;
  const auto* text = std::get_if<std::string>(&scalar->content);
  return text && text->empty();
}

std::optional<std::string> demo_path(const crdt::Document& doc, const crdt::ObjId& attachment) {
  auto path = doc_get_string(doc, attachment, "path");
  if (!path || path->size() > kMaxPathBytes) return std::nullopt;
  if (path->compare(0, kDemoScheme.size(), kDemoScheme) != 0) return std::nullopt;
  return path;
}

}  // namespace

void migrate_demo_attachment_paths(crdt::Document& doc) {
  auto messages = get_map(doc, crdt::ROOT, "messages");
  if (!messages) return;

  // Scan first: nothing is written while the key range is being walked.
  std::vector<std::pair<crdt::ObjId, std::string>> noted;
  std::size_t keys_seen = 0;
  std::size_t entries_seen = 0;
  for (std::string_view channel : doc.keys(*messages)) {
    if (keys_seen++ == kMaxChannelKeys) break;
    auto list = get_list(doc, *messages, channel);
    if (!list) continue;
    std::size_t length = doc.length(*list);
    for (std::size_t i = 0; i < length && entries_seen < kMaxEntries; ++i) {
      ++entries_seen;
      auto entry = doc.get(*list, i);
      if (!entry || entry->first.object_type() != crdt::ObjType::Map) continue;
      auto attachment = get_map(doc, entry->second, "attachment");
      if (!attachment || !blob_missing_or_empty(doc, *attachment)) continue;
      if (auto path = demo_path(doc, *attachment)) noted.emplace_back(*attachment, *path);
    }
    if (entries_seen >= kMaxEntries) break;
  }

  if (noted.size() > kMaxRepairs) noted.resize(kMaxRepairs);
  for (const auto& [attachment, path] : noted) {
    (void)doc.put(attachment, "blob", path);
    (void)doc.remove(attachment, "path");
  }
}

}  // namespace chat::doc
