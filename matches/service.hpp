#pragma once

// Where the match browser's requests go and how they travel: the program fills this from its
// build constants, tests point it at a service of their own.

#include <memory>

#include "core/text.hpp"
#include "matches/browser.hpp"
#include "web/http_platform.hpp"

namespace kovarra {

struct ServiceDescription {
  // Scheme and host (with a port when needed) that answer the match-list request, e.g.
  // "https://127.0.0.1:8443". Addresses composed for the built-in host are sent here instead.
  Text dataOrigin;
  web::HttpOptions http;  // trust store and time-outs
};

// From KOVARRA_DATA_HOST and KOVARRA_EXTRA_CA.
ServiceDescription BuiltInService();

// Fetches with WebRequest (a GET, every other argument left out) over the system's platform.
class ServiceFetcher : public MatchFetcher {
 public:
  explicit ServiceFetcher(const ServiceDescription& service);
  ~ServiceFetcher() override;
  Text Fetch(const Text& url) override;

 private:
  Text builtInOrigin_;
  Text dataOrigin_;
  std::unique_ptr<web::HttpPlatform> platform_;
};

}  // namespace kovarra
