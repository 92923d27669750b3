#pragma once

// What a message carries besides its text: one attachment, mentions of people, one
// reference to a resource; and the kind of a conversation.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "json/declare.hpp"

namespace chat::actions {

// The variants of Attachment.
namespace attachment {

struct Image {
  std::string name{};
  std::string blob{};
  std::uint32_t w = 0;  // pixels
  std::uint32_t h = 0;
  bool operator==(const Image&) const = default;
};
struct Video {
  std::string name{};
  std::string blob{};
  std::uint32_t w = 0;
  std::uint32_t h = 0;
  std::uint64_t size = 0;  // bytes
  bool operator==(const Video&) const = default;
};
struct File {
  std::string name{};
  std::string blob{};
  std::uint64_t size = 0;
  bool operator==(const File&) const = default;
};

}  // namespace attachment

// A file whose bytes lie in the blob store under `blob`; `name` is its display name.
struct Attachment {
  using Image = attachment::Image;
  using Video = attachment::Video;
  using File = attachment::File;

  std::variant<Image, Video, File> value;
  bool operator==(const Attachment&) const = default;
};

// A mention of a person in a message text: `start` is the byte offset of the at sign and
// `len` the byte length of the mention, the at sign included.
struct Mention {
  std::string user{};
  std::uint64_t start = 0;
  std::uint64_t len = 0;
  bool is_agent = false;
  bool operator==(const Mention&) const = default;
};

enum class SpanUnit { Chars, Bytes };

// A stretch of text from start to end, counted as unit says.
struct Span {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
  SpanUnit unit = SpanUnit::Chars;
  bool operator==(const Span&) const = default;
};

// A message's reference to one resource of the action framework.
struct ResourceRef {
  std::string kind{};
  std::string id{};
  std::string label{};
  std::optional<Span> span{};
  bool operator==(const ResourceRef&) const = default;
};

enum class ChannelKind { Text, Voice };

}  // namespace chat::actions

JSON_DECLARE_CODEC(chat::actions::Attachment);
JSON_DECLARE_CODEC(chat::actions::Mention);
JSON_DECLARE_CODEC(chat::actions::SpanUnit);
JSON_DECLARE_CODEC(chat::actions::Span);
JSON_DECLARE_CODEC(chat::actions::ResourceRef);
JSON_DECLARE_CODEC(chat::actions::ChannelKind);
