// trust_test_ca INFO: adds the test CA named in the loopback peer's INFO file to the current
// user's root store. Run under wine in the build's own prefix, never on a real system's store.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, whose types it uses.
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Paths of the host as the prefix sees them: its Z: drive is the host's root.
std::string HostPath(std::string path) {
  if (!path.empty() && path.front() == '/') path.insert(0, "Z:");
  return path;
}

bool ReadFile(const std::string& path, std::string& out) {
  std::ifstream in(HostPath(path), std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trust_test_ca INFO\n");
    return 2;
  }
  std::ifstream info(HostPath(argv[1]));
  std::string key, caPath;
  while (info >> key) {
    if (key == "ca") {
      info >> caPath;
      break;
    }
    std::getline(info, key);
  }
  std::string pem;
  if (caPath.empty() || !ReadFile(caPath, pem)) {
    std::fprintf(stderr, "trust_test_ca: no CA file in %s\n", argv[1]);
    return 1;
  }
  DWORD size = 0;
  if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                            nullptr, &size, nullptr, nullptr)) {
    std::fprintf(stderr, "trust_test_ca: %s is not PEM\n", caPath.c_str());
    return 1;
  }
  std::vector<BYTE> der(size);
  CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                       der.data(), &size, nullptr, nullptr);
  HCERTSTORE root = CertOpenSystemStoreA(0, "ROOT");
  if (!root) {
    std::fprintf(stderr, "trust_test_ca: no root store (%lu)\n", GetLastError());
    return 1;
  }
  BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), size,
                                                CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  DWORD error = GetLastError();
  CertCloseStore(root, 0);
  if (!added) {
    std::fprintf(stderr, "trust_test_ca: the store refused the CA (%lu)\n", error);
    return 1;
  }
  std::printf("trust_test_ca: %s trusted\n", caPath.c_str());
  return 0;
}
