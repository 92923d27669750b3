// The document library on four workloads; bench/reference/crdt.sh runs the same ones on
// the reference implementation.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "crdt/document.hpp"
#include "crdt_trace.hpp"

namespace {

using crdt::Document;
using crdt::ObjId;
using crdt::ObjType;
using crdt::ROOT;

// Appending instead of operator+ (g++ 12 at -O3 warns falsely on string concatenation).
template <class... Parts>
std::string cat(const Parts&... parts) {
  std::string out;
  (out.append(parts), ...);
  return out;
}

std::string num(long v) {
  return std::to_string(v);
}

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "crdt bench: %s\n", what);
    std::abort();
  }
}

// Replays the trace into one text object; one change at the end, or one per keystroke.
Document replay(bool commit_each) {
  const auto& trace = crdt_bench::editing_trace();
  Document doc;
  ObjId text = *doc.put_object(ROOT, "text", ObjType::Text);
  for (const auto& p : trace.patches) {
    (void)doc.splice_text(text, p.pos, p.del, p.text);
    if (commit_each) doc.commit({}, 0);
  }
  doc.commit({}, 0);
  return doc;
}

void check_trace(Document& doc) {
  auto text = doc.get(ROOT, "text");
  check(text && doc.text(text->second) == crdt_bench::editing_trace().end_content,
        "replayed text differs from endContent");
}

void BM_TraceApply(benchmark::State& state) {
  crdt_bench::editing_trace();
  for (auto _ : state) {
    Document doc = replay(false);
    benchmark::DoNotOptimize(doc.get_heads());
    state.PauseTiming();
    check_trace(doc);
    state.ResumeTiming();
  }
  state.counters["edits"] = static_cast<double>(crdt_bench::editing_trace().patches.size());
}
BENCHMARK(BM_TraceApply)->Unit(benchmark::kMillisecond);

void BM_TraceSave(benchmark::State& state) {
  Document doc = replay(false);
  std::size_t size = 0;
  for (auto _ : state) {
    auto bytes = doc.save();
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["saved_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_TraceSave)->Unit(benchmark::kMillisecond);

void BM_TraceLoad(benchmark::State& state) {
  Document source = replay(false);
  auto bytes = source.save();
  for (auto _ : state) {
    auto doc = Document::load(bytes);
    check(doc.ok(), "load failed");
    benchmark::DoNotOptimize(doc->length(ROOT));
    state.PauseTiming();
    check_trace(*doc);
    state.ResumeTiming();
  }
  state.counters["saved_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_TraceLoad)->Unit(benchmark::kMillisecond);

void BM_TraceChangePerEdit(benchmark::State& state) {
  crdt_bench::editing_trace();
  for (auto _ : state) {
    Document doc = replay(true);
    benchmark::DoNotOptimize(doc.get_heads());
    state.PauseTiming();
    check_trace(doc);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TraceChangePerEdit)->Unit(benchmark::kMillisecond);

// 20 channels of 2,000 messages, each message a map with a text, a reactions list and a
// history list, one change per message.
constexpr int kChannels = 20;
constexpr int kMessages = 2000;

Document build_chat() {
  Document doc;
  ObjId channels = *doc.put_object(ROOT, "messages", ObjType::Map);
  for (int c = 0; c < kChannels; ++c) {
    ObjId list = *doc.put_object(channels, cat("c_", num(c)), ObjType::List);
    doc.commit({}, 0);
    for (int m = 0; m < kMessages; ++m) {
      ObjId msg = *doc.insert_object(list, doc.length(list), ObjType::Map);
      (void)doc.put(msg, "id", cat("m_", num(c), "_", num(m)));
      (void)doc.put(msg, "author", cat("u_", num(m % 7)));
      (void)doc.put(msg, "ts", std::int64_t{1700000000} + m);
      (void)doc.put(msg, "parent", "");
      ObjId text = *doc.put_object(msg, "text", ObjType::Text);
      (void)doc.splice_text(text, 0, 0,
                            cat("message ", num(m), " in channel ", num(c), ", hello there"));
      ObjId reactions = *doc.put_object(msg, "reactions", ObjType::List);
      if (m % 3 == 0) {
        ObjId r = *doc.insert_object(reactions, 0, ObjType::Map);
        (void)doc.put(r, "emoji", "👍");
        (void)doc.put(r, "user", "u_1");
      }
      (void)doc.put_object(msg, "history", ObjType::List);
      doc.commit({}, 0);
    }
  }
  return doc;
}

void BM_ChatBuild(benchmark::State& state) {
  for (auto _ : state) {
    Document doc = build_chat();
    benchmark::DoNotOptimize(doc.get_heads());
  }
}
BENCHMARK(BM_ChatBuild)->Unit(benchmark::kMillisecond);

void BM_ChatSave(benchmark::State& state) {
  Document doc = build_chat();
  std::size_t size = 0;
  for (auto _ : state) {
    auto bytes = doc.save();
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["saved_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_ChatSave)->Unit(benchmark::kMillisecond);

void BM_ChatLoad(benchmark::State& state) {
  Document source = build_chat();
  auto bytes = source.save();
  for (auto _ : state) {
    auto doc = Document::load(bytes);
    check(doc.ok(), "load failed");
    benchmark::DoNotOptimize(doc->length(ROOT));
  }
}
BENCHMARK(BM_ChatLoad)->Unit(benchmark::kMillisecond);

// Index reads in a text whose elements are nearly all deleted: the cost follows the
// visible length's logarithm, not the tombstones.
void BM_IndexReadOverTombstones(benchmark::State& state) {
  const auto tombstones = static_cast<std::size_t>(state.range(0));
  Document doc;
  ObjId text = *doc.put_object(ROOT, "text", ObjType::Text);
  (void)doc.splice_text(text, 0, 0, std::string(tombstones + 1000, 'x'));
  (void)doc.splice_text(text, 500, tombstones, "");
  doc.commit({}, 0);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(doc.get(text, i));
    i = (i + 389) % 1000;
  }
}
BENCHMARK(BM_IndexReadOverTombstones)->Arg(0)->Arg(200000);

// Two replicas of one document each make 10,000 changes (a map key and a list insert
// each), then one merges the other.
constexpr int kMergeChanges = 10000;

void edit_for_merge(Document& doc, const ObjId& list, const char* who) {
  for (int i = 0; i < kMergeChanges; ++i) {
    (void)doc.put(ROOT, cat(who, num(i % 100)), std::int64_t{i});
    (void)doc.insert(list, doc.length(list), cat(who, num(i)));
    doc.commit({}, 0);
  }
}

void BM_Merge10k(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Document a;
    ObjId list = *a.put_object(ROOT, "list", ObjType::List);
    a.commit({}, 0);
    Document b = a.fork();
    edit_for_merge(a, list, "a");
    edit_for_merge(b, list, "b");
    state.ResumeTiming();
    check(a.merge(b).ok(), "merge failed");
    benchmark::DoNotOptimize(a.get_heads());
    state.PauseTiming();
    check(a.length(list) == 2 * kMergeChanges, "merged list has the wrong length");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Merge10k)->Unit(benchmark::kMillisecond);

}  // namespace
