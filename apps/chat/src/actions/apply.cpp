#include "actions/apply.hpp"

#include "doc/admission.hpp"
#include "doc/call_writers.hpp"
#include "doc/message_writers.hpp"
#include "doc/structure_writers.hpp"

namespace chat::actions {
namespace {

using A = ChatAction;

void send_message(const A::SendMessage& a, crdt::Document& doc) {
  if (!doc::validate_send_message(doc, a.channel, a.id, a.text.size(), a.parent, a.attachment))
    return;
  doc::NewMessage message;
  message.author = a.author;
  message.text = a.text;
  message.mentions = a.mentions;
  message.parent = a.parent;
  message.reference = a.reference;
  message.attachment = a.attachment;
  message.ts = a.ts;
  doc::insert_message(doc, a.channel, a.id, message);
}

// One writer per variant; the writer's own result is not looked at.
struct Apply {
  crdt::Document& doc;

  void operator()(const A::SendMessage& a) { send_message(a, doc); }
  void operator()(const A::EditMessage& a) {
    doc::put_message_text(doc, a.channel, a.id, a.text, a.ts);
  }
  void operator()(const A::DeleteMessage& a) { doc::delete_message(doc, a.channel, a.id); }
  void operator()(const A::AddReaction& a) {
    doc::put_reaction(doc, a.channel, a.msg, a.emoji, a.user);
  }
  void operator()(const A::RemoveReaction& a) {
    doc::remove_reaction(doc, a.channel, a.msg, a.emoji, a.user);
  }
  void operator()(const A::PinMessage& a) { doc::pin_message(doc, a.channel, a.msg, a.pinned); }
  void operator()(const A::CreateChannel& a) {
    doc::create_channel(doc, a.workspace, a.category, a.id, a.name, a.kind);
  }
  void operator()(const A::CreateCategory& a) {
    doc::create_category(doc, a.workspace, a.id, a.name);
  }
  void operator()(const A::RenameCategory& a) { doc::rename_category(doc, a.id, a.name); }
  void operator()(const A::DeleteCategory& a) { doc::delete_category(doc, a.id); }
  void operator()(const A::SetCategoryCollapsed& a) {
    doc::set_category_collapsed(doc, a.id, a.collapsed);
  }
  void operator()(const A::ReorderChannel& a) { doc::reorder_channel(doc, a.id, a.up); }
  void operator()(const A::RenameChannel& a) { doc::rename_channel(doc, a.id, a.name); }
  void operator()(const A::DeleteChannel& a) { doc::delete_channel(doc, a.id); }
  void operator()(const A::ArchiveChannel& a) { doc::archive_channel(doc, a.id, a.archived); }
  void operator()(const A::MarkRead& a) { doc::mark_read(doc, a.channel, a.user, a.count); }
  void operator()(const A::SetAgentWork& a) {
    doc::set_agent_work(doc, a.channel, a.msg, a.work, a.say);
  }
  void operator()(const A::JoinCall& a) { doc::join_call(doc, a.channel, a.user); }
  void operator()(const A::LeaveCall& a) { doc::leave_call(doc, a.channel, a.user); }
  void operator()(const A::SetCallState& a) {
    doc::set_call_state(doc, a.channel, a.user, a.talking, a.muted, a.deafened, a.audio_only);
  }
  void operator()(const A::SetScreenShare& a) {
    doc::set_screen_share(doc, a.channel, a.user, a.sharing);
  }
  void operator()(const A::SetCallTicket& a) {
    doc::set_call_ticket(doc, a.channel, a.user, a.ticket);
  }
};

}  // namespace

vesk_actions::ActionResult<void> apply_chat_action(const ChatAction& action, crdt::Document& doc) {
  std::visit(Apply{doc}, action.value);
  return {};
}

}  // namespace chat::actions
