#pragma once
// The admission check of a sent message: a pure predicate over the document that protects the
// stored format from malformed ids, oversized texts, bad attachments and replies to replies.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "crdt/document.hpp"
#include "doc/message_records.hpp"

namespace chat::doc {

inline constexpr std::size_t kMaxMessageIdBytes = 128;
inline constexpr std::size_t kMaxMessageTextBytes = 65536;
inline constexpr std::uint32_t kMaxAttachmentDimension = 16384;
inline constexpr std::uint64_t kMaxAttachmentBytes = 33554432;  // 32 MiB

bool validate_send_message(const crdt::Document& doc, std::string_view channel, std::string_view id,
                           std::size_t text_bytes, const std::optional<std::string>& parent,
                           const std::optional<Attachment>& attachment);

}  // namespace chat::doc
