#include "actions/chat_action.hpp"

#include "json/unions.hpp"

namespace chat::actions {
namespace {

using json::field;
using json::variant_record;
using A = ChatAction;

constexpr auto chat_action_schema = json::external_union(
    "ChatAction", &A::value,
    variant_record<A::SendMessage>(
        "SendMessage", field("channel", &A::SendMessage::channel), field("id", &A::SendMessage::id),
        field("author", &A::SendMessage::author), field("ts", &A::SendMessage::ts),
        field("text", &A::SendMessage::text), field("parent", &A::SendMessage::parent),
        field("attachment", &A::SendMessage::attachment),
        field("mentions", &A::SendMessage::mentions).defaulted(),
        field("reference", &A::SendMessage::reference).defaulted()),
    variant_record<A::EditMessage>(
        "EditMessage", field("channel", &A::EditMessage::channel), field("id", &A::EditMessage::id),
        field("text", &A::EditMessage::text), field("ts", &A::EditMessage::ts)),
    variant_record<A::DeleteMessage>("DeleteMessage", field("channel", &A::DeleteMessage::channel),
                                     field("id", &A::DeleteMessage::id)),
    variant_record<A::AddReaction>("AddReaction", field("channel", &A::AddReaction::channel),
                                   field("msg", &A::AddReaction::msg),
                                   field("emoji", &A::AddReaction::emoji),
                                   field("user", &A::AddReaction::user)),
    variant_record<A::RemoveReaction>(
        "RemoveReaction", field("channel", &A::RemoveReaction::channel),
        field("msg", &A::RemoveReaction::msg), field("emoji", &A::RemoveReaction::emoji),
        field("user", &A::RemoveReaction::user)),
    variant_record<A::PinMessage>("PinMessage", field("channel", &A::PinMessage::channel),
                                  field("msg", &A::PinMessage::msg),
                                  field("pinned", &A::PinMessage::pinned)),
    variant_record<A::CreateChannel>(
        "CreateChannel", field("workspace", &A::CreateChannel::workspace),
        field("category", &A::CreateChannel::category), field("id", &A::CreateChannel::id),
        field("name", &A::CreateChannel::name), field("kind", &A::CreateChannel::kind)),
    variant_record<A::CreateCategory>(
        "CreateCategory", field("workspace", &A::CreateCategory::workspace),
        field("id", &A::CreateCategory::id), field("name", &A::CreateCategory::name)),
    variant_record<A::RenameCategory>("RenameCategory", field("id", &A::RenameCategory::id),
                                      field("name", &A::RenameCategory::name)),
    variant_record<A::DeleteCategory>("DeleteCategory", field("id", &A::DeleteCategory::id)),
    variant_record<A::SetCategoryCollapsed>(
        "SetCategoryCollapsed", field("id", &A::SetCategoryCollapsed::id),
        field("collapsed", &A::SetCategoryCollapsed::collapsed)),
    variant_record<A::ReorderChannel>("ReorderChannel", field("id", &A::ReorderChannel::id),
                                      field("up", &A::ReorderChannel::up)),
    variant_record<A::RenameChannel>("RenameChannel", field("id", &A::RenameChannel::id),
                                     field("name", &A::RenameChannel::name)),
    variant_record<A::DeleteChannel>("DeleteChannel", field("id", &A::DeleteChannel::id)),
    variant_record<A::ArchiveChannel>("ArchiveChannel", field("id", &A::ArchiveChannel::id),
                                      field("archived", &A::ArchiveChannel::archived)),
    variant_record<A::MarkRead>("MarkRead", field("channel", &A::MarkRead::channel),
                                field("user", &A::MarkRead::user),
                                field("count", &A::MarkRead::count)),
    variant_record<A::SetAgentWork>("SetAgentWork", field("channel", &A::SetAgentWork::channel),
                                    field("msg", &A::SetAgentWork::msg),
                                    field("work", &A::SetAgentWork::work),
                                    field("say", &A::SetAgentWork::say).defaulted()),
    variant_record<A::JoinCall>("JoinCall", field("channel", &A::JoinCall::channel),
                                field("user", &A::JoinCall::user)),
    variant_record<A::LeaveCall>("LeaveCall", field("channel", &A::LeaveCall::channel),
                                 field("user", &A::LeaveCall::user)),
    variant_record<A::SetCallState>(
        "SetCallState", field("channel", &A::SetCallState::channel),
        field("user", &A::SetCallState::user), field("talking", &A::SetCallState::talking),
        field("muted", &A::SetCallState::muted), field("deafened", &A::SetCallState::deafened),
        field("audio_only", &A::SetCallState::audio_only)),
    variant_record<A::SetScreenShare>(
        "SetScreenShare", field("channel", &A::SetScreenShare::channel),
        field("user", &A::SetScreenShare::user), field("sharing", &A::SetScreenShare::sharing)),
    variant_record<A::SetCallTicket>("SetCallTicket", field("channel", &A::SetCallTicket::channel),
                                     field("user", &A::SetCallTicket::user),
                                     field("ticket", &A::SetCallTicket::ticket)));

}  // namespace
}  // namespace chat::actions

JSON_DEFINE_CODEC(chat::actions::ChatAction, chat::actions::chat_action_schema)
