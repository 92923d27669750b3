#pragma once

// A local request to the chat window: show something, or import a file as an attachment.
// Operations never enter the document; they travel as JSON text only.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "json/declare.hpp"

namespace chat::actions {

// The variants of ChatOperation.
namespace chat_operation {

struct OpenWorkspace {
  std::string workspace{};
  bool operator==(const OpenWorkspace&) const = default;
};
struct OpenChannel {
  std::string workspace{};
  std::string channel{};
  bool operator==(const OpenChannel&) const = default;
};
struct OpenCategory {
  std::string workspace{};
  std::string category{};
  bool operator==(const OpenCategory&) const = default;
};
// `parent` is the top-level message of the message's thread, none for a top-level one.
struct RevealMessage {
  std::string workspace{};
  std::string channel{};
  std::string message{};
  std::optional<std::string> parent{};
  bool operator==(const RevealMessage&) const = default;
};
struct OpenPerson {
  std::string user{};
  bool operator==(const OpenPerson&) const = default;
};
// `path` is a file-system path.
struct ImportAttachment {
  std::string channel{};
  std::string path{};
  bool operator==(const ImportAttachment&) const = default;
};

}  // namespace chat_operation

struct ChatOperation {
  using OpenWorkspace = chat_operation::OpenWorkspace;
  using OpenChannel = chat_operation::OpenChannel;
  using OpenCategory = chat_operation::OpenCategory;
  using RevealMessage = chat_operation::RevealMessage;
  using OpenPerson = chat_operation::OpenPerson;
  using ImportAttachment = chat_operation::ImportAttachment;

  std::variant<OpenWorkspace, OpenChannel, OpenCategory, RevealMessage, OpenPerson,
               ImportAttachment>
      value;
  bool operator==(const ChatOperation&) const = default;
};

// The action framework's class of an encoded operation, one byte beside it. The window knows
// Effect (attachment import) and View (navigation); 0 has no name and is executed by neither.
enum class OperationClass : std::uint8_t { Effect = 1, View = 2 };

}  // namespace chat::actions

JSON_DECLARE_TEXT_CODEC(chat::actions::ChatOperation);
