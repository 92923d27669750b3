#include <p2p/endpoint_addr.hpp>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <set>
#include <tuple>

namespace p2p {
namespace {

// Tickets are small; the bounds keep a hostile text from costing much.
constexpr std::size_t max_json_bytes = 16 * 1024;
constexpr std::size_t max_addrs = 64;

Error bad(std::string message) {
  return Error{ErrorKind::invalid_address, std::move(message)};
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Sort key: family, address bytes, port.
auto addr_key(const TransportAddr& a) {
  auto ip = a.address();
  std::array<unsigned char, 16> bytes{};
  if (ip.is_v4()) {
    auto b4 = ip.to_v4().to_bytes();
    std::copy(b4.begin(), b4.end(), bytes.begin());
  } else {
    bytes = ip.to_v6().to_bytes();
  }
  return std::make_tuple(ip.is_v4() ? 0 : 1, bytes, ip.is_v6() ? ip.to_v6().scope_id() : 0,
                         a.port());
}

}  // namespace

Result<EndpointId> EndpointId::from_hex(std::string_view text) {
  if (text.size() != 2 * size) return bad("endpoint id must be 64 hex digits");
  std::array<std::uint8_t, size> key{};
  for (std::size_t i = 0; i < size; ++i) {
    int hi = hex_value(text[2 * i]);
    int lo = hex_value(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return bad("endpoint id must be 64 hex digits");
    key[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return EndpointId(key);
}

std::string EndpointId::to_hex() const {
  static constexpr char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(2 * size);
  for (auto b : key_) {
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
  }
  return out;
}

std::string transport_addr_text(const TransportAddr& addr) {
  auto ip = addr.address();
  // Built by appending: g++ 12 at -O3 warns falsely on chains of operator+ here.
  std::string out;
  if (ip.is_v6()) out.push_back('[');
  out.append(ip.to_string());
  if (ip.is_v6()) out.push_back(']');
  out.push_back(':');
  out.append(std::to_string(addr.port()));
  return out;
}

Result<TransportAddr> parse_transport_addr(std::string_view text) {
  std::string_view host;
  std::string_view port;
  if (!text.empty() && text.front() == '[') {
    auto close = text.find(']');
    if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':') {
      return bad("malformed socket address");
    }
    host = text.substr(1, close - 1);
    port = text.substr(close + 2);
  } else {
    auto colon = text.rfind(':');
    if (colon == std::string_view::npos) return bad("socket address has no port");
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (host.find(':') != std::string_view::npos) return bad("IPv6 address needs brackets");
  }
  unsigned value = 0;
  auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (port.empty() || ec != std::errc() || end != port.data() + port.size() || value == 0 ||
      value > 65535 || port.front() == '+') {
    return bad("malformed port");
  }
  asio::error_code aec;
  asio::ip::address ip;
  if (text.front() == '[') {
    ip = asio::ip::make_address_v6(std::string(host), aec);
  } else {
    ip = asio::ip::make_address_v4(std::string(host), aec);
  }
  if (aec) return bad("malformed IP address");
  return TransportAddr(ip, static_cast<unsigned short>(value));
}

std::string EndpointAddr::to_json() const {
  std::vector<TransportAddr> sorted = addrs;
  std::sort(sorted.begin(), sorted.end(),
            [](const auto& a, const auto& b) { return addr_key(a) < addr_key(b); });
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  nlohmann::ordered_json j;
  j["id"] = id.to_hex();
  j["addrs"] = nlohmann::ordered_json::array();
  for (const auto& a : sorted) j["addrs"].push_back(transport_addr_text(a));
  return j.dump();
}

Result<EndpointAddr> EndpointAddr::from_json(std::string_view text) {
  if (text.size() > max_json_bytes) return bad("address text too long");
  // The DOM parser keeps the last of duplicate members silently; refuse them while parsing.
  std::vector<std::set<std::string>> keys_by_depth(4);
  bool duplicate = false;
  bool too_deep = false;
  auto check = [&](int depth, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
    if (depth >= 3) {
      too_deep = true;
      return false;
    }
    if (event == nlohmann::json::parse_event_t::object_start) {
      keys_by_depth[static_cast<std::size_t>(depth) + 1].clear();
    } else if (event == nlohmann::json::parse_event_t::key) {
      auto& seen = keys_by_depth[static_cast<std::size_t>(depth)];
      if (!seen.insert(parsed.get<std::string>()).second) duplicate = true;
    }
    return true;
  };
  auto j = nlohmann::json::parse(text.begin(), text.end(), check, /*allow_exceptions=*/false);
  if (duplicate) return bad("duplicate member in address");
  if (too_deep) return bad("address nested too deeply");
  if (j.is_discarded()) return bad("address is not valid JSON");
  if (!j.is_object()) return bad("address must be a JSON object");
  for (const auto& [key, value] : j.items()) {
    if (key != "id" && key != "addrs") return bad("unknown member \"" + key + "\" in address");
  }
  auto id_it = j.find("id");
  auto addrs_it = j.find("addrs");
  if (id_it == j.end()) return bad("address has no id");
  if (addrs_it == j.end()) return bad("address has no addrs");
  if (!id_it->is_string()) return bad("id must be a string");
  if (!addrs_it->is_array()) return bad("addrs must be an array");
  if (addrs_it->size() > max_addrs) return bad("too many transport addresses");

  auto id = EndpointId::from_hex(id_it->get_ref<const std::string&>());
  if (!id) return id.error();
  EndpointAddr out{*id, {}};
  for (const auto& entry : *addrs_it) {
    if (!entry.is_string()) return bad("transport address must be a string");
    auto addr = parse_transport_addr(entry.get_ref<const std::string&>());
    if (!addr) return addr.error();
    out.addrs.push_back(*addr);
  }
  return out;
}

}  // namespace p2p
