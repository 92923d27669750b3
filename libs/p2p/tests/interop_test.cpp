// A handshake and streams with an independent QUIC implementation: the HTTP/3 example server
// that ships with ngtcp2 (Debian package ngtcp2-server), given an Ed25519 certificate made by
// openssl. Skipped when either program is missing.

#include "test_support.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

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
    // Everything the child needs is prepared before fork: other threads may hold locks.
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_ = fork();
    if (pid_ == 0) {
      if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
      }
      execv(args[0], args.data());
      _exit(127);
    }
    if (fd >= 0) close(fd);
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

// An Ed25519 key and self-signed certificate made by openssl, in a directory removed afterwards.
struct OpensslIdentity {
  OpensslIdentity() {
    dir = fs::temp_directory_path() /
          ("p2p-interop-" + std::to_string(getpid()) + "-" + std::to_string(next_serial()));
    fs::create_directories(dir);
    key = dir / "key.pem";
    cert = dir / "cert.pem";
    auto pub = dir / "pub.der";
    ok = run_quiet("openssl genpkey -algorithm ed25519 -out " + key.string()) == 0 &&
         run_quiet("openssl req -x509 -new -key " + key.string() +
                   " -subj /CN=interop -days 1 -out " + cert.string()) == 0 &&
         run_quiet("openssl pkey -in " + key.string() + " -pubout -outform DER -out " +
                   pub.string()) == 0;
    std::ifstream in(pub, std::ios::binary);
    std::vector<char> der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ok = ok && der.size() >= 32;
    if (ok) {
      std::array<std::uint8_t, 32> raw{};
      std::copy(der.end() - 32, der.end(), raw.begin());  // SubjectPublicKeyInfo ends with it
      id = EndpointId(raw);
    }
  }
  ~OpensslIdentity() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  static int next_serial() {
    static std::atomic<int> n{0};
    return ++n;
  }
  fs::path dir, key, cert;
  EndpointId id;
  bool ok = false;
};

TEST(Interop, HandshakeAndStreamsWithTheNgtcp2ExampleServer) {
  auto server = find_program("gtlsserver");
  if (!server) GTEST_SKIP() << "gtlsserver (Debian package ngtcp2-server) is not installed";
  if (run_quiet("openssl version") != 0) GTEST_SKIP() << "openssl is not installed";
  OpensslIdentity identity;
  ASSERT_TRUE(identity.ok);
  const fs::path& dir = identity.dir;
  const fs::path& key = identity.key;
  const fs::path& cert = identity.cert;
  EndpointId server_id = identity.id;

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

namespace p2p::testing {
namespace {

// The other direction: the example client dials our endpoint with its own Ed25519 certificate;
// our router hands the connection over with the client's key as its id.
TEST(Interop, Ngtcp2ExampleClientDialsOurEndpoint) {
  auto client = find_program("gtlsclient");
  if (!client) GTEST_SKIP() << "gtlsclient (Debian package ngtcp2-client) is not installed";
  if (run_quiet("openssl version") != 0) GTEST_SKIP() << "openssl is not installed";
  OpensslIdentity identity;
  ASSERT_TRUE(identity.ok);

  struct FirstByte : ProtocolHandler {
    Task<Result<void>> accept(Connection c) override {
      auto s = co_await c.accept_uni();  // the client's HTTP/3 control stream
      if (!s) co_return s.error();
      auto b = co_await s->read_exact(1);
      if (!b) co_return b.error();
      std::lock_guard lock(mutex);
      remote = c.remote_id();
      first = (*b)[0];
      co_return Result<void>();
    }
    std::mutex mutex;
    std::optional<EndpointId> remote;
    std::optional<std::uint8_t> first;
  };
  auto rt = start_runtime();
  auto ep = bind_endpoint(*rt, loopback_config());
  auto handler = std::make_shared<FirstByte>();
  auto router = Router::builder(ep).accept("h3", handler).spawn();
  ASSERT_TRUE(router.ok());
  auto port = ep.addr().addrs.at(0).port();
  {
    ChildProcess child({client->string(), "-q", "--timeout=2s", "--key=" + identity.key.string(),
                        "--cert=" + identity.cert.string(), "127.0.0.1", std::to_string(port)},
                       identity.dir / "client.log");
    ASSERT_TRUE(child.started());
    auto deadline = std::chrono::steady_clock::now() + 5s;
    for (;;) {
      {
        std::lock_guard lock(handler->mutex);
        if (handler->first || std::chrono::steady_clock::now() > deadline) break;
      }
      std::this_thread::sleep_for(10ms);
    }
  }
  std::lock_guard lock(handler->mutex);
  ASSERT_TRUE(handler->first.has_value()) << "no stream from the example client";
  EXPECT_EQ(*handler->first, 0x00);
  EXPECT_EQ(handler->remote, identity.id);
}

}  // namespace
}  // namespace p2p::testing
