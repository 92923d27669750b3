// The bounded queue between the main thread and runtime tasks.

#include "test_support.hpp"

#include <p2p/queue.hpp>

#include <thread>

namespace p2p::testing {
namespace {

TEST(Queue, TellsFullFromClosedOnSend) {
  auto [tx, rx] = bounded_queue<int>(2);
  EXPECT_EQ(tx.try_send(1), SendStatus::accepted);
  EXPECT_EQ(tx.try_send(2), SendStatus::accepted);
  EXPECT_EQ(tx.try_send(3), SendStatus::full);
  auto got = rx.try_recv();
  ASSERT_EQ(got.status, RecvStatus::value);
  EXPECT_EQ(*got.value, 1);
  EXPECT_EQ(tx.try_send(4), SendStatus::accepted);
  { auto gone = std::move(rx); }
  EXPECT_EQ(tx.try_send(5), SendStatus::closed);
}

TEST(Queue, TellsEmptyFromClosedOnReceiveAndDrainsFirst) {
  auto [tx, rx] = bounded_queue<std::string>(8);
  EXPECT_EQ(rx.try_recv().status, RecvStatus::empty);
  auto copy = tx;  // closed only when every sender is gone
  ASSERT_EQ(tx.try_send("a"), SendStatus::accepted);
  ASSERT_EQ(copy.try_send("b"), SendStatus::accepted);
  { auto gone = std::move(tx); }
  EXPECT_EQ(rx.try_recv().value, "a");
  { auto gone = std::move(copy); }
  // Values sent before the close still arrive, in order, then "closed".
  auto b = rx.try_recv();
  EXPECT_EQ(b.status, RecvStatus::value);
  EXPECT_EQ(b.value, "b");
  EXPECT_EQ(rx.try_recv().status, RecvStatus::closed);
}

TEST(Queue, TaskWaitsForValuesFromAnotherThreadUntilClosed) {
  auto rt = start_runtime();
  auto [tx, rx] = bounded_queue<int>(128);
  auto consume = [](Receiver<int> q) -> Task<std::vector<int>> {
    std::vector<int> got;
    while (auto v = co_await q.recv()) got.push_back(*v);
    co_return got;
  };
  auto future = asio::co_spawn(rt->executor(), consume(std::move(rx)), asio::use_future);
  std::thread producer([tx = std::move(tx)]() mutable {
    for (int i = 0; i < 5000; ++i) {
      while (tx.try_send(i) == SendStatus::full) std::this_thread::yield();
    }
  });  // tx dies with the thread's closure: that closes the queue
  producer.join();
  ASSERT_EQ(future.wait_for(5000ms), std::future_status::ready);
  auto got = future.get();
  ASSERT_EQ(got.size(), 5000u);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(got[static_cast<std::size_t>(i)], i);
}

}  // namespace
}  // namespace p2p::testing
