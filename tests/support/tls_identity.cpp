#include "tests/support/tls_identity.hpp"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kovarra::testing {
namespace {

struct KeyFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct CertFree {
  void operator()(X509* c) const { X509_free(c); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;
using CertPtr = std::unique_ptr<X509, CertFree>;

// Directories made by this process; removed when it ends. Never destroyed itself, so that the
// exit handler can still read it.
std::vector<std::string>& MadeDirectories() {
  static auto* dirs = new std::vector<std::string>;
  return *dirs;
}

void RemoveMadeDirectories() {
  std::error_code ec;
  for (const auto& d : MadeDirectories()) std::filesystem::remove_all(d, ec);
}

std::string MakeTempDirectory() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/kovarra-tls-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) return {};
  static std::once_flag registered;
  std::call_once(registered, [] { std::atexit(RemoveMadeDirectories); });
  MadeDirectories().emplace_back(buf.data());
  return buf.data();
}

KeyPtr NewKey() {
  return KeyPtr(EVP_EC_gen("P-256"));
}

bool AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (!ext) return false;
  bool ok = X509_add_ext(cert, ext, -1) == 1;
  X509_EXTENSION_free(ext);
  return ok;
}

// A certificate for `subjectKey` named `commonName`; self-signed when issuer is null.
CertPtr NewCert(EVP_PKEY* subjectKey, const char* commonName, X509* issuer, EVP_PKEY* issuerKey,
                bool isCa) {
  CertPtr cert(X509_new());
  if (!cert) return nullptr;
  X509_set_version(cert.get(), 2);
  unsigned char serial[16];
  RAND_bytes(serial, sizeof serial);
  serial[0] &= 0x7f;
  BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
  BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get()));
  BN_free(bn);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -24L * 3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 30L * 24 * 3600);
  X509_set_pubkey(cert.get(), subjectKey);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("Kovarra test"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509* signer = issuer ? issuer : cert.get();
  X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
  bool ok = true;
  if (isCa) {
    ok = ok && AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
    ok = ok && AddExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    ok = ok && AddExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
  } else {
    ok = ok && AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
    ok = ok && AddExtension(cert.get(), signer, NID_key_usage,
                            "critical,digitalSignature,keyEncipherment");
    ok = ok && AddExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
    ok = ok && AddExtension(cert.get(), signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    ok = ok && AddExtension(cert.get(), signer, NID_authority_key_identifier, "keyid:always");
  }
  if (!ok) return nullptr;
  if (X509_sign(cert.get(), issuerKey ? issuerKey : subjectKey, EVP_sha256()) <= 0) return nullptr;
  return cert;
}

bool WriteCert(const std::string& path, X509* cert) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  bool ok = PEM_write_X509(f, cert) == 1;
  return std::fclose(f) == 0 && ok;
}

bool WriteKey(const std::string& path, EVP_PKEY* key) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  bool ok = PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  return std::fclose(f) == 0 && ok;
}

// On any failure the paths stay empty, so a test using them fails plainly.
TlsIdentity MakeIdentity(const char* caName) {
  TlsIdentity id;
  std::string dir = MakeTempDirectory();
  if (dir.empty()) return id;
  KeyPtr caKey = NewKey();
  KeyPtr serverKey = NewKey();
  if (!caKey || !serverKey) return id;
  CertPtr ca = NewCert(caKey.get(), caName, nullptr, nullptr, true);
  if (!ca) return id;
  CertPtr server = NewCert(serverKey.get(), "127.0.0.1", ca.get(), caKey.get(), false);
  if (!server) return id;
  std::string caPath = dir + "/ca.pem";
  std::string certPath = dir + "/server.pem";
  std::string keyPath = dir + "/server-key.pem";
  if (!WriteCert(caPath, ca.get()) || !WriteCert(certPath, server.get()) ||
      !WriteKey(keyPath, serverKey.get()))
    return id;
  id.caCertPath = caPath;
  id.serverCertPath = certPath;
  id.serverKeyPath = keyPath;
  id.directory = dir;
  return id;
}

}  // namespace

const TlsIdentity& TestTlsIdentity() {
  static const TlsIdentity id = MakeIdentity("Kovarra Test CA");
  return id;
}

const TlsIdentity& UntrustedTlsIdentity() {
  static const TlsIdentity id = MakeIdentity("Kovarra Untrusted CA");
  return id;
}

}  // namespace kovarra::testing
