// Streams of a connection: opening and accepting them, moving written data into the
// connection, giving received data to readers, and the stream events of ngtcp2.

#include "access.hpp"
#include "connection_core.hpp"
#include "connection_util.hpp"
#include "endpoint_core.hpp"

#include <algorithm>

namespace p2p::detail {

// ---- application operations ----

void ConnectionCore::open_uni(std::shared_ptr<ConnectionHold> hold,
                              Completion<Result<SendStream>> done) {
  if (dead()) return done.complete(*failure_);
  std::int64_t id = -1;
  int rv = ngtcp2_conn_open_uni_stream(conn_.get(), &id, nullptr);
  if (rv == NGTCP2_ERR_STREAM_ID_BLOCKED) {
    open_waiters_.push_back({std::move(hold), std::move(done)});
    return;
  }
  if (rv != 0) return done.complete(lost(ngtcp2_strerror(rv)));
  auto& st = sends_[id];
  done.complete(Access::send_stream(std::move(hold), st.shared, id));
}

void ConnectionCore::serve_open_waiters() {
  while (!open_waiters_.empty() && !dead()) {
    std::int64_t id = -1;
    int rv = ngtcp2_conn_open_uni_stream(conn_.get(), &id, nullptr);
    if (rv == NGTCP2_ERR_STREAM_ID_BLOCKED) return;
    auto w = std::move(open_waiters_.front());
    open_waiters_.pop_front();
    if (rv != 0) {
      w.done.complete(lost(ngtcp2_strerror(rv)));
      continue;
    }
    auto& st = sends_[id];
    w.done.complete(Access::send_stream(std::move(w.hold), st.shared, id));
  }
}

void ConnectionCore::accept_uni(std::shared_ptr<ConnectionHold> hold,
                                Completion<Result<RecvStream>> done) {
  while (!incoming_.empty()) {
    std::int64_t id = incoming_.front();
    incoming_.pop_front();
    auto it = recvs_.find(id);
    if (it == recvs_.end()) continue;
    return done.complete(Access::recv_stream(std::move(hold), it->second.shared, id));
  }
  if (dead()) return done.complete(*failure_);
  accept_waiters_.push_back({std::move(hold), std::move(done)});
}

void ConnectionCore::drain_inbox(SendState& st) {
  std::lock_guard lock(st.shared->mutex);
  for (auto& b : st.shared->inbox) st.blocks.push_back(std::move(b));
  st.shared->inbox.clear();
  st.shared->drain_posted = false;
  st.queued = st.shared->queued;
}

void ConnectionCore::drain_send(std::int64_t stream) {
  if (sends_.count(stream) == 0 || dead()) return;
  flush();
}

void ConnectionCore::write_slow(std::int64_t stream, Bytes data, Completion<Result<void>> done) {
  auto it = sends_.find(stream);
  if (it == sends_.end()) return done.complete(Error{ErrorKind::closed, "stream closed"});
  SendState& st = it->second;
  drain_inbox(st);
  std::optional<Error> error;
  bool completes_now = false;
  {
    std::lock_guard lock(st.shared->mutex);
    if (st.shared->error) {
      error = st.shared->error;
    } else {
      if (!data.empty()) {
        std::uint64_t size = data.size();
        st.blocks.push_back({st.shared->queued, std::move(data)});
        st.shared->queued += size;
      }
      st.queued = st.shared->queued;
      completes_now = st.queued <= st.acked + send_high_water;
    }
    if (error || completes_now) --st.shared->slow_writes;
  }
  if (error) return done.complete(*error);
  if (completes_now) {
    done.complete({});
  } else {
    st.waiters.push_back({st.queued, std::move(done)});
  }
  ep_.flush_later(shared_from_this());
}

void ConnectionCore::finish(std::int64_t stream) {
  auto it = sends_.find(stream);
  if (it == sends_.end() || dead()) return;
  drain_inbox(it->second);
  it->second.fin_requested = true;
  ep_.flush_later(shared_from_this());
}

void ConnectionCore::release_acked(SendState& st) {
  while (!st.blocks.empty() &&
         st.blocks.front().offset + st.blocks.front().data.size() <= st.acked) {
    st.blocks.pop_front();
  }
  std::size_t completed = 0;
  while (!st.waiters.empty() && st.waiters.front().end <= st.acked + send_high_water) {
    st.waiters.front().done.complete({});
    st.waiters.pop_front();
    ++completed;
  }
  std::lock_guard lock(st.shared->mutex);
  st.shared->acked = st.acked;
  st.shared->slow_writes -= completed;
}

void ConnectionCore::fail_send(SendState& st, const Error& error) {
  if (!st.error) st.error = error;
  for (auto& w : st.waiters) w.done.complete(*st.error);
  std::lock_guard lock(st.shared->mutex);
  if (!st.shared->error) st.shared->error = *st.error;
  st.shared->slow_writes -= st.waiters.size();
  st.waiters.clear();
}

void ConnectionCore::read_exact(std::int64_t stream, std::size_t n,
                                Completion<Result<Bytes>> done) {
  auto it = recvs_.find(stream);
  if (it == recvs_.end()) return done.complete(Error{ErrorKind::closed, "stream closed"});
  it->second.waiters.push_back({n, std::move(done)});
  deliver_reads(stream, it->second);
}

void ConnectionCore::deliver_reads(std::int64_t id, RecvState& st) {
  std::uint64_t credit = 0;
  {
    std::lock_guard lock(st.shared->mutex);
    RecvShared& sh = *st.shared;
    while (!st.waiters.empty()) {
      auto& w = st.waiters.front();
      if (sh.buffered >= w.n) {
        w.done.complete(take_bytes(sh, w.n));
      } else if (sh.fin) {
        w.done.complete(finished_early(sh.buffered, w.n));
      } else if (sh.error) {
        w.done.complete(*sh.error);
      } else {
        break;
      }
      st.waiters.pop_front();
      --sh.slow_reads;
    }
    if (sh.unreported >= credit_step) {
      credit = sh.unreported;
      sh.unreported = 0;
    }
  }
  extend_credit(id, credit);
}

void ConnectionCore::report_credit(std::int64_t stream) {
  auto it = recvs_.find(stream);
  if (it == recvs_.end()) return;
  std::uint64_t credit = 0;
  {
    std::lock_guard lock(it->second.shared->mutex);
    credit = it->second.shared->unreported;
    it->second.shared->unreported = 0;
    it->second.shared->credit_posted = false;
  }
  extend_credit(stream, credit);
}

void ConnectionCore::extend_credit(std::int64_t id, std::uint64_t bytes) {
  if (bytes == 0 || dead()) return;
  ngtcp2_conn_extend_max_stream_offset(conn_.get(), id, bytes);
  ngtcp2_conn_extend_max_offset(conn_.get(), bytes);
  ep_.flush_later(shared_from_this());
}

void ConnectionCore::send_stream_dropped(std::int64_t stream) {
  auto it = sends_.find(stream);
  if (it == sends_.end()) return;
  drain_inbox(it->second);
  if (!it->second.fin_requested && !it->second.error && !dead()) {
    it->second.fin_requested = true;
    ep_.flush_later(shared_from_this());
  }
}

void ConnectionCore::recv_stream_dropped(std::int64_t stream) {
  auto it = recvs_.find(stream);
  if (it == recvs_.end()) return;
  bool ended = false;
  std::uint64_t unread = 0;
  {
    std::lock_guard lock(it->second.shared->mutex);
    ended = it->second.shared->fin || it->second.shared->error;
    unread = it->second.shared->buffered + it->second.shared->unreported;
  }
  recvs_.erase(it);
  if (dead()) return;
  if (!ended) ngtcp2_conn_shutdown_stream_read(conn_.get(), stream, 0);
  // Unread bytes still count against the connection window.
  if (unread > 0) ngtcp2_conn_extend_max_offset(conn_.get(), unread);
  ep_.flush_later(shared_from_this());
}

// ---- ngtcp2 callbacks (inside read_pkt / handle_expiry / writev_stream) ----

int ConnectionCore::on_recv_stream_data(ngtcp2_conn*, std::uint32_t flags, std::int64_t id,
                                        std::uint64_t, const std::uint8_t* data, std::size_t len,
                                        void* user, void*) {
  auto* self = self_of(user);
  auto it = self->recvs_.find(id);
  if (it == self->recvs_.end()) {
    // The reader is gone: give the credit back so the rest of the connection keeps moving.
    ngtcp2_conn_extend_max_stream_offset(self->conn_.get(), id, len);
    ngtcp2_conn_extend_max_offset(self->conn_.get(), len);
    return 0;
  }
  RecvState& st = it->second;
  {
    std::lock_guard lock(st.shared->mutex);
    if (len > 0) {
      st.shared->chunks.emplace_back(data, data + len);
      st.shared->buffered += len;
    }
    if (flags & NGTCP2_STREAM_DATA_FLAG_FIN) st.shared->fin = true;
  }
  self->deliver_reads(id, st);
  return 0;
}

int ConnectionCore::on_stream_open(ngtcp2_conn*, std::int64_t id, void* user) {
  auto* self = self_of(user);
  if (ngtcp2_is_bidi_stream(id)) return 0;
  auto& st = self->recvs_[id];
  if (!self->accept_waiters_.empty()) {
    auto w = std::move(self->accept_waiters_.front());
    self->accept_waiters_.pop_front();
    w.done.complete(Access::recv_stream(std::move(w.hold), st.shared, id));
  } else {
    self->incoming_.push_back(id);
  }
  return 0;
}

int ConnectionCore::on_acked(ngtcp2_conn*, std::int64_t id, std::uint64_t offset, std::uint64_t len,
                             void* user, void*) {
  auto* self = self_of(user);
  auto it = self->sends_.find(id);
  if (it == self->sends_.end()) return 0;
  it->second.acked = std::max(it->second.acked, offset + len);
  self->release_acked(it->second);
  return 0;
}

int ConnectionCore::on_stream_close(ngtcp2_conn*, std::uint32_t flags, std::int64_t id,
                                    std::uint64_t app_error, void* user, void*) {
  auto* self = self_of(user);
  if (auto it = self->sends_.find(id); it != self->sends_.end()) {
    SendState& st = it->second;
    st.closed = true;
    if (flags & NGTCP2_STREAM_CLOSE_FLAG_APP_ERROR_CODE_SET) {
      self->fail_send(st, Error{ErrorKind::stream_reset,
                                "peer stopped the stream with code " + std::to_string(app_error)});
    } else {
      // Everything was acknowledged; later writes are refused.
      self->fail_send(st, Error{ErrorKind::closed, "stream already finished"});
    }
  }
  if (auto it = self->recvs_.find(id); it != self->recvs_.end()) {
    {
      std::lock_guard lock(it->second.shared->mutex);
      RecvShared& sh = *it->second.shared;
      if (!sh.fin && !sh.error) {
        sh.error = Error{ErrorKind::stream_reset,
                         "peer reset the stream with code " + std::to_string(app_error)};
      }
    }
    self->deliver_reads(id, it->second);
  }
  return 0;
}

int ConnectionCore::on_stream_reset(ngtcp2_conn*, std::int64_t id, std::uint64_t,
                                    std::uint64_t app_error, void* user, void*) {
  auto* self = self_of(user);
  if (auto it = self->recvs_.find(id); it != self->recvs_.end()) {
    {
      std::lock_guard lock(it->second.shared->mutex);
      RecvShared& sh = *it->second.shared;
      if (!sh.error) {
        sh.error = Error{ErrorKind::stream_reset,
                         "peer reset the stream with code " + std::to_string(app_error)};
      }
      sh.fin = false;
    }
    self->deliver_reads(id, it->second);
  }
  return 0;
}

int ConnectionCore::on_stream_stop_sending(ngtcp2_conn*, std::int64_t id, std::uint64_t app_error,
                                           void* user, void*) {
  auto* self = self_of(user);
  if (auto it = self->sends_.find(id); it != self->sends_.end()) {
    self->fail_send(it->second,
                    Error{ErrorKind::stream_reset,
                          "peer stopped the stream with code " + std::to_string(app_error)});
  }
  return 0;
}

}  // namespace p2p::detail
