#include "tests/support/loopback_server.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>

namespace kovarra::testing {
namespace {

constexpr int kPollMs = 20;

std::string BaseUrl(bool tls, int port) {
  return std::string(tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(port);
}

std::string WithPath(std::string base, std::string_view path) {
  if (path.empty() || path.front() != '/') base += '/';
  base.append(path);
  return base;
}

// Content-Length of a header block, 0 when absent or unreadable.
std::size_t ContentLength(std::string_view head) {
  std::string lower(head);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto at = lower.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return std::strtoul(lower.c_str() + at + 17, nullptr, 10);
}

}  // namespace

// --- LoopbackServer ---

LoopbackServer::LoopbackServer() : server_(std::make_unique<httplib::Server>()) {}

LoopbackServer::LoopbackServer(const TlsIdentity& identity)
    : server_(std::make_unique<httplib::SSLServer>(identity.serverCertPath.c_str(),
                                                   identity.serverKeyPath.c_str())),
      tls_(true) {}

LoopbackServer::~LoopbackServer() {
  Stop();
}

bool LoopbackServer::Start() {
  if (thread_.joinable() || !server_->is_valid()) return false;
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) return false;
  finished_ = false;
  thread_ = std::thread([this] {
    server_->listen_after_bind();
    finished_ = true;
  });
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!server_->is_running()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void LoopbackServer::Stop() {
  if (!thread_.joinable()) return;
  // A stop() that comes before the loop runs is lost: repeat it until the loop has ended.
  while (!finished_.load()) {
    server_->stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  thread_.join();
}

std::string LoopbackServer::Url(std::string_view path) const {
  return WithPath(BaseUrl(tls_, port_), path);
}

// --- RawConnection ---

RawConnection::~RawConnection() {
  Close();
}

bool RawConnection::ReadMore() {
  while (fd_ >= 0 && !owner_.stopping_.load()) {
    pollfd p{fd_, POLLIN, 0};
    int n = ::poll(&p, 1, kPollMs);
    if (n < 0) return false;
    if (n == 0) continue;
    char chunk[65536];
    ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
    if (got <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(got));
    return true;
  }
  return false;
}

std::string RawConnection::ReadRequest() {
  std::size_t end;
  while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
    if (!ReadMore()) return {};
  }
  std::size_t total = end + 4 + ContentLength(std::string_view(buffer_).substr(0, end + 2));
  while (buffer_.size() < total) {
    if (!ReadMore()) return {};
  }
  std::string request = buffer_.substr(0, total);
  buffer_.erase(0, total);
  owner_.Record(request);
  return request;
}

bool RawConnection::Send(std::string_view bytes) {
  while (!bytes.empty() && fd_ >= 0) {
    ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return bytes.empty();
}

void RawConnection::HoldOpen() {
  while (ReadMore()) {
  }
}

void RawConnection::Reset() {
  if (fd_ < 0) return;
  linger l{1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  ::close(fd_);
  fd_ = -1;
}

void RawConnection::Close() {
  if (fd_ < 0) return;
  // Closing with unread input would send a reset that can destroy the answer in flight, so
  // finish sending and let the peer close first (briefly).
  ::shutdown(fd_, SHUT_WR);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (std::chrono::steady_clock::now() < deadline && ReadMore()) buffer_.clear();
  ::close(fd_);
  fd_ = -1;
}

// --- ScriptedServer ---

ScriptedServer::ScriptedServer(Script script) : script_(std::move(script)) {}

ScriptedServer::~ScriptedServer() {
  Stop();
}

bool ScriptedServer::Start() {
  if (listenFd_ >= 0) return false;
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) return false;
  int one = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listenFd_, 64) != 0 ||
      ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::close(listenFd_);
    listenFd_ = -1;
    return false;
  }
  port_ = ntohs(addr.sin_port);
  stopping_ = false;
  acceptThread_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void ScriptedServer::AcceptLoop() {
  while (!stopping_.load()) {
    pollfd p{listenFd_, POLLIN, 0};
    if (::poll(&p, 1, kPollMs) <= 0) continue;
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ++connections_;
    workers_.emplace_back([this, fd] {
      RawConnection connection(fd, *this);
      script_(connection);
    });
  }
}

void ScriptedServer::Stop() {
  if (listenFd_ < 0) return;
  stopping_ = true;
  if (acceptThread_.joinable()) acceptThread_.join();
  for (auto& t : workers_) t.join();
  workers_.clear();
  ::close(listenFd_);
  listenFd_ = -1;
}

std::string ScriptedServer::Url(std::string_view path) const {
  return WithPath(BaseUrl(false, port_), path);
}

std::vector<std::string> ScriptedServer::Requests() const {
  std::lock_guard<std::mutex> lock(requestsMutex_);
  return requests_;
}

void ScriptedServer::Record(std::string request) {
  std::lock_guard<std::mutex> lock(requestsMutex_);
  requests_.push_back(std::move(request));
}

}  // namespace kovarra::testing
