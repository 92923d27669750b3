// Endpoint addresses as JSON text: canonical writing, strict reading.

#include "test_support.hpp"

#include <p2p/endpoint_addr.hpp>

namespace p2p::testing {
namespace {

EndpointId sample_id() {
  std::array<std::uint8_t, 32> key{};
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(0xa0 + i);
  return EndpointId(key);
}

const std::string sample_hex = "a0a1a2a3a4a5a6a7a8a9aaabacadaeafb0b1b2b3b4b5b6b7b8b9babbbcbdbebf";

TEST(EndpointAddr, WritesCanonicalTextWhateverTheAddressOrder) {
  auto v4 = *parse_transport_addr("192.0.2.7:5000");
  auto lo = *parse_transport_addr("127.0.0.1:5000");
  auto v6 = *parse_transport_addr("[::1]:5000");
  const std::string expected =
      "{\"id\":\"" + sample_hex +
      "\",\"addrs\":[\"127.0.0.1:5000\",\"192.0.2.7:5000\",\"[::1]:5000\"]}";
  for (const auto& addrs :
       std::vector<std::vector<TransportAddr>>{{lo, v4, v6}, {v6, v4, lo}, {v4, v6, lo, v4, v6}}) {
    EXPECT_EQ((EndpointAddr{sample_id(), addrs}.to_json()), expected);
  }
}

TEST(EndpointAddr, RoundTripsThroughJson) {
  EndpointAddr addr{
      sample_id(), {*parse_transport_addr("10.1.2.3:1"), *parse_transport_addr("[fd00::2]:65535")}};
  auto text = addr.to_json();
  auto back = EndpointAddr::from_json(text);
  ASSERT_TRUE(back.ok()) << back.error().display();
  EXPECT_EQ(*back, addr);
  EXPECT_EQ(back->to_json(), text);

  // Any member order and upper-case hex are read; writing gives the canonical form again.
  std::string upper = sample_hex;
  for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  auto reordered = EndpointAddr::from_json(
      "{ \"addrs\" : [\"[fd00::2]:65535\", \"10.1.2.3:1\"], "
      "\"id\": \"" +
      upper + "\" }");
  ASSERT_TRUE(reordered.ok()) << reordered.error().display();
  EXPECT_EQ(reordered->to_json(), text);
}

TEST(EndpointAddr, RejectsMalformedText) {
  const std::string id = "\"id\":\"" + sample_hex + "\"";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "empty"},
      {"not json", "not JSON"},
      {"[]", "array"},
      {"\"" + sample_hex + "\"", "bare string"},
      {"{" + id + "}", "no addrs"},
      {"{\"addrs\":[]}", "no id"},
      {"{" + id + ",\"addrs\":[]", "truncated"},
      {"{" + id + ",\"addrs\":[]} x", "trailing text"},
      {"{" + id + ",\"addrs\":[],\"relay\":null}", "unknown member"},
      {"{" + id + "," + id + ",\"addrs\":[]}", "duplicate id"},
      {"{" + id + ",\"addrs\":[],\"addrs\":[\"1.2.3.4:5\"]}", "duplicate addrs"},
      {"{\"id\":\"" + sample_hex.substr(2) + "\",\"addrs\":[]}", "short id"},
      {"{\"id\":\"" + sample_hex + "00\",\"addrs\":[]}", "long id"},
      {"{\"id\":\"" + sample_hex.substr(1) + "g\",\"addrs\":[]}", "non-hex id"},
      {"{\"id\":7,\"addrs\":[]}", "numeric id"},
      {"{" + id + ",\"addrs\":\"1.2.3.4:5\"}", "addrs not an array"},
      {"{" + id + ",\"addrs\":[5]}", "address not a string"},
      {"{" + id + ",\"addrs\":[[\"1.2.3.4:5\"]]}", "nested array"},
      {"{" + id + ",\"addrs\":[\"1.2.3.4\"]}", "no port"},
      {"{" + id + ",\"addrs\":[\"1.2.3.4:0\"]}", "port 0"},
      {"{" + id + ",\"addrs\":[\"1.2.3.4:65536\"]}", "port too large"},
      {"{" + id + ",\"addrs\":[\"1.2.3.4:+5\"]}", "signed port"},
      {"{" + id + ",\"addrs\":[\"1.2.3.4:5x\"]}", "port with junk"},
      {"{" + id + ",\"addrs\":[\"host.example:5\"]}", "host name"},
      {"{" + id + ",\"addrs\":[\"::1:5\"]}", "IPv6 without brackets"},
      {"{" + id + ",\"addrs\":[\"[::1]5\"]}", "bracket without colon"},
      {"{" + id + ",\"addrs\":[\"[1.2.3.4]:5\"]}", "IPv4 in brackets"},
      {"{" + id + ",\"addrs\":[\"1.2.3.256:5\"]}", "bad IPv4"},
      {"{" + id + ",\"addrs\":[" + std::string(20000, ' ') + "]}", "oversized text"},
  };
  for (const auto& [text, what] : cases) {
    auto r = EndpointAddr::from_json(text);
    ASSERT_FALSE(r.ok()) << what;
    EXPECT_EQ(r.error().kind, ErrorKind::invalid_address) << what;
  }
}

TEST(EndpointAddr, BoundEndpointReportsItsSocketAddresses) {
  auto rt = start_runtime();
  auto loop = bind_endpoint(*rt, loopback_config());
  auto addr = loop.addr();
  EXPECT_EQ(addr.id, loop.id());
  ASSERT_EQ(addr.addrs.size(), 1u);
  EXPECT_EQ(addr.addrs[0].address(), asio::ip::make_address("127.0.0.1"));
  EXPECT_NE(addr.addrs[0].port(), 0);

  // Bound to every interface: loopback of both families is among the listed addresses, all on
  // the one port, and each start has a new identity.
  auto any = bind_endpoint(*rt, EndpointConfig{});
  auto all = any.addr();
  EXPECT_NE(all.id, loop.id());
  auto has = [&](const char* ip) {
    return std::any_of(all.addrs.begin(), all.addrs.end(),
                       [&](const auto& a) { return a.address() == asio::ip::make_address(ip); });
  };
  EXPECT_TRUE(has("127.0.0.1"));
  EXPECT_TRUE(has("::1"));
  for (const auto& a : all.addrs) EXPECT_EQ(a.port(), all.addrs[0].port());
  auto text = all.to_json();
  EXPECT_EQ(text, any.addr().to_json());
  EXPECT_EQ(EndpointAddr::from_json(text)->to_json(), text);
}

}  // namespace
}  // namespace p2p::testing
