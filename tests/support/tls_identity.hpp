#pragma once

// Certificates made at test time, so that HTTPS tests need no file from outside.

#include <string>

namespace kovarra::testing {

struct TlsIdentity {
  std::string caCertPath;      // PEM file of a fresh CA (to trust)
  std::string serverCertPath;  // PEM file of a server certificate signed by that CA,
                               // for 127.0.0.1 and localhost
  std::string serverKeyPath;   // PEM file of its private key
  std::string directory;       // where the three files lie (removed with the process's temp dir)
};

// Made once per process and then handed out again.
const TlsIdentity& TestTlsIdentity();

// A second, unrelated CA and a server certificate signed by it: a server nobody trusts.
const TlsIdentity& UntrustedTlsIdentity();

}  // namespace kovarra::testing
