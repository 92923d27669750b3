#pragma once

// One replicated change to the chat document. The order of the variants is fixed: it is
// the variant index, and the order in which decoding errors list the names.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "actions/agent_work.hpp"
#include "actions/payload.hpp"
#include "json/declare.hpp"

namespace chat::actions {

// The variants of ChatAction.
namespace chat_action {

// `parent` is the top-level message of the thread replied in; `mentions` are positions
// in `text`.
struct SendMessage {
  std::string channel{};
  std::string id{};
  std::string author{};
  std::int64_t ts = 0;  // whole seconds since the Unix epoch
  std::string text{};
  std::optional<std::string> parent{};
  std::optional<Attachment> attachment{};
  std::vector<Mention> mentions{};
  std::optional<ResourceRef> reference{};
  bool operator==(const SendMessage&) const = default;
};
// `ts` is the time of the edit, kept with the previous text in the history.
struct EditMessage {
  std::string channel{};
  std::string id{};
  std::string text{};
  std::int64_t ts = 0;
  bool operator==(const EditMessage&) const = default;
};
struct DeleteMessage {
  std::string channel{};
  std::string id{};
  bool operator==(const DeleteMessage&) const = default;
};
struct AddReaction {
  std::string channel{};
  std::string msg{};
  std::string emoji{};
  std::string user{};
  bool operator==(const AddReaction&) const = default;
};
struct RemoveReaction {
  std::string channel{};
  std::string msg{};
  std::string emoji{};
  std::string user{};
  bool operator==(const RemoveReaction&) const = default;
};
struct PinMessage {
  std::string channel{};
  std::string msg{};
  bool pinned = false;
  bool operator==(const PinMessage&) const = default;
};
// An empty `category` places the conversation under no category.
struct CreateChannel {
  std::string workspace{};
  std::string category{};
  std::string id{};
  std::string name{};
  ChannelKind kind = ChannelKind::Text;
  bool operator==(const CreateChannel&) const = default;
};
struct CreateCategory {
  std::string workspace{};
  std::string id{};
  std::string name{};
  bool operator==(const CreateCategory&) const = default;
};
struct RenameCategory {
  std::string id{};
  std::string name{};
  bool operator==(const RenameCategory&) const = default;
};
struct DeleteCategory {
  std::string id{};
  bool operator==(const DeleteCategory&) const = default;
};
struct SetCategoryCollapsed {
  std::string id{};
  bool collapsed = false;
  bool operator==(const SetCategoryCollapsed&) const = default;
};
// Moves the conversation one place up (true) or down among its neighbours.
struct ReorderChannel {
  std::string id{};
  bool up = false;
  bool operator==(const ReorderChannel&) const = default;
};
struct RenameChannel {
  std::string id{};
  std::string name{};
  bool operator==(const RenameChannel&) const = default;
};
struct DeleteChannel {
  std::string id{};
  bool operator==(const DeleteChannel&) const = default;
};
struct ArchiveChannel {
  std::string id{};
  bool archived = false;
  bool operator==(const ArchiveChannel&) const = default;
};
// `user` has read `count` top-level messages of `channel`.
struct MarkRead {
  std::string channel{};
  std::string user{};
  std::int64_t count = 0;
  bool operator==(const MarkRead&) const = default;
};
// `say` is a text for the message, used only while the message has none.
struct SetAgentWork {
  std::string channel{};
  std::string msg{};
  AgentWork work{};
  std::optional<std::string> say{};
  bool operator==(const SetAgentWork&) const = default;
};
struct JoinCall {
  std::string channel{};
  std::string user{};
  bool operator==(const JoinCall&) const = default;
};
struct LeaveCall {
  std::string channel{};
  std::string user{};
  bool operator==(const LeaveCall&) const = default;
};
struct SetCallState {
  std::string channel{};
  std::string user{};
  bool talking = false;
  bool muted = false;
  bool deafened = false;
  bool audio_only = false;
  bool operator==(const SetCallState&) const = default;
};
struct SetScreenShare {
  std::string channel{};
  std::string user{};
  bool sharing = false;
  bool operator==(const SetScreenShare&) const = default;
};
// `ticket` is the JSON text of the user's media endpoint address.
struct SetCallTicket {
  std::string channel{};
  std::string user{};
  std::string ticket{};
  bool operator==(const SetCallTicket&) const = default;
};

}  // namespace chat_action

struct ChatAction {
  using SendMessage = chat_action::SendMessage;
  using EditMessage = chat_action::EditMessage;
  using DeleteMessage = chat_action::DeleteMessage;
  using AddReaction = chat_action::AddReaction;
  using RemoveReaction = chat_action::RemoveReaction;
  using PinMessage = chat_action::PinMessage;
  using CreateChannel = chat_action::CreateChannel;
  using CreateCategory = chat_action::CreateCategory;
  using RenameCategory = chat_action::RenameCategory;
  using DeleteCategory = chat_action::DeleteCategory;
  using SetCategoryCollapsed = chat_action::SetCategoryCollapsed;
  using ReorderChannel = chat_action::ReorderChannel;
  using RenameChannel = chat_action::RenameChannel;
  using DeleteChannel = chat_action::DeleteChannel;
  using ArchiveChannel = chat_action::ArchiveChannel;
  using MarkRead = chat_action::MarkRead;
  using SetAgentWork = chat_action::SetAgentWork;
  using JoinCall = chat_action::JoinCall;
  using LeaveCall = chat_action::LeaveCall;
  using SetCallState = chat_action::SetCallState;
  using SetScreenShare = chat_action::SetScreenShare;
  using SetCallTicket = chat_action::SetCallTicket;

  std::variant<SendMessage, EditMessage, DeleteMessage, AddReaction, RemoveReaction, PinMessage,
               CreateChannel, CreateCategory, RenameCategory, DeleteCategory, SetCategoryCollapsed,
               ReorderChannel, RenameChannel, DeleteChannel, ArchiveChannel, MarkRead, SetAgentWork,
               JoinCall, LeaveCall, SetCallState, SetScreenShare, SetCallTicket>
      value;
  bool operator==(const ChatAction&) const = default;
};

}  // namespace chat::actions

// Text and value forms: {"VariantName":{...every field in order...}}. Decoding takes the
// fields by name in any order or by position, and refuses anything doubtful.
JSON_DECLARE_CODEC(chat::actions::ChatAction);
