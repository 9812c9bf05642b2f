#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <sstream>

#include "board/gameend.h"
#include "localserver.h"
#include "notation/movetext.h"
#include "support/fixtures.h"
#include "support/legalmoves.h"

namespace kestrin::test {
namespace {

using Clock = std::chrono::steady_clock;

// One player as its frames show it: seat, game and every move it saw since the game began.
struct Agent {
  ScriptedClient* link = nullptr; // client 0 has none
  int table = 0, joining = 0, colour = NetOnlooker;
  bool playing = false, synced = false;
  Position board{};
  std::vector<std::string> seen;
  Clock::time_point movedAt;
};

std::string Trim(std::string text) { return text.erase(text.find_last_not_of(' ') + 1); }

struct Crowd {
  LocalServer s;
  std::vector<Agent> agents;
  std::mt19937 random{20261207};
  std::vector<double> latencies; // milliseconds from sending a move to its echo

  void Send(Agent& a, std::uint8_t type, const Payload& p) {
    if (type == 1 && !p.empty() && p[0] < TableCount) a.joining = p[0];
    if (a.link) a.link->Send(type, p); else s.server.Handle(0, type, p);
  }
  void Restart(Agent& a) {
    SetStartPosition(a.board);
    a.seen.clear();
    a.playing = a.synced = true;
  }
  void See(Agent& a, const Frame& f) {
    const std::string text = PayloadText(f.payload, f.type == 4 ? 4 : 0);
    if (f.type == 4 || f.type == 12) {
      if (f.type == 12) Restart(a);
      std::istringstream words(text);
      for (std::string w; words >> w;)
        if (w.back() != '.' && PlayMoveText(w, a.board, 0, nullptr)) a.seen.push_back(w);
      if (f.type == 4 && f.payload[0] == a.colour)
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - a.movedAt).count());
    }
    if (f.type == 6) Restart(a);
    if (f.type == 13) a.colour = f.payload[0];
    if (f.type == 15) a.colour = NetOnlooker, a.synced = false, a.table = a.joining;
    if (f.type == 17 && text == "-Empty-") a.colour = NetOnlooker;
    if (f.type == 7 || f.type == 8 || f.type == 11 || (f.type == 3 && (text == "White Wins" || text == "Black Wins" || text == "Draw.")))
      a.playing = false;
    if (f.type == 14) a.playing = true;
  }
  void Pump() {
    s.Settle(0);
    for (Agent& a : agents)
      for (const Frame& f : a.link ? a.link->Take() : std::exchange(s.local, {})) See(a, f);
  }
  bool Play(Agent& a) {
    if (!a.playing || a.colour != a.board.sideToMove) return false;
    const std::vector<Move> legal = LegalMoves(a.board);
    if (legal.empty()) return false;
    char slot[MoveTextSlotSize] = {};
    FormatMoveText(slot, a.board, legal[random() % legal.size()]);
    Payload p{static_cast<std::uint8_t>(a.colour), 1, 1, 1};
    for (char c : Trim(slot) + ' ') p.push_back(static_cast<std::uint8_t>(c));
    p.push_back(0);
    a.movedAt = Clock::now();
    Send(a, 4, p);
    return true;
  }
  // Every table's record replays legally to the table's position; every synced watcher of a
  // table with a game saw exactly its record; seats and tables agree.
  // Returns how many watchers were compared.
  int Check() {
    int compared = 0;
    for (int t = 0; t < TableCount; ++t) {
      std::vector<std::string> record;
      Position replay{};
      SetStartPosition(replay);
      for (int ply = 1; ply <= HistoryCount(&s.server.TableRecord(t)); ++ply) {
        record.push_back(Trim(std::string(PlyText(s.server.TableRecord(t), ply))));
        if (!PlayMoveText(record.back(), replay, 0, nullptr)) ADD_FAILURE() << "table " << t << " ply " << ply;
      }
      EXPECT_EQ(ToFen(replay), ToFen(s.server.TablePosition(t)));
      for (const Agent& a : agents)
        if (a.synced && a.table == t && s.server.TableSeated(t) == 2) {
          EXPECT_EQ(a.seen, record) << "table " << t;
          ++compared;
        }
      const int white = s.server.TableWhite(t), black = s.server.TableBlack(t);
      EXPECT_EQ(s.server.TableSeated(t), (white >= 0) + (black >= 0));
      for (int k = 0; k < s.server.ClientCount(); ++k) {
        const int seat = s.server.ClientSeat(k);
        EXPECT_EQ(seat != NetOnlooker && s.server.ClientTable(k) == t, k == white || k == black) << k;
        if (seat != NetOnlooker && s.server.ClientTable(k) == t) {
          EXPECT_EQ(seat, k == white ? NetWhite : NetBlack);
        }
      }
    }
    return compared;
  }
};

TEST(NetLoadSlow, FortyEightPlayersAtEightTables) {
  Crowd run;
  run.agents.resize(MaxClients);
  for (int i = 1; i < MaxClients; ++i) run.agents[i].link = &run.s.Connect("P" + std::to_string(i));
  for (int i = 0; i < MaxClients; ++i) {
    run.Send(run.agents[i], 1, ShortPayload(static_cast<std::uint8_t>(i % TableCount)));
    run.Pump();
    run.Send(run.agents[i], 6, ShortPayload(1));
  }
  int moves = 0;
  const auto start = Clock::now();
  for (int round = 0; round < 40000; ++round) {
    Agent& a = run.agents[run.random() % MaxClients];
    const int r = static_cast<int>(run.random() % 1000);
    if (r < 700) {
      moves += run.Play(a);
    } else if (r < 996) {
      static const std::uint8_t kinds[] = {2, 6, 6, 6, 7, 14, 1, 1, 8};
      const std::uint8_t type = kinds[r % 9];
      run.Send(a, type, type == 2 ? TextPayload("hello") : ShortPayload(type == 1 ? run.random() % 8 : 1));
    } else if (r < 998 || !a.link) {
      run.Send(a, 20, TextPayload(""));
    } else {
      a.link->Close();
      for (int i = 0; i < 100 && run.s.server.ClientCount() == MaxClients; ++i) run.s.loop.RunOnce(5);
      a = Agent();
      a.link = &run.s.Connect("Again");
    }
    if (round % 4 == 0) run.Pump();
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.s.Settle();
  run.Pump();
  const int compared = run.Check();
  EXPECT_GT(compared, MaxClients / 4);
  std::sort(run.latencies.begin(), run.latencies.end());
  ASSERT_FALSE(run.latencies.empty());
  std::printf("[ figures  ] %d watchers checked; %d moves relayed in %.1f s: %.0f moves/s; relay latency p99 %.2f ms (%zu samples)\n",
              compared, moves, seconds, moves / seconds, run.latencies[run.latencies.size() * 99 / 100], run.latencies.size());
}

// Clients sending random bytes, mutated frames and messages they may not send beside two
// players: the game is played to its end and every record stays legal.
TEST(NetFuzz, GarbageBesideARealGame) {
  Crowd run;
  run.agents.resize(3);
  for (int i = 1; i < 3; ++i) {
    run.agents[i].link = &run.s.Connect("Player");
    run.Send(run.agents[i], 6, ShortPayload(1));
    run.Pump();
  }
  std::vector<ScriptedClient*> fuzzers(5);
  auto& random = run.random;
  auto bytes = [&](std::size_t n) {
    Payload p(n);
    for (auto& b : p) b = static_cast<std::uint8_t>(random());
    return p;
  };
  int rounds = 0;
  for (; run.s.server.TableResult(0) == GameInProgress && HistoryCount(&run.s.server.TableRecord(0)) < MaxRecordedPlies;
       ++rounds) {
    ASSERT_LT(rounds, 5000);
    for (ScriptedClient*& f : fuzzers) {
      if (!f || !f->Connected()) f = &run.s.Connect();
      Payload p = random() % 2 ? TextPayload(std::string(PlyText(run.s.server.TableRecord(0), 1 + random() % 8))) : bytes(random() % 24);
      if (random() % 3 == 0) p.insert(p.begin(), {static_cast<std::uint8_t>(random() % 5), 1, 1, 1});
      std::vector<std::uint8_t> frame = EncodeFrame(static_cast<std::uint8_t>(random() % 24), p);
      if (random() % 4 == 0) frame[random() % frame.size()] ^= static_cast<std::uint8_t>(1 << random() % 8);
      if (random() % 8 == 0) frame = bytes(random() % 64);
      if (random() % 50 == 0) frame = EncodeFrame(2, bytes(MaxFrameLength - 3));
      f->SendBytes(frame);
    }
    run.Play(run.agents[1]) || run.Play(run.agents[2]);
    run.Pump();
  }
  run.s.Settle();
  run.Pump();
  EXPECT_GE(run.Check(), 2);
  std::printf("[ figures  ] game of %d plies ended with result %d after %d rounds of garbage\n",
              HistoryCount(&run.s.server.TableRecord(0)), run.s.server.TableResult(0), rounds);
}

} // namespace
} // namespace kestrin::test
