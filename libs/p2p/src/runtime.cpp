#include <p2p/detail/shutdown_hooks.hpp>
#include <p2p/runtime.hpp>

#include <asio/detached.hpp>

#include <exception>
#include <system_error>

namespace p2p {

Result<std::unique_ptr<Runtime>> Runtime::start(std::size_t worker_threads) {
  if (worker_threads == 0) worker_threads = 1;
  auto rt = std::make_unique<Runtime>(Private{});
  rt->io_ = std::make_unique<asio::io_context>(static_cast<int>(worker_threads));
  rt->work_.emplace(rt->io_->get_executor());
  try {
    for (std::size_t i = 0; i < worker_threads; ++i) {
      rt->threads_.emplace_back([io = rt->io_.get()] { io->run(); });
    }
  } catch (const std::system_error& e) {
    return Error{ErrorKind::io, std::string("cannot start worker thread: ") + e.what()};
  }
  return rt;
}

Runtime::~Runtime() {
  work_.reset();
  io_->stop();
  for (auto& t : threads_) t.join();
  // With no thread running: release what endpoints and queues hold of this io_context, then let
  // the io_context destroy the handlers (and with them the suspended tasks) still queued.
  asio::use_service<detail::ShutdownHooks>(*io_).run_all();
  io_.reset();
}

void Runtime::spawn(Task<void> task) {
  asio::co_spawn(executor(), std::move(task), [](std::exception_ptr) {});
}

}  // namespace p2p
