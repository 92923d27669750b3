// Scanning a message for mentions the way a send does: a typical chat line against a
// workspace's worth of candidates, and a long pasted text with many at signs.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "actions/mention_parser.hpp"

namespace {

using chat::actions::MentionCandidate;

std::vector<MentionCandidate> candidates(int count) {
  std::vector<MentionCandidate> out;
  for (int i = 0; i < count; ++i) {
    out.push_back({"u_" + std::to_string(i), "Person Number " + std::to_string(i), i % 10 == 0});
  }
  out.push_back({"u_ann", "Ann", false});
  out.push_back({"u_annlee", "Ann Lee", false});
  return out;
}

void BM_ChatLine(benchmark::State& state) {
  const auto people = candidates(static_cast<int>(state.range(0)));
  const std::string text = "hey @ann lee, can you and @Person Number 7 look at this? thanks";
  for (auto _ : state) benchmark::DoNotOptimize(chat::actions::extract_mentions(text, people));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ChatLine)->Arg(8)->Arg(200);

void BM_LongTextManyAtSigns(benchmark::State& state) {
  const auto people = candidates(200);
  std::string text;
  while (text.size() < 64 * 1024) text += "see @Ann Lee and mail@example.org about @nobody. Zoë ";
  for (auto _ : state) benchmark::DoNotOptimize(chat::actions::extract_mentions(text, people));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_LongTextManyAtSigns);

}  // namespace
