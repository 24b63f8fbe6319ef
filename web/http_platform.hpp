#pragma once

// The HTTP platform that WebRequest drives: seven operations with the contract of the
// classic Windows Internet calls, so the request routine reads the same on any platform.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/text.hpp"

namespace kovarra::web {

// 0 is the null handle.
using InternetHandle = std::uint64_t;

inline constexpr int INTERNET_OPEN_TYPE_DIRECT = 1;
inline constexpr int INTERNET_OPEN_TYPE_PROXY = 3;
inline constexpr int INTERNET_SERVICE_HTTP = 3;
inline constexpr std::uint32_t INTERNET_FLAG_RELOAD = 0x80000000u;
inline constexpr std::uint32_t INTERNET_FLAG_NEED_FILE = 0x10u;
inline constexpr std::uint32_t INTERNET_FLAG_NO_COOKIES = 0x80000u;
inline constexpr std::uint32_t INTERNET_FLAG_NO_AUTO_REDIRECT = 0x200000u;
inline constexpr std::uint32_t INTERNET_FLAG_SECURE = 0x800000u;
inline constexpr std::uint32_t INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS = 0x4000u;
inline constexpr int HTTP_QUERY_RAW_HEADERS_CRLF = 22;

class HttpPlatform {
 public:
  virtual ~HttpPlatform() = default;

  // An Internet handle. proxy / proxyBypass: absent means "none" (a null pointer), not empty.
  virtual InternetHandle InternetOpen(const Text& userAgent, int accessType,
                                      const std::optional<Text>& proxy,
                                      const std::optional<Text>& proxyBypass,
                                      std::uint32_t flags) = 0;

  virtual InternetHandle InternetConnect(InternetHandle internet, const Text& serverName, int port,
                                         int service, std::uint32_t flags) = 0;

  virtual InternetHandle HttpOpenRequest(InternetHandle connection, const Text& verb,
                                         const Text& objectName, const Text& version,
                                         std::uint32_t flags) = 0;

  // body == nullptr: no body ("none"). Returns whether the platform sent it (callers ignore it).
  virtual bool HttpSendRequest(InternetHandle request, const Text& headers, const Bytes* body) = 0;

  // Up to toRead bytes into buffer; bytesRead is 0 at the end of the body and on failure.
  virtual bool InternetReadFile(InternetHandle request, unsigned char* buffer, std::uint32_t toRead,
                                std::uint32_t& bytesRead) = 0;

  // HTTP_QUERY_RAW_HEADERS_CRLF: the status line and header lines, each ended by "\r\n",
  // then a zero byte, into buffer. When that does not fit into length bytes it writes nothing,
  // sets length to what would be needed and fails.
  virtual bool HttpQueryInfo(InternetHandle request, int infoLevel, char* buffer,
                             std::uint32_t& length) = 0;

  virtual bool InternetCloseHandle(InternetHandle handle) = 0;
};

// How the platform reaches the services: filled from build constants by the program and
// otherwise by tests.
struct HttpOptions {
  std::string extraCaFile;  // PEM file trusted besides the system store; empty = none
  // Every wait is bounded: a query blocks the window, which must not hang on a dead server.
  long connectTimeoutMs = 10000;  // to connect, the TLS handshake included
  long stallTimeoutMs = 10000;    // once connected, without a byte in either direction
  long totalTimeoutMs = 20000;    // the whole transfer, redirects included
  // Answers beyond these sizes are treated as failed transfers rather than exhausting memory.
  std::size_t maxBodyBytes = std::size_t{256} << 20;
  std::size_t maxHeaderBytes = std::size_t{1} << 20;
};

// The platform this build talks through, for WebRequest's callers that want the system's own.
std::unique_ptr<HttpPlatform> MakeSystemHttpPlatform(const HttpOptions& options);

}  // namespace kovarra::web
