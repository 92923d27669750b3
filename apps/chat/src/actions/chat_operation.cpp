#include "actions/chat_operation.hpp"

#include "json/unions.hpp"

namespace chat::actions {
namespace {

using json::field;
using json::variant_record;
using Op = ChatOperation;

constexpr auto chat_operation_schema = json::external_union(
    "ChatOperation", &Op::value,
    variant_record<Op::OpenWorkspace>("OpenWorkspace",
                                      field("workspace", &Op::OpenWorkspace::workspace)),
    variant_record<Op::OpenChannel>("OpenChannel", field("workspace", &Op::OpenChannel::workspace),
                                    field("channel", &Op::OpenChannel::channel)),
    variant_record<Op::OpenCategory>("OpenCategory",
                                     field("workspace", &Op::OpenCategory::workspace),
                                     field("category", &Op::OpenCategory::category)),
    variant_record<Op::RevealMessage>(
        "RevealMessage", field("workspace", &Op::RevealMessage::workspace),
        field("channel", &Op::RevealMessage::channel),
        field("message", &Op::RevealMessage::message), field("parent", &Op::RevealMessage::parent)),
    variant_record<Op::OpenPerson>("OpenPerson", field("user", &Op::OpenPerson::user)),
    variant_record<Op::ImportAttachment>("ImportAttachment",
                                         field("channel", &Op::ImportAttachment::channel),
                                         field("path", &Op::ImportAttachment::path)));

}  // namespace
}  // namespace chat::actions

JSON_DEFINE_TEXT_CODEC(chat::actions::ChatOperation, chat::actions::chat_operation_schema)
