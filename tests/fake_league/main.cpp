// The fake league service on its own, to try the program offline:
//   fake_league_service [--port 8443] [--dir fake_league_certs]
// The first start writes a fresh CA and server certificate into the directory; later starts
// reuse them, so a build pointed at the CA file (KOVARRA_EXTRA_CA) keeps working. It prints
// its address once it listens, then each query it answers, and stops on SIGINT or SIGTERM.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

#include "tests/fake_league/fake_league.hpp"
#include "tests/support/tls_identity.hpp"

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
  stopRequested = 1;
}

}  // namespace

int main(int argc, char** argv) {
  int port = 8443;
  fs::path dir = "fake_league_certs";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--port" && i + 1 < argc) {
      port = std::atoi(argv[++i]);
    } else if (arg == "--dir" && i + 1 < argc) {
      dir = argv[++i];
    } else {
      std::fprintf(stderr, "usage: %s [--port N] [--dir DIRECTORY]\n", argv[0]);
      return 2;
    }
  }
  if (port <= 0 || port > 65535) {
    std::fprintf(stderr, "fake_league_service: bad port\n");
    return 2;
  }

  const fs::path ca = dir / "ca.pem", cert = dir / "server.pem", key = dir / "server-key.pem";
  std::error_code error;
  if (!fs::exists(ca) || !fs::exists(cert) || !fs::exists(key)) {
    const auto& identity = kovarra::testing::TestTlsIdentity();
    fs::create_directories(dir, error);
    const auto copy = fs::copy_options::overwrite_existing;
    if (error || !fs::copy_file(identity.caCertPath, ca, copy, error) ||
        !fs::copy_file(identity.serverCertPath, cert, copy, error) ||
        !fs::copy_file(identity.serverKeyPath, key, copy, error)) {
      std::fprintf(stderr, "fake_league_service: cannot write the certificates into %s\n",
                   dir.c_str());
      return 1;
    }
  }

  // Handlers go in before the server's threads start, so a stop signal never finds the default
  // action and the temporary files of a fresh certificate are removed on the way out.
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);

  kovarra::testing::FakeLeagueService service;
  service.OnQuery([](const std::string& query) {
    std::printf("GET %s?%s\n", kovarra::testing::kMatchListPath, query.c_str());
    std::fflush(stdout);
  });
  if (!service.Start(cert.string(), key.string(), port)) {
    std::fprintf(stderr, "fake_league_service: cannot listen on 127.0.0.1:%d\n", port);
    return 1;
  }
  std::printf("fake league service: https://127.0.0.1:%d%s\n", port,
              kovarra::testing::kMatchListPath);
  std::printf("CA certificate to trust: %s\n", fs::absolute(ca).c_str());
  std::fflush(stdout);
  while (!stopRequested) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  service.Stop();
  return 0;
}
