#include "tls_identity.hpp"

#include <gnutls/abstract.h>
#include <gnutls/crypto.h>
#include <gnutls/x509.h>
#include <ngtcp2/ngtcp2_crypto_gnutls.h>

#include <algorithm>
#include <cstring>
#include <ctime>

namespace p2p::detail {
namespace {

struct PrivkeyFree {
  void operator()(gnutls_x509_privkey_t k) const { gnutls_x509_privkey_deinit(k); }
};
struct CrtFree {
  void operator()(gnutls_x509_crt_t c) const { gnutls_x509_crt_deinit(c); }
};
struct PubkeyFree {
  void operator()(gnutls_pubkey_t k) const { gnutls_pubkey_deinit(k); }
};
struct DatumFree {
  void operator()(gnutls_datum_t* d) const { gnutls_free(d->data); }
};

// QUIC needs TLS 1.3 only and no middlebox compatibility mode.
constexpr const char* priorities =
    "NORMAL:-VERS-ALL:+VERS-TLS1.3:-CIPHER-ALL:+AES-128-GCM:+AES-256-GCM:+CHACHA20-POLY1305:"
    "+AES-128-CCM:-GROUP-ALL:+GROUP-X25519:+GROUP-SECP256R1:+GROUP-SECP384R1:+GROUP-SECP521R1:"
    "%DISABLE_TLS13_COMPAT_MODE";

Error tls_error(const char* what, int rv) {
  return Error{ErrorKind::tls, std::string(what) + ": " + gnutls_strerror(rv)};
}

std::optional<EndpointId> ed25519_key_of(gnutls_pubkey_t pub) {
  if (gnutls_pubkey_get_pk_algorithm(pub, nullptr) != GNUTLS_PK_EDDSA_ED25519) return std::nullopt;
  gnutls_ecc_curve_t curve{};
  gnutls_datum_t x{};
  if (gnutls_pubkey_export_ecc_raw(pub, &curve, &x, nullptr) < 0) return std::nullopt;
  std::unique_ptr<gnutls_datum_t, DatumFree> hold(&x);
  if (curve != GNUTLS_ECC_CURVE_ED25519 || x.size != EndpointId::size) return std::nullopt;
  std::array<std::uint8_t, EndpointId::size> key{};
  std::memcpy(key.data(), x.data, key.size());
  return EndpointId(key);
}

std::optional<EndpointId> peer_key(gnutls_session_t session) {
  unsigned count = 0;
  const gnutls_datum_t* certs = gnutls_certificate_get_peers(session, &count);
  if (certs == nullptr || count == 0) return std::nullopt;
  gnutls_x509_crt_t raw_crt = nullptr;
  if (gnutls_x509_crt_init(&raw_crt) < 0) return std::nullopt;
  std::unique_ptr<gnutls_x509_crt_int, CrtFree> crt(raw_crt);
  if (gnutls_x509_crt_import(crt.get(), &certs[0], GNUTLS_X509_FMT_DER) < 0) return std::nullopt;
  gnutls_pubkey_t raw_pub = nullptr;
  if (gnutls_pubkey_init(&raw_pub) < 0) return std::nullopt;
  std::unique_ptr<gnutls_pubkey_st, PubkeyFree> pub(raw_pub);
  if (gnutls_pubkey_import_x509(pub.get(), crt.get(), 0) < 0) return std::nullopt;
  return ed25519_key_of(pub.get());
}

// Pinning, not chain validation: the certificate only carries the key, and TLS 1.3 proves the
// peer holds it (CertificateVerify).
int verify_peer(gnutls_session_t session) {
  auto* ref = static_cast<ngtcp2_crypto_conn_ref*>(gnutls_session_get_ptr(session));
  auto* peer = static_cast<TlsPeer*>(ref->user_data);
  return peer->accept_peer_key(peer_key(session)) ? 0 : GNUTLS_E_CERTIFICATE_ERROR;
}

Result<TlsSession> make_session(unsigned flags, const Identity& identity,
                                ngtcp2_crypto_conn_ref* ref) {
  gnutls_session_t raw = nullptr;
  int rv = gnutls_init(&raw, flags | GNUTLS_NO_END_OF_EARLY_DATA);
  if (rv < 0) return tls_error("gnutls_init", rv);
  TlsSession session(raw);
  if ((rv = gnutls_priority_set_direct(raw, priorities, nullptr)) < 0) {
    return tls_error("priorities", rv);
  }
  rv = (flags & GNUTLS_SERVER) ? ngtcp2_crypto_gnutls_configure_server_session(raw)
                               : ngtcp2_crypto_gnutls_configure_client_session(raw);
  if (rv != 0) return Error{ErrorKind::tls, "cannot attach TLS session to QUIC"};
  gnutls_session_set_ptr(raw, ref);
  if ((rv = gnutls_credentials_set(raw, GNUTLS_CRD_CERTIFICATE, identity.credentials.get())) < 0) {
    return tls_error("credentials", rv);
  }
  return session;
}

}  // namespace

Result<Identity> make_identity() {
  gnutls_x509_privkey_t raw_key = nullptr;
  int rv = gnutls_x509_privkey_init(&raw_key);
  if (rv < 0) return tls_error("key", rv);
  std::unique_ptr<gnutls_x509_privkey_int, PrivkeyFree> key(raw_key);
  if ((rv = gnutls_x509_privkey_generate(raw_key, GNUTLS_PK_EDDSA_ED25519, 0, 0)) < 0) {
    return tls_error("key generation", rv);
  }

  gnutls_x509_crt_t raw_crt = nullptr;
  if ((rv = gnutls_x509_crt_init(&raw_crt)) < 0) return tls_error("certificate", rv);
  std::unique_ptr<gnutls_x509_crt_int, CrtFree> crt(raw_crt);
  std::array<unsigned char, 16> serial{};
  gnutls_rnd(GNUTLS_RND_NONCE, serial.data(), serial.size());
  serial[0] &= 0x7f;  // a positive serial number
  std::time_t now = std::time(nullptr);
  if ((rv = gnutls_x509_crt_set_key(raw_crt, raw_key)) < 0 ||
      (rv = gnutls_x509_crt_set_version(raw_crt, 3)) < 0 ||
      (rv = gnutls_x509_crt_set_serial(raw_crt, serial.data(), serial.size())) < 0 ||
      (rv = gnutls_x509_crt_set_activation_time(raw_crt, now - 24 * 3600)) < 0 ||
      (rv = gnutls_x509_crt_set_expiration_time(raw_crt, GNUTLS_X509_NO_WELL_DEFINED_EXPIRATION)) <
          0 ||
      (rv = gnutls_x509_crt_set_dn_by_oid(raw_crt, GNUTLS_OID_X520_COMMON_NAME, 0, "p2p", 3)) < 0 ||
      (rv = gnutls_x509_crt_sign2(raw_crt, raw_crt, raw_key, GNUTLS_DIG_SHA512, 0)) < 0) {
    return tls_error("self-signed certificate", rv);
  }

  gnutls_pubkey_t raw_pub = nullptr;
  if ((rv = gnutls_pubkey_init(&raw_pub)) < 0) return tls_error("public key", rv);
  std::unique_ptr<gnutls_pubkey_st, PubkeyFree> pub(raw_pub);
  if ((rv = gnutls_pubkey_import_x509(raw_pub, raw_crt, 0)) < 0) return tls_error("public key", rv);
  auto id = ed25519_key_of(raw_pub);
  if (!id) return Error{ErrorKind::tls, "generated key is not Ed25519"};

  gnutls_certificate_credentials_t raw_creds = nullptr;
  if ((rv = gnutls_certificate_allocate_credentials(&raw_creds)) < 0) {
    return tls_error("credentials", rv);
  }
  Credentials creds(raw_creds);
  if ((rv = gnutls_certificate_set_x509_key(raw_creds, &raw_crt, 1, raw_key)) < 0) {
    return tls_error("credentials", rv);
  }
  gnutls_certificate_set_verify_function(raw_creds, verify_peer);
  return Identity{*id, std::move(creds)};
}

Result<TlsSession> make_client_session(const Identity& identity, ngtcp2_crypto_conn_ref* ref,
                                       const std::string& alpn) {
  auto session = make_session(GNUTLS_CLIENT, identity, ref);
  if (!session) return session;
  gnutls_datum_t proto{reinterpret_cast<unsigned char*>(const_cast<char*>(alpn.data())),
                       static_cast<unsigned>(alpn.size())};
  int rv = gnutls_alpn_set_protocols(session->get(), &proto, 1, GNUTLS_ALPN_MANDATORY);
  if (rv < 0) return tls_error("ALPN", rv);
  return session;
}

Result<TlsSession> make_server_session(const Identity& identity, ngtcp2_crypto_conn_ref* ref,
                                       const std::vector<std::string>& alpns) {
  auto session = make_session(GNUTLS_SERVER, identity, ref);
  if (!session) return session;
  std::vector<gnutls_datum_t> protos;
  for (const auto& a : alpns) {
    protos.push_back({reinterpret_cast<unsigned char*>(const_cast<char*>(a.data())),
                      static_cast<unsigned>(a.size())});
  }
  int rv = gnutls_alpn_set_protocols(session->get(), protos.data(),
                                     static_cast<unsigned>(protos.size()), GNUTLS_ALPN_MANDATORY);
  if (rv < 0) return tls_error("ALPN", rv);
  gnutls_certificate_server_set_request(session->get(), GNUTLS_CERT_REQUIRE);
  return session;
}

std::string selected_alpn(gnutls_session_t session) {
  gnutls_datum_t proto{};
  if (gnutls_alpn_get_selected_protocol(session, &proto) < 0) return {};
  return std::string(reinterpret_cast<const char*>(proto.data), proto.size);
}

}  // namespace p2p::detail
