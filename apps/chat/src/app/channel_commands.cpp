#include "app/channel_commands.hpp"

#include <uuid/uuid.h>

#include <utility>

#include "actions/chat_action.hpp"
#include "actions/dispatch.hpp"
#include "app/chat_app.hpp"
#include "app/chat_view.hpp"
#include "app/composer_commands.hpp"
#include "app/edit_commands.hpp"

namespace chat::app {
namespace {

namespace A = actions::chat_action;

std::string new_prefixed_id(std::string prefix) {
  uuid_t uuid;
  uuid_generate_random(uuid);
  static constexpr char kHex[] = "0123456789abcdef";
  for (unsigned char byte : uuid) {
    prefix.push_back(kHex[byte >> 4]);
    prefix.push_back(kHex[byte & 15]);
  }
  return prefix;
}

template <typename Variant>
void dispatch(ChatApp& app, crdt::Document& doc, Variant change) {
  actions::dispatch_chat_action(app, doc, actions::ChatAction{std::move(change)});
}

}  // namespace

std::string new_channel_id() {
  return new_prefixed_id("c_");
}
std::string new_category_id() {
  return new_prefixed_id("cat_");
}

void perform_channel_command(ChatApp& app, std::string_view conversation, std::uint8_t code,
                             crdt::Document& doc) {
  const std::string id(conversation);
  const auto command = static_cast<ChannelCommand>(code);
  if (command == ChannelCommand::Rename) {
    begin_rename(app, {RenameTarget::Kind::Conversation, id});
  } else if (can_write(app.permissions)) {
    switch (command) {
      case ChannelCommand::Delete:
        dispatch(app, doc, A::DeleteChannel{id});
        if (app.view.current_conversation == id) app.view.current_conversation.clear();
        break;
      case ChannelCommand::MoveUp:
      case ChannelCommand::MoveDown:
        dispatch(app, doc, A::ReorderChannel{id, command == ChannelCommand::MoveUp});
        break;
      case ChannelCommand::Archive: {
        const doc::Channel* channel = find_channel(app, id);
        const bool archive = channel == nullptr || !channel->archived;
        dispatch(app, doc, A::ArchiveChannel{id, archive});
        if (archive && app.view.current_conversation == id) app.view.current_conversation.clear();
        break;
      }
      default:
        break;
    }
  }
  refresh_view(app, doc);
}

}  // namespace chat::app
