#include "vesk_actions/context.hpp"

#include <gtest/gtest.h>

namespace vesk_actions {
namespace {

TEST(HumanizeIdentifier, SplitsWordsAndCapitalisesTheFirst) {
  const std::pair<const char*, const char*> cases[] = {
      {"SendMessage", "Send message"},
      {"SetCallTicket", "Set call ticket"},
      {"set_call_state", "Set call state"},
      {"audio-only", "Audio only"},
      {"chat.action", "Chat action"},
      {"sendMessage", "Send message"},
      {"HTTPServer", "HTTP server"},
      {"openURL", "Open URL"},
      {"Step2Done", "Step2 done"},
      {"__leading__and--trailing  ", "Leading and trailing"},
      {"x", "X"},
      {"caf\xc3\xa9Latte", "Caf\xc3\xa9 latte"},  // only ASCII changes case
      {"", ""},
      {"_-. ", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(humanize_identifier(in), out) << in;
}

TEST(HumanizeIdentifier, NonAsciiFirstByteIsKept) {
  EXPECT_EQ(humanize_identifier("\xc3\xa9t\xc3\xa9"), "\xc3\xa9t\xc3\xa9");
}

TEST(ActionContext, EnrichedByFillsOnlyWhatIsMissing) {
  const ActionApplication app{"org.example.chat", "Chat"};
  const ActionApplication host_app{"org.example.host", "Host"};
  const ActionTarget msg{"chat.message:m1", "chat.message", "Message"};
  const ActionTarget chan{"chat.channel:c1", "chat.channel", "c1"};
  const ActionTarget call{"chat.call:c1", "chat.call", "c1"};

  const ActionContext given{"Send message", {msg}, app, msg};
  const ActionContext host{"Host title", {msg, call}, host_app, chan};

  ActionContext merged = given.enriched_by(host);
  EXPECT_EQ(merged.title, "Send message");
  EXPECT_EQ(merged.application, app);
  EXPECT_EQ(merged.target, msg);
  EXPECT_EQ(merged.related, (std::vector<ActionTarget>{msg, call}));

  ActionContext bare;
  ActionContext filled = bare.enriched_by(host);
  EXPECT_EQ(filled, host);

  EXPECT_EQ(given.enriched_by(ActionContext{}), given);
}

}  // namespace
}  // namespace vesk_actions
