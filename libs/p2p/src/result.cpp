#include <p2p/result.hpp>

namespace p2p {

const char* kind_name(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::io:
      return "i/o error";
    case ErrorKind::invalid_address:
      return "invalid address";
    case ErrorKind::tls:
      return "TLS handshake failed";
    case ErrorKind::authentication:
      return "authentication failed";
    case ErrorKind::protocol_refused:
      return "protocol refused";
    case ErrorKind::timed_out:
      return "timed out";
    case ErrorKind::connection_lost:
      return "connection lost";
    case ErrorKind::stream_finished:
      return "stream finished";
    case ErrorKind::stream_reset:
      return "stream reset";
    case ErrorKind::closed:
      return "closed";
  }
  return "error";
}

std::string Error::display() const {
  std::string text = kind_name(kind);
  if (!message.empty()) {
    text += ": ";
    text += message;
  }
  return text;
}

}  // namespace p2p
