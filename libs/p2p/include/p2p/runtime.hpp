#pragma once
// The executor p2p work runs on: an asio io_context served by a fixed number of worker threads.
//
// Tasks are C++20 coroutines (Task<T> = asio::awaitable<T>). Every asynchronous operation of this
// library is awaited with co_await inside a task and gives a Result; none throws. The synchronous
// calls (Endpoint::addr, SendStream::finish, Connection::close, the queues' try_send/try_recv)
// may be made from any thread.
//
// Dropping the Runtime stops and joins its threads, then destroys every task that has not finished
// (suspended coroutines are destroyed, not resumed) and releases the sockets and timers of the
// endpoints bound on it; peers are not told, they see an idle timeout. It must not be dropped
// from one of its own worker threads, and nothing of p2p may be used concurrently with the drop.
// Handles that outlive the runtime stay safe to call and to drop, and answer ErrorKind::closed.

#include <p2p/result.hpp>

#include <asio/any_io_executor.hpp>
#include <asio/awaitable.hpp>
#include <asio/co_spawn.hpp>
#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>
#include <asio/use_future.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace p2p {

template <class T>
using Task = asio::awaitable<T>;

class Runtime {
 public:
  // Starts `worker_threads` threads (at least one).
  static Result<std::unique_ptr<Runtime>> start(std::size_t worker_threads = 2);

  struct Private {};
  explicit Runtime(Private) {}
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  asio::any_io_executor executor() const { return io_->get_executor(); }
  std::size_t worker_count() const { return threads_.size(); }

  // Starts a task and forgets it. A task that throws ends there; the exception is dropped.
  void spawn(Task<void> task);

  // Runs a task to completion and gives its value. Blocks the calling thread, so it must not be
  // called from one of this runtime's worker threads.
  template <class T>
  T block_on(Task<T> task) {
    auto future = asio::co_spawn(executor(), std::move(task), asio::use_future);
    return future.get();
  }

 private:
  std::unique_ptr<asio::io_context> io_;
  std::optional<asio::executor_work_guard<asio::io_context::executor_type>> work_;
  std::vector<std::thread> threads_;
};

}  // namespace p2p
