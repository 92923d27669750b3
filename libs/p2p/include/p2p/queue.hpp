#pragma once
// Bounded multi-producer, single-consumer queue between threads and tasks.
//
// try_send and try_recv never wait and tell "full"/"empty" apart from "closed". The queue is closed
// for senders once the Receiver is dropped, and for the receiver once every copy of the Sender is
// dropped (values sent before that are still delivered). recv() lets a task wait for a value; a
// task parked there is destroyed when its runtime is dropped.

#include <p2p/detail/completion.hpp>
#include <p2p/detail/shutdown_hooks.hpp>
#include <p2p/runtime.hpp>

#include <asio/async_result.hpp>
#include <asio/execution/context.hpp>
#include <asio/query.hpp>
#include <asio/use_awaitable.hpp>

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace p2p {

enum class SendStatus { accepted, full, closed };
enum class RecvStatus { value, empty, closed };

template <class T>
struct TryRecv {
  RecvStatus status;
  std::optional<T> value;  // set when status is RecvStatus::value
};

namespace detail {

template <class T>
class QueueState final : public IoOwner, public std::enable_shared_from_this<QueueState<T>> {
 public:
  explicit QueueState(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

  SendStatus try_send(T value) {
    Completion<std::optional<T>> waiter;
    {
      std::lock_guard lock(mutex_);
      if (!receiver_alive_) return SendStatus::closed;
      if (items_.size() >= capacity_) return SendStatus::full;
      if (!waiter_) {
        items_.push_back(std::move(value));
        return SendStatus::accepted;
      }
      waiter = std::move(waiter_);
    }
    waiter.complete(std::move(value));
    return SendStatus::accepted;
  }

  TryRecv<T> try_recv() {
    std::lock_guard lock(mutex_);
    if (!items_.empty()) {
      TryRecv<T> out{RecvStatus::value, std::move(items_.front())};
      items_.pop_front();
      return out;
    }
    return {senders_alive_ ? RecvStatus::empty : RecvStatus::closed, std::nullopt};
  }

  template <class Handler>
  void recv(Handler&& handler) {
    auto ex = asio::get_associated_executor(handler);
    Completion<std::optional<T>> done(std::forward<Handler>(handler));
    std::optional<T> value;
    bool register_hook = false;
    {
      std::lock_guard lock(mutex_);
      if (!items_.empty()) {
        value = std::move(items_.front());
        items_.pop_front();
      } else if (senders_alive_) {
        waiter_ = std::move(done);
        register_hook = !hooked_;
        hooked_ = true;
      }
    }
    if (register_hook) {
      asio::use_service<ShutdownHooks>(asio::query(ex, asio::execution::context))
          .add(this->weak_from_this());
    }
    if (done) done.complete(std::move(value));
  }

  void sender_gone() {
    Completion<std::optional<T>> waiter;
    {
      std::lock_guard lock(mutex_);
      senders_alive_ = false;
      waiter = std::move(waiter_);
    }
    waiter.complete(std::nullopt);
  }

  void receiver_gone() {
    std::deque<T> dropped;  // destroyed outside the lock
    std::lock_guard lock(mutex_);
    receiver_alive_ = false;
    dropped.swap(items_);
  }

  void release_io() override {
    Completion<std::optional<T>> waiter;
    std::lock_guard lock(mutex_);
    waiter = std::move(waiter_);
    hooked_ = false;
    // `waiter` is destroyed after the lock is released (declared first).
  }

 private:
  std::mutex mutex_;
  std::deque<T> items_;
  std::size_t capacity_;
  bool senders_alive_ = true;
  bool receiver_alive_ = true;
  bool hooked_ = false;
  Completion<std::optional<T>> waiter_;
};

template <class T>
struct SenderToken {
  explicit SenderToken(std::shared_ptr<QueueState<T>> s) : state(std::move(s)) {}
  ~SenderToken() { state->sender_gone(); }
  SenderToken(const SenderToken&) = delete;
  SenderToken& operator=(const SenderToken&) = delete;
  std::shared_ptr<QueueState<T>> state;
};

}  // namespace detail

template <class T>
class Sender;
template <class T>
class Receiver;
template <class T>
std::pair<Sender<T>, Receiver<T>> bounded_queue(std::size_t capacity);

template <class T>
class Sender {
 public:
  SendStatus try_send(T value) const { return token_->state->try_send(std::move(value)); }

 private:
  template <class U>
  friend std::pair<Sender<U>, Receiver<U>> bounded_queue(std::size_t);
  explicit Sender(std::shared_ptr<detail::QueueState<T>> s)
      : token_(std::make_shared<detail::SenderToken<T>>(std::move(s))) {}

  std::shared_ptr<detail::SenderToken<T>> token_;
};

template <class T>
class Receiver {
 public:
  Receiver(Receiver&&) noexcept = default;
  Receiver& operator=(Receiver&& other) noexcept {
    if (this != &other) {
      if (state_) state_->receiver_gone();
      state_ = std::move(other.state_);
    }
    return *this;
  }
  ~Receiver() {
    if (state_) state_->receiver_gone();
  }

  TryRecv<T> try_recv() const { return state_->try_recv(); }

  // Waits for the next value; nullopt once the queue is closed and empty.
  Task<std::optional<T>> recv() const {
    return asio::async_initiate<const asio::use_awaitable_t<>&, void(std::optional<T>)>(
        [state = state_](auto handler) { state->recv(std::move(handler)); }, asio::use_awaitable);
  }

 private:
  template <class U>
  friend std::pair<Sender<U>, Receiver<U>> bounded_queue(std::size_t);
  explicit Receiver(std::shared_ptr<detail::QueueState<T>> s) : state_(std::move(s)) {}

  std::shared_ptr<detail::QueueState<T>> state_;
};

template <class T>
std::pair<Sender<T>, Receiver<T>> bounded_queue(std::size_t capacity) {
  auto state = std::make_shared<detail::QueueState<T>>(capacity);
  return {Sender<T>(state), Receiver<T>(state)};
}

}  // namespace p2p
