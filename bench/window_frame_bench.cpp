// One whole frame of the window (sync, layout, draw) into an image surface, on the demo document
// and on the demo document with a long conversation.

#include <benchmark/benchmark.h>

#include <string>

#include <vesk_ui/launch_frame.hpp>
#include <vesk_ui/shot_frame.hpp>

#include "app/screenshot_scenes.hpp"
#include "doc/message_readers.hpp"
#include "doc/message_records.hpp"
#include "doc/message_writers.hpp"

namespace {

using chat::app::ChatApp;

struct Window {
  std::unique_ptr<ChatApp> app = chat::app::screenshot_app();
  vesk_ui::ShotFrame frame{vesk_ui::shot_theme({}), {1280, 800}};

  Window() {
    chat::app::apply_scene(*app, "compact");
    frame.sync(*app);  // seeds the demo content
  }
  void run_frame() {
    frame.sync(*app);
    if (frame.layout(*app)) std::abort();
    frame.draw(*app);
  }
};

void add_messages(crdt::Document& doc, int count) {
  const char* authors[] = {"u_maya", "u_jonas", "u_priya", "u_me"};
  for (int i = 0; i < count; ++i) {
    chat::doc::NewMessage m;
    m.author = authors[(i / 3) % 4];
    m.ts = 1782400000 + 60 * i;
    m.text = "Message " + std::to_string(i) +
             (i % 5 == 0 ? ": a longer note about the tile grid, the call dock and the way the "
                           "filmstrip wraps when the window gets narrow."
                         : " — short.");
    chat::doc::insert_message(doc, "c_crit", "m_bench_" + std::to_string(i), m);
  }
}

void BM_DemoDocumentFrame(benchmark::State& state) {
  Window window;
  for (auto _ : state) window.run_frame();
}
BENCHMARK(BM_DemoDocumentFrame)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_TenThousandMessagesFrame(benchmark::State& state) {
  Window window;
  add_messages(window.frame.document(), 10'000);
  window.run_frame();  // the first frame shapes every row once
  for (auto _ : state) window.run_frame();
}
BENCHMARK(BM_TenThousandMessagesFrame)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace

namespace {

// What reading the long conversation alone costs, of the frame above.
void BM_TenThousandMessagesRead(benchmark::State& state) {
  Window window;
  add_messages(window.frame.document(), 10'000);
  for (auto _ : state) {
    benchmark::DoNotOptimize(chat::doc::load_messages(window.frame.document(), "c_crit"));
  }
}
BENCHMARK(BM_TenThousandMessagesRead)->Unit(benchmark::kMillisecond);

// The frame's two halves on the long conversation: the state pass, and layout with drawing.
void BM_TenThousandMessagesSync(benchmark::State& state) {
  Window window;
  add_messages(window.frame.document(), 10'000);
  for (auto _ : state) window.frame.sync(*window.app);
}
BENCHMARK(BM_TenThousandMessagesSync)->Unit(benchmark::kMillisecond);

void BM_TenThousandMessagesDraw(benchmark::State& state) {
  Window window;
  add_messages(window.frame.document(), 10'000);
  window.run_frame();
  for (auto _ : state) {
    if (window.frame.layout(*window.app)) std::abort();
    window.frame.draw(*window.app);
  }
}
BENCHMARK(BM_TenThousandMessagesDraw)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The long conversation through a frame cycle whose text renderer keeps as many shaped texts as
// the conversation has rows: what the frame costs once the rows are not shaped anew each frame.
void BM_TenThousandMessagesFrameLargeTextCache(benchmark::State& state) {
  Window window;  // seeds the demo content into its document
  add_messages(window.frame.document(), 10'000);
  vesk_ui::TextRendererOptions options;
  options.cache_entries = 32768;
  options.cache_bytes = 64u << 20;
  vesk_ui::TextRenderer text(options);
  vesk_ui::Scene scene(1280, 800);
  vesk_ui::FrameCycle cycle;
  const vesk_ui::Theme theme = vesk_ui::shot_theme({});
  const vesk_ui::PresenceCtx presence;
  const vesk_ui::PermissionContext permissions = vesk_ui::PermissionContext::permissive();
  auto frame = [&] {
    cycle.sync(*window.app, window.frame.document());
    if (cycle.layout(*window.app, {1280, 800})) std::abort();
    vesk_ui::DrawCtx ctx{vesk_ui::Affine::identity(), 1.0, std::chrono::steady_clock::now()};
    cycle.draw(*window.app, scene, text, theme, ctx, presence, permissions);
    cycle.finish(*window.app);
  };
  frame();
  for (auto _ : state) frame();
}
BENCHMARK(BM_TenThousandMessagesFrameLargeTextCache)->Unit(benchmark::kMillisecond);

}  // namespace
