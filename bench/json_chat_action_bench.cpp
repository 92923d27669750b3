// Decoding and encoding one SendMessage action, beside a plain nlohmann DOM parse of the
// same bytes.

#include <benchmark/benchmark.h>

#include <string>

#include <nlohmann/json.hpp>

#include "actions/chat_action.hpp"
#include "json/json.hpp"

namespace {

using chat::actions::ChatAction;

const std::string kSendMessage =
    R"({"SendMessage":{"channel":"c1","id":"m1","author":"u1","ts":1700000000,"text":"hi",)"
    R"("parent":null,"attachment":null,"mentions":[],"reference":null}})";

void BM_DecodeSendMessage(benchmark::State& state) {
  for (auto _ : state) {
    auto result = json::decode<ChatAction>(kSendMessage);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kSendMessage.size()));
}
BENCHMARK(BM_DecodeSendMessage);

// Into a buffer of initial capacity 128, as an encoded action's payload is built.
void BM_EncodeSendMessage(benchmark::State& state) {
  const ChatAction action = json::decode<ChatAction>(kSendMessage).value();
  for (auto _ : state) {
    std::string out;
    out.reserve(128);
    json::append_text(out, action);
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeSendMessage);

void BM_EncodeSendMessageReusedBuffer(benchmark::State& state) {
  const ChatAction action = json::decode<ChatAction>(kSendMessage).value();
  std::string out;
  for (auto _ : state) {
    out.clear();
    json::append_text(out, action);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeSendMessageReusedBuffer);

void BM_ValueFormSendMessage(benchmark::State& state) {
  const ChatAction action = json::decode<ChatAction>(kSendMessage).value();
  for (auto _ : state) {
    auto value = json::to_value(action);
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ValueFormSendMessage);

void BM_NlohmannParseSendMessage(benchmark::State& state) {
  for (auto _ : state) {
    auto value = nlohmann::json::parse(kSendMessage);
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kSendMessage.size()));
}
BENCHMARK(BM_NlohmannParseSendMessage);

}  // namespace
