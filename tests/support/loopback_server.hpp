#pragma once

// Servers on 127.0.0.1 for network tests: an HTTP(S) server with ordinary handlers, and a raw
// socket server that follows a script byte by byte, for answers no sane server gives.
//
//   LoopbackServer srv;                       // or LoopbackServer srv(TestTlsIdentity());
//   srv.server().Get("/a", [](const httplib::Request&, httplib::Response& r) { ... });
//   ASSERT_TRUE(srv.Start());
//   ... srv.Url("/a") ...                     // stops in the destructor
//
//   ScriptedServer raw([](RawConnection& c) { c.ReadRequest(); c.Send("HTTP/1.1 200 OK\r\n"); });
//   ASSERT_TRUE(raw.Start());

#include <httplib.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/support/tls_identity.hpp"

namespace kovarra::testing {

class LoopbackServer {
 public:
  LoopbackServer();                                      // plain HTTP
  explicit LoopbackServer(const TlsIdentity& identity);  // HTTPS with that server certificate
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // Register handlers here, before Start.
  httplib::Server& server() { return *server_; }

  // Binds an ephemeral port on 127.0.0.1 and serves on a thread; true once it is listening.
  bool Start();
  void Stop();

  int port() const { return port_; }
  bool tls() const { return tls_; }
  // "http://127.0.0.1:PORT" + path (https for a TLS server).
  std::string Url(std::string_view path = "/") const;

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  std::atomic<bool> finished_{true};
  int port_ = -1;
  bool tls_ = false;
};

class ScriptedServer;

// One accepted connection of a ScriptedServer.
class RawConnection {
 public:
  RawConnection(int fd, ScriptedServer& owner) : fd_(fd), owner_(owner) {}
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  // Reads one request: the header block and a Content-Length body. Empty when the peer
  // closed first or the server stops.
  std::string ReadRequest();
  // Everything read so far that ReadRequest has not handed out.
  const std::string& pending() const { return buffer_; }

  bool Send(std::string_view bytes);
  // Waits until the peer closes or the server stops, whichever comes first.
  void HoldOpen();
  // Aborts the connection with a TCP reset.
  void Reset();
  void Close();

 private:
  bool ReadMore();
  int fd_;
  ScriptedServer& owner_;
  std::string buffer_;
};

class ScriptedServer {
 public:
  using Script = std::function<void(RawConnection&)>;

  // Runs `script` for every accepted connection (each on a thread of its own); the connection
  // is closed when the script returns, unless the script did so itself.
  explicit ScriptedServer(Script script);
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  bool Start();
  // Ends every script's waits, closes the connections and joins the threads.
  void Stop();

  int port() const { return port_; }
  std::string Url(std::string_view path = "/") const;

  // The requests the scripts read with ReadRequest, in order of arrival.
  std::vector<std::string> Requests() const;
  int connectionCount() const { return connections_.load(); }

 private:
  void AcceptLoop();
  void Record(std::string request);

  Script script_;
  int listenFd_ = -1;
  int port_ = -1;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::thread acceptThread_;
  std::vector<std::thread> workers_;  // only the accept thread adds, Stop joins after it
  mutable std::mutex requestsMutex_;
  std::vector<std::string> requests_;

  friend class RawConnection;
};

}  // namespace kovarra::testing
