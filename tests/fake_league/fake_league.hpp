#pragma once

// A stand-in for the league's match-data service: HTTPS on 127.0.0.1, answering the match-list
// request from a fixed fixture the way the real service does (UTF-8, "var MatchList = " …).

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kovarra::testing {

// One match of the fixture, in UTF-8: the values the rows are made of.
struct FakeMatch {
  std::string status;  // MatchStatus: "1", "2", "3"
  std::string date;
  std::string scoreA, scoreB;
  std::string pairing;                          // bMatchName
  std::string narratorA, narratorB, narratorC;  // narratorC "默认" for none
  std::string event;                            // GameName
  std::string newsId;                           // "0" when there is no video
};

inline constexpr const char* kMatchListPath = "/lol/match/apis/searchBMatchInfo.php";

// The ids of the seventeen teams the service knows.
const std::vector<std::string>& FakeLeagueTeams();
// The matches of a team, newest first; empty for a team the service does not know.
const std::vector<FakeMatch>& FakeLeagueMatches(const std::string& teamId);

// The answer text for a query string (r1=MatchList&page=…&pagesize=…&p2=…&p6=2), in UTF-8.
std::string FakeLeagueAnswer(const std::string& query);
// The object text of one match, with all 40 keys in the service's order.
std::string FakeMatchObject(const FakeMatch& match);

class FakeLeagueService {
 public:
  FakeLeagueService();
  ~FakeLeagueService();
  FakeLeagueService(const FakeLeagueService&) = delete;
  FakeLeagueService& operator=(const FakeLeagueService&) = delete;

  // Listens on 127.0.0.1 (port 0: any free one) with the given PEM certificate and key.
  // False when it cannot.
  bool Start(const std::string& certPath, const std::string& keyPath, int port = 0);
  void Stop();
  // Called with each query string as it arrives, one call at a time; set before Start.
  void OnQuery(std::function<void(const std::string&)> callback) { onQuery_ = std::move(callback); }
  int Port() const { return port_; }

  // The query strings received so far, oldest first.
  std::vector<std::string> Queries() const;
  void ClearQueries();

 private:
  struct Impl;

  std::unique_ptr<Impl> impl_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::vector<std::string> queries_;
  std::function<void(const std::string&)> onQuery_;
};

}  // namespace kovarra::testing
