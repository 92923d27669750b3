// A handshake and streams with an independent QUIC implementation: the HTTP/3 example server
// that ships with ngtcp2 (Debian package ngtcp2-server), given an Ed25519 certificate made by
// openssl. Skipped when either program is missing.

#include "test_support.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace p2p::testing {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> find_program(const std::string& name) {
  for (const char* dir : {"/usr/sbin", "/usr/bin", "/usr/local/bin", "/usr/local/sbin"}) {
    fs::path p = fs::path(dir) / name;
    if (access(p.c_str(), X_OK) == 0) return p;
  }
  return std::nullopt;
}

int run_quiet(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str());
}

// The server process, stopped and reaped when the test ends.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv, const fs::path& log) {
    pid_ = fork();
    if (pid_ == 0) {
      int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
      }
      std::vector<char*> args;
      for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
  }
  ~ChildProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  bool started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

std::uint16_t free_udp_port() {
  asio::io_context io;
  asio::ip::udp::socket s(io, TransportAddr(asio::ip::make_address("127.0.0.1"), 0));
  return s.local_endpoint().port();
}

TEST(Interop, HandshakeAndStreamsWithTheNgtcp2ExampleServer) {
  auto server = find_program("gtlsserver");
  if (!server) GTEST_SKIP() << "gtlsserver (Debian package ngtcp2-server) is not installed";
  if (run_quiet("openssl version") != 0) GTEST_SKIP() << "openssl is not installed";

  fs::path dir = fs::temp_directory_path() / ("p2p-interop-" + std::to_string(getpid()));
  fs::create_directories(dir);
  struct Cleanup {
    fs::path dir;
    ~Cleanup() {
      std::error_code ec;
      fs::remove_all(dir, ec);
    }
  } cleanup{dir};
  auto key = dir / "key.pem";
  auto cert = dir / "cert.pem";
  auto pub = dir / "pub.der";
  ASSERT_EQ(run_quiet("openssl genpkey -algorithm ed25519 -out " + key.string()), 0);
  ASSERT_EQ(run_quiet("openssl req -x509 -new -key " + key.string() +
                      " -subj /CN=interop -days 1 -out " + cert.string()),
            0);
  ASSERT_EQ(
      run_quiet("openssl pkey -in " + key.string() + " -pubout -outform DER -out " + pub.string()),
      0);
  std::ifstream in(pub, std::ios::binary);
  std::vector<char> der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(der.size(), 32u);
  std::array<std::uint8_t, 32> raw{};
  std::copy(der.end() - 32, der.end(), raw.begin());  // SubjectPublicKeyInfo ends with the key
  EndpointId server_id(raw);

  std::uint16_t port = free_udp_port();
  ChildProcess child({server->string(), "-q", "--timeout=5s", "127.0.0.1", std::to_string(port),
                      key.string(), cert.string()},
                     dir / "server.log");
  ASSERT_TRUE(child.started());

  auto rt = start_runtime();
  auto config = loopback_config();
  config.handshake_timeout = 500ms;
  auto ep = bind_endpoint(*rt, config);
  EndpointAddr addr{server_id, {TransportAddr(asio::ip::make_address("127.0.0.1"), port)}};

  auto session = [](Endpoint ep, EndpointAddr addr) -> Task<Result<std::uint8_t>> {
    // The server needs a moment to start listening.
    Result<Connection> conn = Error{ErrorKind::timed_out, "server did not answer"};
    for (int attempt = 0; attempt < 8 && !conn; ++attempt) {
      conn = co_await ep.connect(addr, "h3");
    }
    if (!conn) co_return conn.error();
    if (conn->remote_id() != addr.id || conn->alpn() != "h3") {
      co_return Error{ErrorKind::authentication, "unexpected peer"};
    }
    // Our HTTP/3 control stream: stream type 0, then an empty SETTINGS frame.
    auto out = co_await conn->open_uni();
    if (!out) co_return out.error();
    const std::uint8_t control[] = {0x00, 0x04, 0x00};
    if (auto w = co_await out->write_all(control); !w) co_return w.error();
    // The server opens its own control stream; its first byte is the stream type 0.
    auto in = co_await conn->accept_uni();
    if (!in) co_return in.error();
    auto type = co_await in->read_exact(1);
    if (!type) co_return type.error();
    co_return (*type)[0];
  };
  auto got = run_for(*rt, session(ep, addr), 8000ms);
  ASSERT_TRUE(got.has_value());
  ASSERT_TRUE(got->ok()) << got->error().display();
  EXPECT_EQ(**got, 0x00);

  // The same server under another id is refused by our side of the handshake.
  auto other = bind_endpoint(*rt, loopback_config());
  EndpointAddr wrong{other.id(), addr.addrs};
  auto dial = [](Endpoint ep, EndpointAddr addr) -> Task<Result<Connection>> {
    co_return co_await ep.connect(addr, "h3");
  };
  auto refused = run_for(*rt, dial(ep, wrong));
  ASSERT_TRUE(refused.has_value());
  ASSERT_FALSE(refused->ok());
  EXPECT_EQ(refused->error().kind, ErrorKind::authentication) << refused->error().display();
}

}  // namespace
}  // namespace p2p::testing
