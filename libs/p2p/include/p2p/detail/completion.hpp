#pragma once
// A move-only, type-erased one-shot completion handler. Completing posts the handler to its own
// associated executor, so a waiting task always resumes on its runtime and never inside our locks
// or on an endpoint's strand. Destroying an uncompleted Completion destroys the waiting task.

#include <asio/associated_executor.hpp>
#include <asio/post.hpp>

#include <memory>
#include <utility>

namespace p2p::detail {

template <class T>
class Completion {
 public:
  Completion() = default;

  template <class Handler>
  explicit Completion(Handler&& handler)
      : impl_(std::make_unique<Impl<std::decay_t<Handler>>>(std::forward<Handler>(handler))) {}

  explicit operator bool() const { return impl_ != nullptr; }

  void complete(T value) {
    auto impl = std::move(impl_);
    if (impl) impl->complete(std::move(value));
  }

 private:
  struct Base {
    virtual ~Base() = default;
    virtual void complete(T value) = 0;
  };

  template <class Handler>
  struct Impl final : Base {
    explicit Impl(Handler h) : handler(std::move(h)) {}
    void complete(T value) override {
      auto ex = asio::get_associated_executor(handler);
      asio::post(ex, [h = std::move(handler), v = std::move(value)]() mutable {
        std::move(h)(std::move(v));
      });
    }
    Handler handler;
  };

  std::unique_ptr<Base> impl_;
};

}  // namespace p2p::detail
