// The pieces used together the way a caller without its own event loop uses them: a main
// thread that only offers and polls queues, one task per remote peer, and an accept handler that
// feeds one shared incoming queue.

#include "test_support.hpp"

#include <p2p/queue.hpp>

#include <asio/steady_timer.hpp>
#include <asio/use_awaitable.hpp>

#include <thread>

namespace p2p::testing {
namespace {

constexpr const char* pipeline_alpn = "p2p-pipeline/0";
using Frame = std::shared_ptr<const Bytes>;

class IntoQueue : public ProtocolHandler {
 public:
  explicit IntoQueue(Sender<Bytes> incoming) : incoming_(std::move(incoming)) {}
  Task<Result<void>> accept(Connection c) override {
    auto s = co_await c.accept_uni();
    if (!s) co_return s.error();
    for (;;) {
      auto len = co_await s->read_exact(4);
      if (!len) co_return Result<void>();
      auto body = co_await s->read_exact(read_prefix(*len));
      if (!body) co_return Result<void>();
      // Unlike a media receiver this one waits while the main thread is behind: the test counts
      // every frame.
      for (;;) {
        auto st = incoming_.try_send(*body);
        if (st == SendStatus::closed) co_return Result<void>();
        if (st == SendStatus::accepted) break;
        asio::steady_timer t(co_await asio::this_coro::executor, 1ms);
        co_await t.async_wait(asio::use_awaitable);
      }
    }
  }

 private:
  Sender<Bytes> incoming_;
};

Task<void> send_to_peer(Endpoint ep, EndpointAddr addr, Receiver<Frame> outgoing) {
  auto conn = co_await ep.connect(addr, pipeline_alpn);
  if (!conn) co_return;
  auto s = co_await conn->open_uni();
  if (!s) co_return;
  while (auto frame = co_await outgoing.recv()) {
    auto r = co_await s->write_all(length_prefix(static_cast<std::uint32_t>((*frame)->size())));
    if (r) r = co_await s->write_all(**frame);
    if (!r) break;
  }
  (void)s->finish();
}

// Offers until accepted; gives the last status (accepted or closed).
SendStatus offer(const Sender<Frame>& tx, Frame f) {
  for (int i = 0; i < 5000; ++i) {
    auto st = tx.try_send(f);
    if (st != SendStatus::full) return st;
    std::this_thread::sleep_for(1ms);
  }
  return SendStatus::full;
}

TEST(Pipeline, FramesFromTheMainThreadArriveInOrderThroughThePeerTask) {
  auto rt = start_runtime();
  auto [in_tx, in_rx] = bounded_queue<Bytes>(128);
  auto receiver = bind_endpoint(*rt, loopback_config());
  auto router =
      Router::builder(receiver).accept(pipeline_alpn, std::make_shared<IntoQueue>(in_tx)).spawn();
  ASSERT_TRUE(router.ok());
  auto sender = bind_endpoint(*rt, loopback_config());
  auto ticket = receiver.addr().to_json();

  auto [out_tx, out_rx] = bounded_queue<Frame>(128);
  rt->spawn(send_to_peer(sender, *EndpointAddr::from_json(ticket), std::move(out_rx)));

  constexpr int count = 2000;
  std::vector<Bytes> got;
  for (int i = 0; i < count; ++i) {
    auto frame = std::make_shared<const Bytes>(static_cast<std::size_t>(1 + i % 700),
                                               static_cast<std::uint8_t>(i));
    ASSERT_EQ(offer(out_tx, frame), SendStatus::accepted);
    while (true) {
      auto r = in_rx.try_recv();
      if (r.status != RecvStatus::value) break;
      got.push_back(std::move(*r.value));
    }
  }
  auto deadline = std::chrono::steady_clock::now() + 5s;
  while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
    auto r = in_rx.try_recv();
    if (r.status == RecvStatus::value) {
      got.push_back(std::move(*r.value));
    } else {
      std::this_thread::sleep_for(1ms);
    }
  }
  ASSERT_EQ(got.size(), static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    ASSERT_EQ(got[static_cast<std::size_t>(i)],
              Bytes(static_cast<std::size_t>(1 + i % 700), static_cast<std::uint8_t>(i)))
        << "frame " << i;
  }
}

// When the peer task ends (here: the dial is refused), its queue closes, which is how the main
// thread learns that the peer has to be dialled again.
TEST(Pipeline, PeerQueueClosesWhenItsTaskEnds) {
  auto rt = start_runtime();
  auto [in_tx, in_rx] = bounded_queue<Bytes>(128);
  auto receiver = bind_endpoint(*rt, loopback_config());
  auto router =
      Router::builder(receiver).accept(pipeline_alpn, std::make_shared<IntoQueue>(in_tx)).spawn();
  ASSERT_TRUE(router.ok());
  auto sender = bind_endpoint(*rt, loopback_config());
  EndpointAddr impostor = receiver.addr();
  impostor.id = sender.id();

  auto [out_tx, out_rx] = bounded_queue<Frame>(128);
  rt->spawn(send_to_peer(sender, impostor, std::move(out_rx)));
  auto frame = std::make_shared<const Bytes>(10, 1);
  auto deadline = std::chrono::steady_clock::now() + 5s;
  SendStatus status = SendStatus::accepted;
  while (status != SendStatus::closed && std::chrono::steady_clock::now() < deadline) {
    status = out_tx.try_send(frame);
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_EQ(status, SendStatus::closed);
  EXPECT_EQ(in_rx.try_recv().status, RecvStatus::empty);
}

}  // namespace
}  // namespace p2p::testing
