// Loopback servers for clients that are not built with the tests: the Windows build's network
// tests and benchmarks run under wine and reach these on the host's loopback.
//
//   loopback_peer start INFO   serves in the background; INFO lists the ports and the test CA
//   loopback_peer stop INFO    ends the servers started with INFO
//
// INFO holds one "key value" line each: pid, http, raw, https, untrusted, dead, ca.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "tests/support/loopback_server.hpp"
#include "tests/support/tls_identity.hpp"

namespace {

using kovarra::testing::LoopbackServer;
using kovarra::testing::RawConnection;
using kovarra::testing::ScriptedServer;
using kovarra::testing::TestTlsIdentity;
using kovarra::testing::UntrustedTlsIdentity;
using namespace std::chrono_literals;

// A port on 127.0.0.1 that nobody listens on.
int DeadPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

std::string Ok(std::string_view body, std::string_view extraHeaders = "") {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
         std::string(extraHeaders) + "Connection: close\r\n\r\n" + std::string(body);
}

// The path of a request line, also when a proxy's client names the whole address.
std::string PathOf(const std::string& request) {
  auto start = request.find(' ');
  auto end = request.find(' ', start + 1);
  if (start == std::string::npos || end == std::string::npos) return {};
  std::string target = request.substr(start + 1, end - start - 1);
  if (target.rfind("http://", 0) == 0) {
    auto slash = target.find('/', 7);
    target = slash == std::string::npos ? "/" : target.substr(slash);
  }
  return target;
}

// Answers no sane server gives, chosen by the request's path.
void Script(RawConnection& c) {
  const std::string request = c.ReadRequest();
  const std::string path = PathOf(request);
  if (path.rfind("/echo", 0) == 0) {
    c.Send(Ok(request));  // the request as it came over the wire
  } else if (path == "/silent") {
    c.HoldOpen();
  } else if (path == "/trickle" || path == "/slow") {
    // One byte every 100 ms: /slow ends after ten, /trickle goes on until the peer gives up.
    const bool endless = path == "/trickle";
    c.Send(std::string("HTTP/1.1 200 OK\r\nContent-Length: ") + (endless ? "100000" : "10") +
           "\r\nConnection: close\r\n\r\n");
    for (int i = 0; endless || i < 10; ++i) {
      std::this_thread::sleep_for(100ms);
      if (!c.Send("x")) return;
    }
  } else if (path == "/reset") {
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n" + std::string(4000, 'a'));
    std::this_thread::sleep_for(300ms);
    c.Reset();
  } else if (path == "/long-header") {
    const std::string line(3000, 'x');
    c.Send(Ok("the body", "X-Long-1: " + line + "\r\nX-Long-2: " + line + "\r\n"));
  } else if (path == "/chunked") {
    const char* pieces[] = {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5",
                            "\r\nhel",
                            "lo\r",
                            "\n1",
                            "0\r\n0123456789abcdef\r\n",
                            "0\r",
                            "\n\r\n"};
    for (const char* p : pieces) {
      c.Send(p);
      std::this_thread::sleep_for(20ms);
    }
  } else if (path == "/to-file") {
    c.Send("HTTP/1.1 302 Found\r\nLocation: file:///etc/hostname\r\nContent-Length: 0\r\n\r\n");
  } else {
    c.Send("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  }
}

// Bodies of a given size for the benchmarks, made once each.
const std::string& Filler(std::size_t size) {
  static std::mutex mutex;
  static std::map<std::size_t, std::string> made;
  std::lock_guard<std::mutex> lock(mutex);
  std::string& body = made[size];
  if (body.size() != size) {
    body.resize(size);
    for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + i % 26);
  }
  return body;
}

void AddPlainRoutes(httplib::Server& s, const int& httpsPort) {
  s.Get("/text", [](const httplib::Request&, httplib::Response& r) {
    r.set_content("plain text", "text/plain");
  });
  s.Get("/set-cookie", [](const httplib::Request& q, httplib::Response& r) {
    r.set_header("Set-Cookie", q.get_param_value("name") + "=42; Path=/");
    r.set_content("set", "text/plain");
  });
  s.Get("/cookie", [](const httplib::Request& q, httplib::Response& r) {
    r.set_content("[" + q.get_header_value("Cookie") + "]", "text/plain");
  });
  s.Get("/redirect", [](const httplib::Request&, httplib::Response& r) {
    r.set_redirect("/final");
    r.set_header("X-First", "1");
  });
  s.Get("/final", [](const httplib::Request&, httplib::Response& r) {
    r.set_header("X-Final", "1");
    r.set_content("final", "text/plain");
  });
  s.Post("/redirect",
         [](const httplib::Request&, httplib::Response& r) { r.set_redirect("/final", 302); });
  s.Get("/to-https", [&httpsPort](const httplib::Request&, httplib::Response& r) {
    r.set_redirect("https://localhost:" + std::to_string(httpsPort) + "/secret");
  });
  s.Get("/utf8", [](const httplib::Request&, httplib::Response& r) {
    r.set_content("charset=utf-8 \xE4\xB8\xAD\xE6\x96\x87 \xE2\x82\xAC",
                  "text/html; charset=UTF-8");
  });
  s.Get(R"(/bytes/(\d+))", [](const httplib::Request& q, httplib::Response& r) {
    const std::size_t size = std::stoul(q.matches[1]);
    if (size > (std::size_t{64} << 20)) {
      r.status = 400;
      return;
    }
    r.set_content(Filler(size), "application/octet-stream");
  });
}

void AddSecureRoutes(httplib::Server& s, const int& httpPort) {
  s.Get("/secret", [](const httplib::Request&, httplib::Response& r) {
    r.set_content("secret", "text/plain");
  });
  s.Get("/to-http", [&httpPort](const httplib::Request&, httplib::Response& r) {
    r.set_redirect("http://localhost:" + std::to_string(httpPort) + "/text");
  });
}

int Serve(const std::string& info) {
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);  // before any thread, so only sigwait sees them

  int httpPort = 0;
  int httpsPort = 0;
  LoopbackServer http;
  LoopbackServer https(TestTlsIdentity());
  LoopbackServer untrusted(UntrustedTlsIdentity());
  ScriptedServer raw(Script);
  AddPlainRoutes(http.server(), httpsPort);
  AddSecureRoutes(https.server(), httpPort);
  AddSecureRoutes(untrusted.server(), httpPort);
  if (!http.Start() || !https.Start() || !untrusted.Start() || !raw.Start()) return 1;
  httpPort = http.port();
  httpsPort = https.port();

  const std::string partial = info + ".part";
  {
    std::ofstream out(partial, std::ios::trunc);
    out << "pid " << ::getpid() << "\nhttp " << httpPort << "\nraw " << raw.port() << "\nhttps "
        << httpsPort << "\nuntrusted " << untrusted.port() << "\ndead " << DeadPort() << "\nca "
        << TestTlsIdentity().caCertPath << "\n";
    if (!out) return 1;
  }
  std::rename(partial.c_str(), info.c_str());

  // Until stopped; an hour at most, should nobody ever stop it.
  timespec limit{3600, 0};
  sigtimedwait(&stop, nullptr, &limit);
  std::remove(info.c_str());
  return 0;
}

int Start(const std::string& info) {
  std::remove(info.c_str());
  pid_t child = ::fork();
  if (child < 0) return 1;
  if (child == 0) {
    // Away from the caller's session and output, so that a test runner waiting for the
    // caller's output does not wait for the servers.
    ::setsid();
    int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd) ::dup2(null, fd);
    if (null > 2) ::close(null);
    std::exit(Serve(info));
  }
  auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!std::filesystem::exists(info)) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGTERM);
      std::fprintf(stderr, "loopback_peer: the servers did not start\n");
      return 1;
    }
    std::this_thread::sleep_for(10ms);
  }
  std::printf("loopback_peer: serving, see %s\n", info.c_str());
  return 0;
}

int Stop(const std::string& info) {
  std::ifstream in(info);
  std::string key;
  long pid = 0;
  while (in >> key && key != "pid") in.ignore(1 << 20, '\n');
  if (!(in >> pid) || pid <= 1) {
    std::fprintf(stderr, "loopback_peer: nothing to stop in %s\n", info.c_str());
    return 0;
  }
  ::kill(static_cast<pid_t>(pid), SIGTERM);
  auto deadline = std::chrono::steady_clock::now() + 10s;
  while (::kill(static_cast<pid_t>(pid), 0) == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(10ms);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "start") == 0) return Start(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "stop") == 0) return Stop(argv[2]);
  std::fprintf(stderr, "usage: loopback_peer start|stop INFO\n");
  return 2;
}
