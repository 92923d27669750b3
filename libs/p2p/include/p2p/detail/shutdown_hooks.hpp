#pragma once
// Objects that park completions or own asio I/O objects outside the io_context register here.
// When a Runtime is dropped it joins its threads and then runs these hooks, so that parked tasks
// are destroyed and sockets, timers and strands are released while the io_context still exists.

#include <asio/execution_context.hpp>

#include <memory>
#include <mutex>
#include <vector>

namespace p2p::detail {

class IoOwner {
 public:
  virtual ~IoOwner() = default;
  // Called once, with no worker thread running: drop parked completions, release asio objects.
  virtual void release_io() = 0;
};

class ShutdownHooks : public asio::execution_context::service {
 public:
  using key_type = ShutdownHooks;
  static inline asio::execution_context::id id;

  explicit ShutdownHooks(asio::execution_context& ctx) : asio::execution_context::service(ctx) {}

  void add(std::weak_ptr<IoOwner> owner) {
    std::lock_guard lock(mutex_);
    // Forget owners that died meanwhile, so a long-lived runtime does not accumulate them.
    if (owners_.size() >= 64 && owners_.size() >= 2 * live_after_sweep_) {
      std::erase_if(owners_, [](const std::weak_ptr<IoOwner>& w) { return w.expired(); });
      live_after_sweep_ = owners_.size();
    }
    owners_.push_back(std::move(owner));
  }

  // Runs every live hook; hooks added while running are run too.
  void run_all() {
    for (;;) {
      std::vector<std::weak_ptr<IoOwner>> batch;
      {
        std::lock_guard lock(mutex_);
        batch.swap(owners_);
      }
      if (batch.empty()) return;
      for (auto& weak : batch) {
        if (auto owner = weak.lock()) owner->release_io();
      }
    }
  }

 private:
  void shutdown() override { run_all(); }

  std::mutex mutex_;
  std::vector<std::weak_ptr<IoOwner>> owners_;
  std::size_t live_after_sweep_ = 32;
};

}  // namespace p2p::detail
