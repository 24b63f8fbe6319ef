#include "tests/fake_league/fake_league.hpp"

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <utility>

#include "tests/support/match_object.hpp"

namespace kovarra::testing {

namespace {

struct Team {
  const char* id;
  const char* abbreviation;
};

constexpr Team kTeams[] = {
    {"57", "BLG"}, {"1", "EDG"},  {"7", "FPX"},  {"2", "IG"},   {"29", "JDG"}, {"4", "LGD"},
    {"9", "LNG"},  {"6", "OMG"},  {"11", "RA"},  {"8", "RNG"},  {"422", "RW"}, {"41", "SN"},
    {"42", "TES"}, {"438", "TT"}, {"685", "UP"}, {"587", "V5"}, {"12", "WE"},
};
constexpr int kTeamCount = static_cast<int>(std::size(kTeams));

const char* const kNarrators[] = {"星河", "晨风", "青柠", "木易", "阿肆", "小鹿", "北辰", "南枝"};
const char* const kEvents[] = {"2026 LPL春季赛", "2026 LPL季后赛", "2026 德玛西亚杯"};

std::string Number(int n) {
  return std::to_string(n);
}

// Newest first: two matches still to come, one being played, then finished ones. Among them
// some without a video yet, one with an empty news id, and third narrators "默认" for none.
std::vector<FakeMatch> MakeMatches(int team) {
  const int count = 41 + (team * 7) % 20;
  std::vector<FakeMatch> matches;
  for (int k = 0; k < count; ++k) {
    FakeMatch m;
    const int opponent = (team + 1 + k % (kTeamCount - 1)) % kTeamCount;
    const bool home = k % 2 == 0;
    m.pairing = std::string(kTeams[home ? team : opponent].abbreviation) + " vs " +
                kTeams[home ? opponent : team].abbreviation;
    const int month = 6 - k / 28;
    const int day = 28 - k % 28;
    char date[32];
    std::snprintf(date, sizeof date, "2026-%02d-%02d %02d:00:00", month, day, k % 2 ? 19 : 17);
    m.date = date;
    if (k < 2) {
      m.status = "1";
      m.scoreA = m.scoreB = "0";
    } else if (k == 2) {
      m.status = "2";
      m.scoreA = "1";
      m.scoreB = "0";
    } else {
      m.status = "3";
      static const char* const kScores[][2] = {{"2", "0"}, {"2", "1"}, {"1", "2"}, {"0", "2"}};
      m.scoreA = kScores[(k + team) % 4][0];
      m.scoreB = kScores[(k + team) % 4][1];
    }
    m.narratorA = kNarrators[(k + team) % 8];
    m.narratorB = kNarrators[(k + team + 3) % 8];
    m.narratorC = k % 3 == 0 ? "默认" : kNarrators[(k + team + 5) % 8];
    m.event = kEvents[k < 30 ? (k % 10 == 9 ? 2 : 0) : 1];
    if (m.status != "3" || k % 7 == 4) {
      m.newsId = "0";
    } else if (k == 10) {
      m.newsId = "";
    } else {
      m.newsId = Number(1200000 + team * 1000 + k);
    }
    matches.push_back(std::move(m));
  }
  return matches;
}

const std::map<std::string, std::vector<FakeMatch>>& Fixture() {
  static const auto fixture = [] {
    std::map<std::string, std::vector<FakeMatch>> all;
    for (int t = 0; t < kTeamCount; ++t) all[kTeams[t].id] = MakeMatches(t);
    return all;
  }();
  return fixture;
}

std::map<std::string, std::string> ParseQuery(const std::string& query) {
  std::map<std::string, std::string> values;
  std::size_t at = 0;
  while (at <= query.size()) {
    std::size_t end = query.find('&', at);
    if (end == std::string::npos) end = query.size();
    const std::string pair = query.substr(at, end - at);
    const std::size_t eq = pair.find('=');
    if (eq != std::string::npos) values.emplace(pair.substr(0, eq), pair.substr(eq + 1));
    at = end + 1;
  }
  return values;
}

// A positive decimal number, or fallback.
int PositiveOr(const std::string& text, int fallback) {
  if (text.empty() || text.size() > 6) return fallback;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return fallback;
    n = n * 10 + (c - '0');
  }
  return n > 0 ? n : fallback;
}

}  // namespace

const std::vector<std::string>& FakeLeagueTeams() {
  static const std::vector<std::string> ids = [] {
    std::vector<std::string> out;
    for (const Team& t : kTeams) out.emplace_back(t.id);
    return out;
  }();
  return ids;
}

const std::vector<FakeMatch>& FakeLeagueMatches(const std::string& teamId) {
  static const std::vector<FakeMatch> none;
  const auto& fixture = Fixture();
  const auto it = fixture.find(teamId);
  return it == fixture.end() ? none : it->second;
}

std::string FakeMatchObject(const FakeMatch& m) {
  const bool video = m.newsId != "0" && !m.newsId.empty();
  return MatchObjectJson({
      {"AppTopicId", "0"},
      {"GameId", "88"},
      {"GameMode", "3"},
      {"GameName", m.event},
      {"GameNarratorA", "1"},
      {"GameNarratorAName", m.narratorA},
      {"GameNarratorB", "2"},
      {"GameNarratorBName", m.narratorB},
      {"GameNarratorC", m.narratorC == "默认" ? "0" : "3"},
      {"GameNarratorCName", m.narratorC},
      {"GamePlace", "1"},
      {"GamePlaceName", "上海"},
      {"GameProcId", "2"},
      {"GameProcName", "常规赛"},
      {"GameTypeId", "1"},
      {"GameTypeName", "职业联赛"},
      {"HighlightsId", "0"},
      {"MatchDate", m.date},
      {"MatchStatus", m.status},
      {"MatchWin", m.status == "3" ? (m.scoreA > m.scoreB ? "1" : "2") : "0"},
      {"NewsId", m.newsId},
      {"ScoreA", m.scoreA},
      {"ScoreB", m.scoreB},
      {"TeamA", "0"},
      {"TeamB", "0"},
      {"Video1", video ? "https:\\/\\/v.example.invalid\\/" + m.newsId : ""},
      {"bGameId", "120"},
      {"bMatchId", m.newsId.empty() ? "1" : m.newsId},
      {"bMatchName", m.pairing},
      {"iQTMatchId", "0"},
  });
}

std::string FakeLeagueAnswer(const std::string& query) {
  const auto values = ParseQuery(query);
  const auto team = values.find("p2");
  const std::vector<FakeMatch>& matches =
      FakeLeagueMatches(team == values.end() ? std::string() : team->second);
  if (matches.empty()) return "var MatchList = {\"status\":\"-1\",\"msg\":\"未查询到数据\"}";

  const auto text = [&](const char* key) {
    const auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
  };
  const int page = PositiveOr(text("page"), 1);
  int pagesize = PositiveOr(text("pagesize"), 5);
  if (pagesize > 100) pagesize = 100;
  const int total = static_cast<int>(matches.size());
  const int totalpage = (total + pagesize - 1) / pagesize;

  std::string out = "var MatchList = {\"status\":\"0\",\"msg\":{\"total\":" + Number(total) +
                    ",\"page\":" + Number(page) + ",\"pagesize\":" + Number(pagesize) +
                    ",\"result\":[";
  const long first = static_cast<long>(page - 1) * pagesize;
  for (long i = first; i < first + pagesize && i < total; ++i) {
    if (i > first) out += ',';
    out += FakeMatchObject(matches[static_cast<std::size_t>(i)]);
  }
  out += "],\"totalpage\":" + Number(totalpage) + "}}";
  return out;
}

struct FakeLeagueService::Impl {
  std::unique_ptr<httplib::SSLServer> server;
};

FakeLeagueService::FakeLeagueService() : impl_(std::make_unique<Impl>()) {}

FakeLeagueService::~FakeLeagueService() {
  Stop();
}

bool FakeLeagueService::Start(const std::string& certPath, const std::string& keyPath, int port) {
  if (impl_->server) return false;
  auto server = std::make_unique<httplib::SSLServer>(certPath.c_str(), keyPath.c_str());
  if (!server->is_valid()) return false;
  // Stop waits for idle keep-alive connections; keep that wait short.
  server->set_keep_alive_timeout(1);
  // Header and body go out in separate writes; without this, Nagle's algorithm holds the body
  // back until the client's delayed acknowledgement, some 40 ms per answer.
  server->set_tcp_nodelay(true);
  server->Get(kMatchListPath, [this](const httplib::Request& request, httplib::Response& response) {
    const std::size_t mark = request.target.find('?');
    const std::string query = mark == std::string::npos ? "" : request.target.substr(mark + 1);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queries_.push_back(query);
      if (onQuery_) onQuery_(query);
    }
    response.set_content(FakeLeagueAnswer(query), "application/x-javascript; charset=utf-8");
  });
  if (port == 0) {
    port_ = server->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) return false;
  } else {
    if (!server->bind_to_port("127.0.0.1", port)) return false;
    port_ = port;
  }
  impl_->server = std::move(server);
  // The socket listens already, so a request made right after this returns just waits.
  thread_ = std::thread([this] { impl_->server->listen_after_bind(); });
  // Stop only takes effect on a running server: wait until it runs.
  for (int i = 0; i < 5000 && !impl_->server->is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return impl_->server->is_running();
}

void FakeLeagueService::Stop() {
  if (impl_->server) impl_->server->stop();
  if (thread_.joinable()) thread_.join();
  impl_->server.reset();
}

std::vector<std::string> FakeLeagueService::Queries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queries_;
}

void FakeLeagueService::ClearQueries() {
  std::lock_guard<std::mutex> lock(mutex_);
  queries_.clear();
}

}  // namespace kovarra::testing
