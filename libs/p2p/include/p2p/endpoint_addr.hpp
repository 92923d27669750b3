#pragma once
// Endpoint identity and addresses.
//
// An endpoint is named by its Ed25519 public key (EndpointId). An EndpointAddr is that id plus the
// UDP socket addresses the endpoint can be reached at. Its JSON text is the form peers exchange:
//
//   {"id":"<64 lower-case hex digits>","addrs":["127.0.0.1:40123","[::1]:40123"]}
//
// Writing is canonical (addresses sorted and without duplicates, no spaces), so one address always
// gives the same bytes and texts can be compared as strings. Reading accepts any member order and
// address order but nothing else: unknown or duplicate members, a malformed id, port 0 or a
// non-numeric host are errors.

#include <p2p/result.hpp>

#include <asio/ip/udp.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace p2p {

class EndpointId {
 public:
  static constexpr std::size_t size = 32;

  EndpointId() = default;
  explicit EndpointId(const std::array<std::uint8_t, size>& key) : key_(key) {}

  // 64 lower-case hex digits; upper-case digits are accepted when reading.
  static Result<EndpointId> from_hex(std::string_view text);
  std::string to_hex() const;

  const std::array<std::uint8_t, size>& bytes() const { return key_; }
  friend bool operator==(const EndpointId&, const EndpointId&) = default;
  friend auto operator<=>(const EndpointId&, const EndpointId&) = default;

 private:
  std::array<std::uint8_t, size> key_{};
};

// A UDP socket address at which an endpoint accepts packets.
using TransportAddr = asio::ip::udp::endpoint;

// "1.2.3.4:5" or "[::1]:5".
std::string transport_addr_text(const TransportAddr& addr);
Result<TransportAddr> parse_transport_addr(std::string_view text);

struct EndpointAddr {
  EndpointId id;
  std::vector<TransportAddr> addrs;

  std::string to_json() const;
  static Result<EndpointAddr> from_json(std::string_view text);

  friend bool operator==(const EndpointAddr&, const EndpointAddr&) = default;
};

}  // namespace p2p
