#pragma once

// The HTTP platform over the system's Windows Internet functions (see http_platform.hpp).

#include <cstdint>
#include <memory>

#include "web/http_platform.hpp"

namespace kovarra::web {

// Handles are ids into a table owned by the object; closing an Internet handle or a connection
// closes what was opened from it. One send performs the whole transfer, redirects included,
// and keeps the final answer for the reads and the header query. Cookies (for requests without
// INTERNET_FLAG_NO_COOKIES) live in the system's store, shared by the whole process.
// The operations may be called from several threads at once.
class WinInetPlatform final : public HttpPlatform {
 public:
  explicit WinInetPlatform(HttpOptions options = {});
  ~WinInetPlatform() override;
  WinInetPlatform(const WinInetPlatform&) = delete;
  WinInetPlatform& operator=(const WinInetPlatform&) = delete;

  InternetHandle InternetOpen(const Text& userAgent, int accessType,
                              const std::optional<Text>& proxy,
                              const std::optional<Text>& proxyBypass, std::uint32_t flags) override;
  InternetHandle InternetConnect(InternetHandle internet, const Text& serverName, int port,
                                 int service, std::uint32_t flags) override;
  InternetHandle HttpOpenRequest(InternetHandle connection, const Text& verb,
                                 const Text& objectName, const Text& version,
                                 std::uint32_t flags) override;
  bool HttpSendRequest(InternetHandle request, const Text& headers, const Bytes* body) override;
  bool InternetReadFile(InternetHandle request, unsigned char* buffer, std::uint32_t toRead,
                        std::uint32_t& bytesRead) override;
  bool HttpQueryInfo(InternetHandle request, int infoLevel, char* buffer,
                     std::uint32_t& length) override;
  bool InternetCloseHandle(InternetHandle handle) override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace kovarra::web
