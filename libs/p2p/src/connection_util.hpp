#pragma once
// Small helpers shared by the connection's source files.

#include "connection_core.hpp"

#include <string>

namespace p2p::detail {

// ngtcp2 hands our user pointer back to its callbacks.
inline ConnectionCore* self_of(void* user) {
  return static_cast<ConnectionCore*>(user);
}

inline Error lost(std::string message) {
  return Error{ErrorKind::connection_lost, std::move(message)};
}

}  // namespace p2p::detail
