// The document store: opening a chat-sized document file and persisting one small change.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "vesk_ui/persist.hpp"
#include "vesk_ui/text_splice.hpp"

namespace {

using vesk_ui::persist::DocumentStore;
using vesk_ui::persist::PersistOptions;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "store-bench-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

crdt::ObjId must(crdt::Result<crdt::ObjId> result) {
  if (!result.ok()) std::abort();
  return result.value();
}

// Channels with their messages laid out as the chat program stores them: a record per channel
// and, per channel, a list of message maps with a text, reactions and an edit history.
void fill_chat_document(crdt::Document& doc, int channels, int messages_per_channel) {
  const crdt::ObjId channel_map = must(doc.put_object(crdt::ROOT, "channels", crdt::ObjType::Map));
  const crdt::ObjId messages = must(doc.put_object(crdt::ROOT, "messages", crdt::ObjType::Map));
  for (int c = 0; c < channels; ++c) {
    const std::string id = "c_" + std::to_string(c);
    const crdt::ObjId channel = must(doc.put_object(channel_map, id, crdt::ObjType::Map));
    doc.put(channel, "workspace", "w_main");
    doc.put(channel, "name", "channel-" + std::to_string(c));
    doc.put(channel, "kind", "text");
    doc.put(channel, "order", std::int64_t{c});
    const crdt::ObjId list = must(doc.put_object(messages, id, crdt::ObjType::List));
    for (int m = 0; m < messages_per_channel; ++m) {
      const crdt::ObjId message =
          must(doc.insert_object(list, doc.length(list), crdt::ObjType::Map));
      doc.put(message, "id", "m_" + std::to_string(c) + "_" + std::to_string(m));
      doc.put(message, "author", "u_" + std::to_string(m % 7));
      doc.put(message, "ts", std::int64_t{1782400000 + m * 60});
      doc.put(message, "parent", "");
      doc.put(message, "edited", false);
      const crdt::ObjId text = must(doc.put_object(message, "text", crdt::ObjType::Text));
      doc.splice_text(text, 0, 0,
                      "Message " + std::to_string(m) + " in channel " + std::to_string(c) +
                          ": a line of ordinary chat text about the work at hand.");
      const crdt::ObjId reactions = must(doc.put_object(message, "reactions", crdt::ObjType::List));
      if (m % 5 == 0) {
        const crdt::ObjId reaction = must(doc.insert_object(reactions, 0, crdt::ObjType::Map));
        doc.put(reaction, "emoji", "👍");
        doc.put(reaction, "user", "u_1");
      }
      must(doc.put_object(message, "mentions", crdt::ObjType::List));
      must(doc.put_object(message, "history", crdt::ObjType::List));
    }
    doc.commit();
  }
}

void BM_OpenChatDocument(benchmark::State& state) {
  TempDir dir;
  const auto path = dir.path() / "workspace.automerge";
  {
    DocumentStore store = vesk_ui::persist::open_migrating(crdt::ActorId::random(), {}, path);
    fill_chat_document(store.document(), 20, 2000);
    store.persist();
  }
  state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
  for (auto _ : state) {
    DocumentStore store = vesk_ui::persist::open_migrating(crdt::ActorId::random(), {}, path);
    benchmark::DoNotOptimize(store.document().length(crdt::ROOT));
  }
}
BENCHMARK(BM_OpenChatDocument)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One keystroke in a draft of the chat-sized document, then the persist the frame loop makes.
void persist_keystrokes(benchmark::State& state, bool durable) {
  TempDir dir;
  const auto path = dir.path() / "workspace.automerge";
  PersistOptions options;
  options.durable = durable;
  DocumentStore store = vesk_ui::persist::open_migrating(crdt::ActorId::random(), options, path);
  fill_chat_document(store.document(), 20, 2000);
  store.persist();
  crdt::Document& doc = store.document();
  const crdt::ObjId drafts = must(doc.put_object(crdt::ROOT, "drafts", crdt::ObjType::Map));
  const crdt::ObjId draft = must(doc.put_object(drafts, "c_3", crdt::ObjType::Text));
  std::string typed;
  for (auto _ : state) {
    typed.push_back(static_cast<char>('a' + typed.size() % 26));
    if (typed.size() > 200) typed.clear();
    vesk_ui::splice_text_diffed(doc, draft, typed);
    if (store.persist()) state.SkipWithError("persist failed");
  }
}

void BM_PersistDraftKeystroke(benchmark::State& state) {
  persist_keystrokes(state, false);
}
BENCHMARK(BM_PersistDraftKeystroke)->Unit(benchmark::kMicrosecond);

void BM_PersistDraftKeystrokeWithFsync(benchmark::State& state) {
  persist_keystrokes(state, true);
}
BENCHMARK(BM_PersistDraftKeystrokeWithFsync)->Unit(benchmark::kMicrosecond);

}  // namespace
