// One chat action on its whole road into the document: context, encoding, the host's
// bookkeeping, the executor and the writer; and the decoding road of a payload that comes back
// from the toolkit.

#include <benchmark/benchmark.h>

#include <spdlog/logger.h>

#include <memory>
#include <string>

#include "actions/contexts.hpp"
#include "actions/dispatch.hpp"
#include "actions/encode_action.hpp"
#include "actions/registry.hpp"
#include "crdt/document.hpp"

namespace {

using chat::actions::ChatAction;

crdt::Document with_channel() {
  crdt::Document doc;
  auto channels = doc.put_object(crdt::ROOT, "channels", crdt::ObjType::Map);
  (void)doc.put_object(*channels, "c1", crdt::ObjType::Map);
  doc.commit();
  return doc;
}

// A host that logs nowhere: the benchmark measures dispatch, not the log sink.
vesk_ui::ActionHost quiet_host() {
  return vesk_ui::ActionHost(std::make_shared<spdlog::logger>("bench"));
}

// Each iteration sets a new read count, so every dispatch writes and commits one change.
void BM_DispatchMarkRead(benchmark::State& state) {
  crdt::Document doc = with_channel();
  vesk_ui::ActionHost host = quiet_host();
  std::int64_t count = 0;
  for (auto _ : state) {
    ChatAction action{ChatAction::MarkRead{"c1", "u1", ++count}};
    chat::actions::dispatch_chat_action(host, doc, action);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DispatchMarkRead);

// A send appends one message with its text, reactions, mentions and history containers. The
// admission check looks for the id among all stored messages, so the cost grows with the
// document: the argument is the number of messages already there.
void BM_DispatchSendMessage(benchmark::State& state) {
  crdt::Document doc = with_channel();
  vesk_ui::ActionHost host = quiet_host();
  std::int64_t n = 0;
  for (std::int64_t i = 0; i < state.range(0); ++i) {
    ChatAction seed{ChatAction::SendMessage{
        .channel = "c1", .id = "s" + std::to_string(i), .author = "u1", .text = "earlier"}};
    chat::actions::dispatch_chat_action(host, doc, seed);
  }
  for (auto _ : state) {
    ChatAction action{ChatAction::SendMessage{.channel = "c1",
                                              .id = "m" + std::to_string(++n),
                                              .author = "u1",
                                              .ts = 1700000000,
                                              .text = "hello there"}};
    chat::actions::dispatch_chat_action(host, doc, action);
  }
  state.SetItemsProcessed(state.iterations());
}
// Few iterations, so that the document grows little while it is measured.
BENCHMARK(BM_DispatchSendMessage)->Arg(0)->Arg(1000)->Iterations(200);

void BM_ChatActionContext(benchmark::State& state) {
  ChatAction action{ChatAction::SendMessage{
      .channel = "c1", .id = "m1", .author = "u1", .ts = 1700000000, .text = "hello there"}};
  for (auto _ : state) benchmark::DoNotOptimize(chat::actions::chat_action_context(action));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ChatActionContext);

void BM_DecodeThroughRegistry(benchmark::State& state) {
  vesk_actions::ActionRegistry registry;
  chat::actions::register_chat_action_type(registry);
  auto encoded = chat::actions::encode_chat_action(ChatAction{ChatAction::SendMessage{
      .channel = "c1", .id = "m1", .author = "u1", .ts = 1700000000, .text = "hello there"}});
  for (auto _ : state) benchmark::DoNotOptimize(registry.decode(encoded));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeThroughRegistry);

}  // namespace
