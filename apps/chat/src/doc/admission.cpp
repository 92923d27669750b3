#include "doc/admission.hpp"

#include <variant>

#include "doc/access.hpp"
#include "doc/message_writers.hpp"

namespace chat::doc {

namespace {

bool in_range(std::uint64_t value, std::uint64_t low, std::uint64_t high) {
  return value >= low && value <= high;
}

bool attachment_admissible(const Attachment& attachment) {
  return std::visit(
      [](const auto& a) {
        using T = std::decay_t<decltype(a)>;
        if (!valid_display_name(a.name) || !is_hex_id(a.blob)) return false;
        if constexpr (std::is_same_v<T, Attachment::Image>) {
          return in_range(a.w, 1, kMaxAttachmentDimension) &&
                 in_range(a.h, 1, kMaxAttachmentDimension);
        } else if constexpr (std::is_same_v<T, Attachment::Video>) {
          return in_range(a.size, 1, kMaxAttachmentBytes) && a.w <= kMaxAttachmentDimension &&
                 a.h <= kMaxAttachmentDimension;
        } else {
          return in_range(a.size, 1, kMaxAttachmentBytes);
        }
      },
      attachment.value);
}

}  // namespace

bool validate_send_message(const crdt::Document& doc, std::string_view channel, std::string_view id,
                           std::size_t text_bytes, const std::optional<std::string>& parent,
                           const std::optional<Attachment>& attachment) {
  auto channels = get_map(doc, crdt::ROOT, "channels");
  if (!channels || !get_map(doc, *channels, channel)) return false;
  if (id.empty() || id.size() > kMaxMessageIdBytes) return false;
  if (has_non_id_char(id)) return false;
  if (message_id_exists(doc, id)) return false;
  if (text_bytes > kMaxMessageTextBytes) return false;
  if (attachment && !attachment_admissible(*attachment)) return false;
  if (parent && !parent->empty()) {
    // Threads stay one level deep; a parent elsewhere or nowhere is let through.
    if (auto found = find_message_obj(doc, channel, *parent)) {
      if (!string_or_empty(doc, *found, "parent").empty()) return false;
    }
  }
  return true;
}

}  // namespace chat::doc
