#include "matches/service.hpp"

#include "kovarra_config.hpp"
#include "web/web_request.hpp"

namespace kovarra {

namespace {

Text BuiltInOrigin() {
  return ConcatText("https://", KOVARRA_DATA_HOST);
}

}  // namespace

ServiceDescription BuiltInService() {
  ServiceDescription service;
  service.dataOrigin = BuiltInOrigin();
  service.http.extraCaFile = KOVARRA_EXTRA_CA;
  return service;
}

ServiceFetcher::ServiceFetcher(const ServiceDescription& service)
    : builtInOrigin_(BuiltInOrigin()),
      dataOrigin_(service.dataOrigin),
      platform_(web::MakeSystemHttpPlatform(service.http)) {}

ServiceFetcher::~ServiceFetcher() = default;

Text ServiceFetcher::Fetch(const Text& url) {
  const std::string_view address = url.view();
  if (!dataOrigin_.empty() && dataOrigin_ != builtInOrigin_ &&
      address.substr(0, builtInOrigin_.size()) == builtInOrigin_.view() &&
      address.substr(builtInOrigin_.size(), 1) == "/") {
    const Text moved = ConcatText(dataOrigin_, address.substr(builtInOrigin_.size()));
    return web::WebRequest(moved, 0, *platform_);
  }
  return web::WebRequest(url, 0, *platform_);
}

}  // namespace kovarra
