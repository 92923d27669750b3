#include "actions/contexts.hpp"

#include <string>
#include <utility>

#include "json/json.hpp"

namespace chat::actions {
namespace {

constexpr std::string_view kMessage = "chat.message";
constexpr std::string_view kChannel = "chat.channel";
constexpr std::string_view kCategory = "chat.category";
constexpr std::string_view kCall = "chat.call";

struct Described {
  std::string_view title;
  std::string_view kind;
  const std::string& id;
};

std::string_view either(bool flag, std::string_view yes, std::string_view no) {
  return flag ? yes : no;
}

Described describe(const ChatAction& action) {
  using A = ChatAction;
  struct Visitor {
    Described operator()(const A::SendMessage& a) { return {"Send message", kMessage, a.id}; }
    Described operator()(const A::EditMessage& a) { return {"Edit message", kMessage, a.id}; }
    Described operator()(const A::DeleteMessage& a) { return {"Delete message", kMessage, a.id}; }
    Described operator()(const A::AddReaction& a) { return {"Add reaction", kMessage, a.msg}; }
    Described operator()(const A::RemoveReaction& a) {
      return {"Remove reaction", kMessage, a.msg};
    }
    Described operator()(const A::PinMessage& a) {
      return {either(a.pinned, "Pin message", "Unpin message"), kMessage, a.msg};
    }
    Described operator()(const A::CreateChannel& a) { return {"Create channel", kChannel, a.id}; }
    Described operator()(const A::CreateCategory& a) {
      return {"Create category", kCategory, a.id};
    }
    Described operator()(const A::RenameCategory& a) {
      return {"Rename category", kCategory, a.id};
    }
    Described operator()(const A::DeleteCategory& a) {
      return {"Delete category", kCategory, a.id};
    }
    Described operator()(const A::SetCategoryCollapsed& a) {
      return {either(a.collapsed, "Collapse category", "Expand category"), kCategory, a.id};
    }
    Described operator()(const A::ReorderChannel& a) {
      return {either(a.up, "Move channel up", "Move channel down"), kChannel, a.id};
    }
    Described operator()(const A::RenameChannel& a) { return {"Rename channel", kChannel, a.id}; }
    Described operator()(const A::DeleteChannel& a) { return {"Delete channel", kChannel, a.id}; }
    Described operator()(const A::ArchiveChannel& a) {
      return {either(a.archived, "Archive channel", "Unarchive channel"), kChannel, a.id};
    }
    Described operator()(const A::MarkRead& a) {
      return {"Mark channel read", kChannel, a.channel};
    }
    Described operator()(const A::SetAgentWork& a) {
      return {"Update agent work", kMessage, a.msg};
    }
    Described operator()(const A::JoinCall& a) { return {"Join call", kCall, a.channel}; }
    Described operator()(const A::LeaveCall& a) { return {"Leave call", kCall, a.channel}; }
    Described operator()(const A::SetCallState& a) {
      return {"Update call state", kCall, a.channel};
    }
    Described operator()(const A::SetScreenShare& a) {
      return {either(a.sharing, "Start presenting", "Stop presenting"), kCall, a.channel};
    }
    Described operator()(const A::SetCallTicket& a) {
      return {"Update call connection", kCall, a.channel};
    }
  };
  return std::visit(Visitor{}, action.value);
}

}  // namespace

std::string typed_action_title(const nlohmann::ordered_json& value) {
  if (value.is_string())
    return vesk_actions::humanize_identifier(value.get_ref<const std::string&>());
  if (value.is_object() && value.size() == 1)
    return vesk_actions::humanize_identifier(value.begin().key());
  return "Update";
}

vesk_actions::ActionContext typed_action_context(std::string_view application_id,
                                                 std::string_view application_name,
                                                 const ChatAction& action) {
  vesk_actions::ActionContext context;
  context.title = typed_action_title(json::to_value(action));
  context.application =
      vesk_actions::ActionApplication{std::string(application_id), std::string(application_name)};
  return context;
}

vesk_actions::ActionContext chat_action_context(const ChatAction& action) {
  vesk_actions::ActionContext context =
      typed_action_context(kApplicationId, kApplicationName, action);
  Described described = describe(action);
  std::string text;
  text.reserve(described.kind.size() + 1 + described.id.size());
  text.append(described.kind).append(":").append(described.id);
  std::string label = described.kind == kMessage ? std::string("Message") : described.id;
  context.title = std::string(described.title);
  context.target =
      vesk_actions::ActionTarget{std::move(text), std::string(described.kind), std::move(label)};
  return context;
}

}  // namespace chat::actions
