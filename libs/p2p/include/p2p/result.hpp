#pragma once
// Errors as values: every fallible operation of p2p gives a Result.

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace p2p {

enum class ErrorKind {
  io,                // a socket or system call failed
  invalid_address,   // an address or its JSON text is malformed or unusable
  tls,               // the TLS handshake failed for a reason other than those below
  authentication,    // the peer's key is not the endpoint id that was dialled
  protocol_refused,  // the peer accepts no connection under the requested ALPN
  timed_out,         // handshake or idle timeout
  connection_lost,   // the peer closed the connection or it failed
  stream_finished,   // the stream ended before the requested bytes arrived
  stream_reset,      // the peer abandoned the stream
  closed,            // closed locally: connection, endpoint or runtime is gone
};

struct Error {
  ErrorKind kind;
  std::string message;

  // The text shown to a person, e.g. "timed out: idle timeout".
  std::string display() const;
};

template <class T>
class [[nodiscard]] Result {
 public:
  // Only for frameworks that need a placeholder (a task that ended by an exception gives this).
  Result() : v_(Error{ErrorKind::closed, "no result"}) {}
  Result(T value) : v_(std::move(value)) {}
  Result(Error error) : v_(std::move(error)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }

  const Error& error() const { return std::get<1>(v_); }

 private:
  std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)) {}

  bool ok() const { return !error_; }
  explicit operator bool() const { return ok(); }
  const Error& error() const { return *error_; }

 private:
  std::optional<Error> error_;
};

const char* kind_name(ErrorKind kind);

}  // namespace p2p
