#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <sstream>

#include "board/gameend.h"
#include "localserver.h"
#include "support/fixtures.h"
#include "support/legalmoves.h"

namespace kestrin::test {
namespace {

using Clock = std::chrono::steady_clock;

// A player as its frames show it: its seat, its table's game and every move it saw there.
struct Agent {
  ScriptedClient* link = nullptr; // client 0 has none
  int table = 0, joining = 0, colour = NetOnlooker;
  bool synced = false;
  Position board{};
  std::vector<std::string> seen;
  Clock::time_point spokeAt{}; // its last message other than a move
};

// Players acting at random (or only moving), and clients sending garbage beside them.
struct Crowd {
  LocalServer s;
  std::vector<Agent> agents;
  std::vector<ScriptedClient*> fuzzers;
  std::mt19937 random{20261207};

  Crowd(int players, int fuzzerCount) : agents(static_cast<std::size_t>(players) + 1), fuzzers(fuzzerCount) {
    for (std::size_t i = 1; i < agents.size(); ++i) agents[i].link = &s.Connect("P" + std::to_string(i));
    for (std::size_t i = 0; i < agents.size(); ++i) // one at a time, so that seats go in this order
      Send(agents[i], 1, ShortPayload((i + 1) / 2 % TableCount)), Send(agents[i], 6, ShortPayload(1)), Pump();
  }
  void Send(Agent& a, std::uint8_t type, const Payload& p) {
    if (type == 1 && p[0] < TableCount) a.joining = p[0];
    a.link ? void(a.link->Send(type, p)) : s.server.Handle(0, type, p);
  }
  void See(Agent& a, const Frame& f) {
    const std::string text = PayloadText(f.payload, f.type == 4 ? 4 : 0);
    if (f.type == 6 || f.type == 12) SetStartPosition(a.board), a.seen.clear(), a.synced = true;
    if (f.type == 4 || f.type == 12) {
      std::istringstream words(text);
      for (std::string w; words >> w;)
        if (w.back() != '.' && PlayMoveText(w, a.board, 0, nullptr)) a.seen.push_back(w);
    }
    if (f.type == 13 || f.type == 15) a.colour = f.payload[0];
    if (f.type == 15) a.synced = false, a.table = a.joining;
    if (f.type == 17 && text == "-Empty-") a.colour = NetOnlooker;
  }
  void Pump() {
    s.Settle(0);
    for (Agent& a : agents)
      for (const Frame& f : a.link ? a.link->Take() : std::exchange(s.local, {})) See(a, f);
  }
  void Play(Agent& a) {
    if (a.colour != a.board.sideToMove || MateStatus(a.board, a.colour) != HasLegalMove) return;
    const std::vector<Move> legal = LegalMoves(a.board);
    char slot[MoveTextSlotSize] = {};
    FormatMoveText(slot, a.board, legal[random() % legal.size()]);
    Send(a, 4, MovePayload(a.colour, slot));
  }
  // Random bytes, frames of any type with random or game-like payloads, mutated, now and then the longest.
  void Garbage(ScriptedClient*& f) {
    const auto Bytes = [this](auto n) { Payload p(n); for (auto& b : p) b = std::uint8_t(random()); return p; };
    if (!f || !f->Poll()) f = &s.Connect();
    const std::string_view ply = PlyText(s.server.TableRecord(1), 1 + random() % 9);
    Payload p = random() % 2 ? TextPayload(ply) : Bytes(random() % 24);
    if (random() % 3 == 0) p.insert(p.begin(), {static_cast<std::uint8_t>(random() % 5), 1, 1, 1});
    std::vector<std::uint8_t> frame = EncodeFrame(static_cast<std::uint8_t>(random() % 24), p);
    frame[random() % frame.size()] ^= random() % 4 ? 0 : static_cast<std::uint8_t>(1 << random() % 8);
    f->SendBytes(random() % 8 ? frame : random() % 6 ? Bytes(random() % 64) : EncodeFrame(2, Bytes(MaxFrameLength - 3)));
  }
  // A random act: mostly a move, else chat, offers, sitting, joining, getting up or reconnecting.
  void Act(Agent& a) {
    const int r = static_cast<int>(random() % 1000), type = std::array{2, 6, 6, 6, 7, 14, 1, 1, 8}[r % 9];
    // A person says at most a few things a second: the server drops more than that from anyone.
    const bool mayTalk = Clock::now() - a.spokeAt > std::chrono::milliseconds(250);
    if (r < 700 || !mayTalk) return Play(a);
    a.spokeAt = Clock::now();
    if (r < 996) Send(a, type, type == 2 ? TextPayload("hello") : ShortPayload(type == 1 ? random() % 8 : 1));
    else if (r < 998 || !a.link) Send(a, 20, TextPayload(""));
    else a.link->Close(), Pump(), a = Agent(), a.link = &s.Connect("Again");
  }
  // Once the traffic has passed: every record replays legally to its table's position; every synced
  // watcher of a table with a game saw exactly its record; seats and tables agree. Returns the watchers compared.
  int Check() {
    s.Settle();
    Pump();
    int compared = 0;
    for (int t = 0; t < TableCount; ++t) {
      Agent record; // the table's record as a joining client reads it: each ply legal
      See(record, {12, TextPayload(s.server.TableMoveList(t))});
      EXPECT_EQ(record.seen.size(), std::size_t(HistoryCount(&s.server.TableRecord(t)))) << "table " << t;
      EXPECT_EQ(ToFen(record.board), ToFen(s.server.TablePosition(t)));
      for (const Agent& a : agents)
        if (a.synced && a.table == t && s.server.TableSeated(t) == 2) {
          EXPECT_EQ(a.seen, record.seen) << "table " << t;
          ++compared;
        }
      const int white = s.server.TableWhite(t), black = s.server.TableBlack(t);
      EXPECT_EQ(s.server.TableSeated(t), (white >= 0) + (black >= 0));
      for (int k = 0; k < s.server.ClientCount(); ++k) {
        const int seat = s.server.ClientTable(k) == t ? s.server.ClientSeat(k) : NetOnlooker;
        EXPECT_EQ(seat, k == white ? NetWhite : k == black ? NetBlack : NetOnlooker) << t << " " << k;
      }
    }
    return compared;
  }
};

// The server's figures under this load come from the developer command netload; here the
// crowd only has to leave every record, seat and watcher consistent.
TEST(NetLoadSlow, FortyEightPlayersAtEightTables) {
  Crowd crowd(MaxClients - 1, 0);
  for (int round = 0; round < 40000; ++round) {
    crowd.Act(crowd.agents[crowd.random() % crowd.agents.size()]);
    if (round % 4 == 0) crowd.Pump();
  }
  EXPECT_GT(crowd.Check(), MaxClients / 4);
}

// Garbage beside two players: their game is played to a result, every record stays legal.
TEST(NetFuzz, GarbageBesideARealGame) {
  Crowd crowd(2, 8);
  // Players 1 and 2 sit at table 1.
  const Server& server = crowd.s.server;
  for (int rounds = 1; server.TableResult(1) == GameInProgress; ++rounds) {
    ASSERT_LT(rounds, 5000) << HistoryCount(&server.TableRecord(1)) << " plies";
    for (ScriptedClient*& f : crowd.fuzzers) crowd.Garbage(f);
    crowd.Play(crowd.agents[1 + rounds % 2]);
    crowd.Pump();
  }
  EXPECT_GE(crowd.Check(), 2);
}

} // namespace
} // namespace kestrin::test
