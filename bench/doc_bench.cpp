// The window rebuilds its view from the document every frame: the readers must stay well
// inside a frame for a busy conversation and a large workspace.

#include <benchmark/benchmark.h>

#include <string>

#include "doc/message_readers.hpp"
#include "doc/message_writers.hpp"
#include "doc/readers.hpp"
#include "doc/structure_writers.hpp"

namespace {

using namespace chat::doc;

// 5,000 messages in one conversation, each with two reactions and one mention.
crdt::Document busy_conversation() {
  crdt::Document doc;
  put_channel(doc, "c_busy", "ws", "", "busy", "", ChannelKind::Text, 0);
  for (int i = 0; i < 5000; ++i) {
    NewMessage m;
    m.author = "u_" + std::to_string(i % 7);
    m.ts = 1782471840 + i;
    m.text = "message number " + std::to_string(i) + " with @someone and a little more text";
    m.reactions = {{"\U0001F44D", {"u_1"}}, {"\U0001F525", {"u_2"}}};
    m.mentions = {chat::actions::Mention{"u_3", 22, 8, false}};
    if (i % 10 != 0) m.parent = "m_" + std::to_string(i - i % 10);
    insert_message(doc, "c_busy", "m_" + std::to_string(i), m);
  }
  (void)doc.get_heads();  // commit, as the toolkit does between frames
  return doc;
}

crdt::Document many_channels() {
  crdt::Document doc;
  for (int i = 0; i < 500; ++i) {
    std::string cat = "cat_" + std::to_string(i % 10);
    put_channel(doc, "c_" + std::to_string(i), "ws_" + std::to_string(i % 3), cat,
                "channel-" + std::to_string(i), "topic of channel " + std::to_string(i),
                i % 5 == 0 ? ChannelKind::Voice : ChannelKind::Text,
                static_cast<std::uint32_t>(i / 10));
  }
  (void)doc.get_heads();
  return doc;
}

// Built once and shared: the id check makes 5,000 inserts quadratic.
const crdt::Document& busy() {
  static crdt::Document doc = busy_conversation();
  return doc;
}

void BM_load_messages_5000(benchmark::State& state) {
  const crdt::Document& doc = busy();
  for (auto _ : state) {
    auto messages = load_messages(doc, "c_busy");
    benchmark::DoNotOptimize(messages);
  }
}
BENCHMARK(BM_load_messages_5000)->Unit(benchmark::kMillisecond);

// As the window reads its open conversation each frame: into last frame's records.
void BM_load_messages_into_5000(benchmark::State& state) {
  const crdt::Document& doc = busy();
  std::vector<ChatMessage> messages;
  for (auto _ : state) {
    load_messages_into(doc, "c_busy", messages);
    benchmark::DoNotOptimize(messages);
  }
}
BENCHMARK(BM_load_messages_into_5000)->Unit(benchmark::kMillisecond);

void BM_top_level_message_count_5000(benchmark::State& state) {
  const crdt::Document& doc = busy();
  for (auto _ : state) benchmark::DoNotOptimize(top_level_message_count(doc, "c_busy"));
}
BENCHMARK(BM_top_level_message_count_5000)->Unit(benchmark::kMicrosecond);

void BM_list_channels_500(benchmark::State& state) {
  static crdt::Document doc = many_channels();
  for (auto _ : state) {
    auto channels = list_channels(doc);
    benchmark::DoNotOptimize(channels);
  }
}
BENCHMARK(BM_list_channels_500)->Unit(benchmark::kMicrosecond);

}  // namespace
