#pragma once
// The endpoint's key and certificate, and the TLS sessions of its connections.

#include <p2p/endpoint_addr.hpp>
#include <p2p/result.hpp>

#include <gnutls/gnutls.h>
#include <ngtcp2/ngtcp2.h>
#include <ngtcp2/ngtcp2_crypto.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace p2p::detail {

struct CredentialsFree {
  void operator()(gnutls_certificate_credentials_t c) const {
    gnutls_certificate_free_credentials(c);
  }
};
struct SessionFree {
  void operator()(gnutls_session_t s) const { gnutls_deinit(s); }
};
using Credentials = std::unique_ptr<gnutls_certificate_credentials_st, CredentialsFree>;
using TlsSession = std::unique_ptr<gnutls_session_int, SessionFree>;

// What a TLS session needs from its connection. The session's user pointer is the connection's
// ngtcp2_crypto_conn_ref, whose user_data points at this.
class TlsPeer {
 public:
  virtual ~TlsPeer() = default;
  virtual ngtcp2_conn* quic() = 0;
  // Gives false to refuse the handshake; called with the peer's Ed25519 key, or nullopt when the
  // peer's certificate carries no usable Ed25519 key.
  virtual bool accept_peer_key(const std::optional<EndpointId>& key) = 0;
};

// A fresh Ed25519 key and a self-signed certificate of it, ready to be set on sessions.
struct Identity {
  EndpointId id;
  Credentials credentials;
};

Result<Identity> make_identity();

// Client: offers exactly `alpn`. Server: accepts any of `alpns` and requires a client certificate.
Result<TlsSession> make_client_session(const Identity& identity, ngtcp2_crypto_conn_ref* ref,
                                       const std::string& alpn);
Result<TlsSession> make_server_session(const Identity& identity, ngtcp2_crypto_conn_ref* ref,
                                       const std::vector<std::string>& alpns);

// The ALPN the handshake selected, empty if none.
std::string selected_alpn(gnutls_session_t session);

}  // namespace p2p::detail
