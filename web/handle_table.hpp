#pragma once

// The handles an HTTP platform gives out: Internet, connection and request entries by number,
// each connection naming its Internet handle (`internet`) and each request its connection
// (`connection`), a request holding the response of its last send (`response`, a shared_ptr).
// Safe to use from several threads.

#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "web/http_platform.hpp"

namespace kovarra::web {

template <typename Internet, typename Connection, typename Request>
class HandleTable {
 public:
  using Entry = std::variant<Internet, Connection, Request>;
  using Response = typename decltype(Request::response)::element_type;

  InternetHandle Add(Entry entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    const InternetHandle id = next_++;
    entries_.emplace(id, std::move(entry));
    return id;
  }

  template <typename T>
  bool Has(InternetHandle id) {
    std::lock_guard<std::mutex> lock(mutex_);
    return Find<T>(id) != nullptr;
  }

  // Copies of a request and of what it was opened from, the request given a fresh response
  // first: a second send starts over, and readers of the old response keep theirs.
  bool StartSend(InternetHandle request, Internet& internet, Connection& connection,
                 Request& sent) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto* r = Find<Request>(request);
    auto* c = r ? Find<Connection>(r->connection) : nullptr;
    auto* i = c ? Find<Internet>(c->internet) : nullptr;
    if (!i) return false;
    r->response = std::make_shared<Response>();
    internet = *i;
    connection = *c;
    sent = *r;
    return true;
  }

  // The response of a request's last send; null for no such request.
  std::shared_ptr<Response> ResponseOf(InternetHandle request) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto* r = Find<Request>(request);
    return r ? r->response : nullptr;
  }

  // Closes a handle and what was opened from it; false for no such handle. The entries go
  // outside the lock, since letting go of one may close a session of the library.
  bool Close(InternetHandle handle) {
    std::vector<Entry> gone;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (entries_.find(handle) == entries_.end()) return false;
      std::vector<InternetHandle> doomed{handle};
      for (std::size_t i = 0; i < doomed.size(); ++i) {
        for (const auto& [id, entry] : entries_) {
          InternetHandle parent = 0;
          if (auto* c = std::get_if<Connection>(&entry)) parent = c->internet;
          if (auto* r = std::get_if<Request>(&entry)) parent = r->connection;
          if (parent == doomed[i]) doomed.push_back(id);
        }
      }
      for (InternetHandle id : doomed) {
        auto found = entries_.find(id);
        gone.push_back(std::move(found->second));
        entries_.erase(found);
      }
    }
    return true;
  }

 private:
  template <typename T>
  T* Find(InternetHandle id) {
    auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : std::get_if<T>(&it->second);
  }

  std::mutex mutex_;
  std::unordered_map<InternetHandle, Entry> entries_;
  InternetHandle next_ = 1;
};

}  // namespace kovarra::web
