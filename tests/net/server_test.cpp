#include <gtest/gtest.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <set>
#include <thread>

#include "board/gameend.h"
#include "localserver.h"
#include "platform/clock.h"
#include "support/fixtures.h"
#include "support/legalmoves.h"
#include "support/recordingfrontend.h"

namespace kestrin::test {
namespace {

Payload Move(int colour, std::string_view text) { return MovePayload(colour, text); }

// Frames as "type", "type=text" or "type#value" (the short messages), joined by ';'.
std::string Render(const std::vector<Frame>& frames) {
  std::string out;
  for (const Frame& f : frames) {
    const std::string text = PayloadText(f.payload, f.type == 4 ? 4 : 0);
    const bool isShort = f.type == 8 || f.type == 11 || f.type == 13 || f.type == 15;
    out += (out.empty() ? "" : ";") + std::to_string(f.type) +
           (isShort ? "#" + std::to_string(f.payload.at(0)) : f.type % 11 == 10 || text.empty() ? "" : "=" + text);
  }
  return out;
}

// What each party received since the last call, parties with the same frames grouped: "03:6|1:6;13#1".
std::string Received(LocalServer& s) {
  std::vector<std::pair<std::string, std::string>> groups; // frames, parties
  for (std::size_t party = 0; party <= s.clients.size(); ++party) {
    const std::string text = Render(party ? s.clients[party - 1]->Take() : std::exchange(s.local, {}));
    auto it = std::find_if(groups.begin(), groups.end(), [&](auto& g) { return g.first == text; });
    if (it == groups.end()) it = groups.insert(groups.end(), {text, ""});
    if (!text.empty()) it->second += std::to_string(party);
  }
  std::string out;
  for (auto& [text, parties] : groups)
    if (!text.empty()) out += (out.empty() ? "" : "|") + parties + ":" + text;
  return out;
}

// Clients as name@table/seat, then each table with players, seated count, result, clocks and moves.
std::string StateText(const Server& s) {
  std::string out;
  auto n = [](int v) { return std::to_string(v); };
  for (int k = 0; k < s.ClientCount(); ++k)
    out += s.ClientName(k) + "@" + n(s.ClientTable(k)) + "/" + n(s.ClientSeat(k)) + " ";
  for (int t = 0; t < TableCount; ++t)
    if (s.TableSeated(t) || HistoryCount(&s.TableRecord(t)) || s.TableResult(t) != 4 || s.TableMinutes(t) != 5)
      out += "t" + n(t) + ":" + n(s.TableWhite(t)) + "," + n(s.TableBlack(t)) + "," + n(s.TableSeated(t)) + " r" +
             n(s.TableResult(t)) + " " + n(s.TableMinutes(t)) + "/" + n(s.TableSeconds(t)) + " " + s.TableMoveList(t) + "|";
  return out;
}

constexpr int State = -1;          // a step comparing the server's state
constexpr std::uint8_t Hangup = 0; // the step's client closes its connection
struct Step {
  int who; // 0 the server's own user, k the k-th client, or State
  std::uint8_t type;
  Payload payload;
  std::string expect; // what the parties received, or the state; "?" is not checked
};

void RunScenario(const std::vector<Step>& steps) {
  LocalServer s;
  std::string log;
  s.server.log = [&log](const std::string& line) { log += line + "|"; };
  for (const char* name : {"Ann", "Bob", "Cy"}) s.Connect(name);
  Received(s);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    if (step.who == 0) s.server.Handle(0, step.type, step.payload);
    if (step.who > 0 && step.type == Hangup) s.clients[step.who - 1]->Close();
    if (step.who > 0 && step.type != Hangup) s.clients[step.who - 1]->Send(step.type, step.payload);
    s.Settle();
    const std::string got = step.who == State ? StateText(s.server) : Received(s);
    EXPECT_TRUE(step.expect == "?" || got == step.expect) << "step " << i << ": " << got;
  }
  EXPECT_EQ(log, PrintableText(log)) << "a control character in the log";
}

const Payload One = ShortPayload(1);
const std::string Seated = "03:3=<Bob is Ready to Play>;6;17=Ann;18=Bob|1:3=<Bob is Ready to Play>;6;13#1;17=Ann;18=Bob|"
                           "2:3=<Bob is Ready to Play>;6;13#2;17=Ann;18=Bob";

TEST(Server, SeatingOffersAndResults) {
  RunScenario({{1, 6, One, "0123:3=<Ann is Ready to Play>;17=Ann"}, {1, 6, One, ""}, {2, 6, One, Seated},
               {3, 6, One, ""}, {3, 7, One, ""}, {3, 8, One, ""}, {3, 14, One, ""}, {3, 4, Move(1, "e2-e4 "), ""},
               {1, 4, Move(1, "e2-e4 "), "0123:4=e2-e4 "},
               {1, 4, Move(1, "e7-e5 "), ""}, // not White's turn
               {2, 4, Move(1, "e7-e5 "), ""}, // not the mover's colour
               {2, 4, Move(2, "e7-e4 "), ""}, // illegal
               {2, 4, Move(2, "e7-e5 "), "0123:4=e7-e5 "}, {1, 7, One, "0123:3=<Ann requests a Draw!>"},
               {1, 4, Move(1, "Ng1-f3 "), "0123:4=Ng1-f3 "}, // a move clears the offer
               {2, 7, One, "0123:3=<Bob requests a Draw!>"}, {1, 7, One, "0123:7"},
               {2, 4, Move(2, "Nb8-c6 "), ""}, {2, 8, One, ""}, // the game is over
               {State, 0, {}, "Host@0/4 Ann@0/1 Bob@0/2 Cy@0/4 t0:1,2,2 r3 5/5 1. e2-e4  e7-e5  \n2. Ng1-f3 |"},
               {1, 14, One, "0123:3=<Ann requests to Continue Game!>"}, {2, 14, One, "0123:14"},
               {3, 11, ShortPayload(2), ""}, {1, 11, One, "0123:3=<Ann Lost on Time>;11#1"}, {2, 11, One, ""},
               {2, 4, Move(2, "Nb8-c6 "), ""},
               {State, 0, {}, "Host@0/4 Ann@0/1 Bob@0/2 Cy@0/4 t0:1,2,2 r2 5/5 1. e2-e4  e7-e5  \n2. Ng1-f3 |"},
               {1, 6, One, "0123:3=<Ann requests New Game!>"}, {2, 6, One, "03:6|1:6;13#1|2:6;13#2"},
               {2, 8, One, "0123:8#2;3=<Bob Resigns!>"}, {1, 8, One, ""}, {1, 4, Move(1, "e2-e4 "), ""},
               {State, 0, {}, "Host@0/4 Ann@0/1 Bob@0/2 Cy@0/4 t0:1,2,2 r1 5/5 |"}});
}

TEST(Server, SetupTrafficAndColourSwap) {
  RunScenario({{1, 6, One, "?"}, {2, 6, One, "?"}, {3, 10, {'t', 138, 131, 0}, ""},
               {1, 10, {'t', EncodeClockValue(150), EncodeClockValue(128), 0}, "013:21|2:10;21"},
               {1, 10, {'c', 2, 0}, "2:10"}, // another colour than the sender's: no swap
               {1, 10, {'c', 1, 0}, "013:17=Bob;18=Ann|2:10;17=Bob;18=Ann"}, {1, 10, {'c', 1, 0}, "2:10"},
               // Clocks out of the dialog's range: 0 minutes and 200 seconds are 1 and 180.
               {2, 10, {'t', EncodeClockValue(0), 72, 0}, "023:21|1:10;21"},
               {State, 0, {}, "Host@0/4 Ann@0/2 Bob@0/1 Cy@0/4 t0:2,1,2 r4 1/180 |"},
               {2, 10, {'t', EncodeClockValue(150), EncodeClockValue(128), 0}, "?"},
               {1, 4, Move(1, "Ng1-f3 "), ""}, {2, 4, Move(1, "Ng1-f3 "), "0123:4=Ng1-f3 "},
               // Once the game runs, neither seats nor clocks change, and the opponent hears nothing of it.
               {1, 10, {'c', 2, 0}, ""}, {2, 10, {'t', EncodeClockValue(1), EncodeClockValue(0), 0}, ""},
               // The start position a third time: the table's own record draws.
               {1, 4, Move(2, "Ng8-f6 "), "?"}, {2, 4, Move(1, "Nf3-g1 "), "?"}, {1, 4, Move(2, "Nf6-g8 "), "?"},
               {2, 4, Move(1, "Ng1-f3 "), "?"}, {1, 4, Move(2, "Ng8-f6 "), "?"}, {2, 4, Move(1, "Nf3-g1 "), "?"},
               {1, 4, Move(2, "Nf6-g8 "), "0123:4=Nf6-g8 ;3=Draw."}, {2, 4, Move(1, "Ng1-f3 "), ""},
               {State, 0, {}, "Host@0/4 Ann@0/2 Bob@0/1 Cy@0/4 t0:2,1,2 r3 150/128 1. Ng1-f3 Ng8-f6 \n2. Nf3-g1 Nf6-g8 \n"
                              "3. Ng1-f3 Ng8-f6 \n4. Nf3-g1 Nf6-g8 \n|"}});
}

TEST(Server, JoiningGettingUpAndRenumbering) {
  const std::string a40(40, 'a'), twoMoves = "1. e2-e4  e7-e5  \n2. Ng1-f3 |";
  RunScenario(
      {{3, 1, ShortPayload(2), "012:2=** Cy left table 0 **|3:2=** Cy left table 0 **;2=** Cy joined table 2 **;15#4;21;"
                               "18=-Empty-;17=-Empty-;6"},
       {3, 6, One, "3:3=<Cy is Ready to Play>;17=Cy"},
       {1, 1, ShortPayload(2), "02:2=** Ann left table 0 **|1:2=** Ann left table 0 **;2=** Ann joined table 2 **;15#4;"
                               "21;18=-Empty-;17=Cy;6|3:2=** Ann joined table 2 **"},
       {1, 6, One, "1:3=<Ann is Ready to Play>;6;13#2;17=Cy;18=Ann|3:3=<Ann is Ready to Play>;6;13#1;17=Cy;18=Ann"},
       {3, 4, Move(1, "e2-e4 "), "13:4=e2-e4 "},
       {2, 1, ShortPayload(2), "0:2=** Bob left table 0 **|13:2=** Bob joined table 2 **|2:2=** Bob left table 0 **;"
                               "2=** Bob joined table 2 **;15#4;21;12=1. e2-e4  ;17=Cy;18=Ann"},
       {2, 1, ShortPayload(9), "2:3=< Table 9 does not exist >"},
       {2, 5, TextPayload(a40 + "bcdef"), "0123:2=** " + a40 + " Connected **"},
       {State, 0, {}, "Host@0/4 Ann@2/2 " + a40 + "@2/4 Cy@2/1 t2:3,1,2 r4 5/5 1. e2-e4  |"},
       {2, Hangup, {}, "013:2=** " + a40 + " Disconnected **"},
       {State, 0, {}, "Host@0/4 Ann@2/2 Cy@2/1 t2:2,1,2 r4 5/5 1. e2-e4  |"}, // Cy is client 2 now
       {1, 4, Move(2, "e7-e5 "), "13:4=e7-e5 "}, {3, 4, Move(1, "Ng1-f3 "), "13:4=Ng1-f3 "},
       {1, 20, {0}, "13:8#2;3=Ann got up.\nTable open.;18=-Empty-;17=-Empty-"},
       {State, 0, {}, "Host@0/4 Ann@2/4 Cy@2/4 t2:-1,-1,0 r4 5/5 " + twoMoves}, {3, 6, One, "?"},
       {3, Hangup, {}, "0:2=** Cy Disconnected **|1:8#1;3=Cy got up.\nTable open.;18=-Empty-;17=-Empty-;"
                       "2=** Cy Disconnected **"},
       {State, 0, {}, "Host@0/4 Ann@2/4 t2:-1,-1,0 r4 5/5 " + twoMoves}});
}

TEST(Server, RefusesAndDropsWithoutStalling) {
  RecordingScope shown;
  LocalServer s;
  s.server.SetOutputLimit(16 * 1024);
  PollLoop otherLoop;
  EXPECT_FALSE(Server(otherLoop).Start(s.server.Port(), "Other", "127.0.0.1"));
  EXPECT_EQ(shown->messages.at(0).first,
            "ERROR:\n(on Server Startup)\nUndefined or this computer is already running a server.");
  s.Connect("Stalled"); // never reads: dropped once its queue passes the bound, while another reads on
  ScriptedClient& reader = s.Connect("Reader");
  for (int i = 0; i < 100000 && s.server.ClientCount() == 3; ++i) {
    reader.Take();
    s.server.Handle(0, 2, TextPayload(std::string(300, 'x')));
    s.loop.RunOnce(0);
  }
  s.Connect("Garbled").SendBytes({130, 128, 1}); // a length no message has
  s.Settle();
  EXPECT_EQ(Render(reader.Take()), "2=[0] Host> " + std::string(300, 'x') +
                                       ";2=** Stalled Disconnected **;2=** Garbled Connected **;2=** Garbled Disconnected **");
  while (s.server.ClientCount() < MaxClients) s.Connect();
  EXPECT_TRUE(s.Connect().WaitClosed());
  EXPECT_EQ(s.server.ClientCount(), MaxClients);
  for (std::string text : {"Client 1 is disconnected\n(Reason: Not reading what the server sends)",
                           "Client 2 is disconnected\n(Reason: Sent data that is not a message)",
                           "Server Full...\n(Connection Attempted)"})
    EXPECT_NE(std::count(shown->infoTexts.begin(), shown->infoTexts.end(), text), 0) << text;
}

TEST(Server, NamesAndChatLinesCannotPassForOthers) {
  const std::string b40(40, 'B');
  RunScenario({{3, 5, TextPayload("Bob"), "0123:2=** Bob(2) Connected **"},
               {3, 5, TextPayload("-Empty-"), "0123:2=** -Empty-(2) Connected **"},
               {3, 5, TextPayload(" \t "), "0123:2=** Guest3 Connected **"},
               {3, 5, TextPayload("\x1b[2JEve\r\n** Bob Disconnected **\a"), "0123:2=** [2JEve** Bob Disconnected ** Connected **"},
               {3, 2, TextPayload("hi\n** Ann Disconnected \xc2\x9b**"), "0123:2=[0] [2JEve** Bob Disconnected **> hi** Ann Disconnected **"},
               {2, 5, TextPayload(b40), "?"}, {3, 5, TextPayload(b40 + "x"), "0123:2=** " + b40.substr(3) + "(2) Connected **"},
               {State, 0, {}, "Host@0/4 Ann@0/4 " + b40 + "@0/4 " + b40.substr(3) + "(2)@0/4 "}});
}

// A client sending messages as fast as it can gets a player's share: the rest is dropped with
// one notice to it, and a reader that cannot keep up with a flood is not dropped for it.
TEST(Server, AFloodCostsOnlyItsSender) {
  LocalServer s;
  s.server.SetOutputLimit(64 * 1024);
  ScriptedClient& slow = s.Connect("Slow", 4096); // never reads while the flood lasts
  ScriptedClient& flood = s.Connect("Flood");
  for (std::size_t length : {1u, 300u}) {
    for (int i = 0; i < 20000; ++i) {
      flood.Send(2, TextPayload(std::string(length, 'x')));
      if (i % 50 == 0) s.loop.RunOnce(0);
    }
    s.Settle();
    ASSERT_EQ(s.server.ClientCount(), 3) << length;
    const std::vector<Frame> heard = slow.Take();
    const auto relayed = std::count_if(heard.begin(), heard.end(), [](const Frame& f) { return f.type == 2; });
    EXPECT_TRUE(relayed > 0 && relayed < 100) << relayed << " of 20000 lines of " << length;
    std::vector<std::string> notices;
    for (const Frame& f : flood.Take())
      if (f.type == 3) notices.push_back(PayloadText(f.payload));
    EXPECT_EQ(notices, std::vector<std::string>{"< Too many messages: some were dropped >"});
    // An hour later: a full allowance again.
    SetClockSource([] { return std::int64_t{3'600'000} + std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch()).count(); });
  }
  SetClockSource(nullptr);
}

// A game of `plies` legal moves that never ends by rule: no mate, stalemate, repetition, fifty
// moves or bare kings.
std::vector<std::string> EndlessGame(int plies) {
  Position board{};
  SetStartPosition(board);
  std::mt19937 random(596);
  std::set<std::string> seen; // positions with the side to move, castling and en passant
  std::vector<std::string> texts;
  const auto Men = [](const std::string& fen) { return std::count_if(fen.begin(), fen.begin() + fen.find(' '), isalpha); };
  while (static_cast<int>(texts.size()) < plies) {
    const std::string fen = ToFen(board);
    struct Candidate { int rank; std::string text, seenAs; Position after; };
    std::vector<Candidate> candidates;
    for (kestrin::Move m : LegalMoves(board)) {
      char slot[MoveTextSlotSize] = {};
      FormatMoveText(slot, board, m);
      Position after = board;
      int result = GameInProgress;
      PlayMoveText(slot, after, 0, nullptr);
      const std::string next = ToFen(after), seenAs = next.substr(0, next.rfind(' ', next.rfind(' ') - 1));
      if (CheckGameEnd(after, 0, result, 0) || seen.count(seenAs)) continue;
      // Captures last, so that the men last; pawn moves first late in a quiet stretch, else after the pieces'.
      const bool capture = Men(next) < Men(fen), pawn = !capture && after.irreversiblePly == after.plyCount;
      const int rank = capture ? 3 : !pawn ? 1 : board.plyCount - board.irreversiblePly > 60 ? 0 : 2;
      candidates.push_back({rank * 1000 + int(random() % 1000), slot, seenAs, after});
    }
    if (candidates.empty()) break;
    const Candidate& best = *std::min_element(candidates.begin(), candidates.end(),
                                              [](const Candidate& a, const Candidate& b) { return a.rank < b.rank; });
    seen.insert(best.seenAs);
    texts.push_back(best.text);
    board = best.after;
  }
  return texts;
}

TEST(Server, AFullRecordEndsTheGameForEveryone) {
  const std::vector<std::string> game = EndlessGame(MaxRecordedPlies);
  ASSERT_EQ(game.size(), std::size_t(MaxRecordedPlies));
  LocalServer s;
  ScriptedClient& black = s.Connect("Black");
  s.server.Handle(0, 6, ShortPayload(1));
  black.Send(6, ShortPayload(1));
  s.Settle();
  black.Take();
  for (std::size_t ply = 0; ply < game.size(); ++ply) {
    if (ply % 2 == 0) s.server.Handle(0, 4, MovePayload(NetWhite, game[ply]));
    else black.Send(4, MovePayload(NetBlack, game[ply]));
    for (int i = 0; i < 400 && HistoryCount(&s.server.TableRecord(0)) == int(ply); ++i) s.loop.RunOnce(5);
    ASSERT_EQ(HistoryCount(&s.server.TableRecord(0)), int(ply + 1)) << game[ply];
  }
  s.Settle();
  const auto Texts = [](std::vector<Frame> frames) { // the draws and notices only
    std::erase_if(frames, [](const Frame& f) { return f.type != 7 && f.type != 3; });
    return Render(frames);
  };
  EXPECT_EQ(s.server.TableResult(0), GameDrawn);
  EXPECT_EQ(Texts(black.Take()), "7;3=Hit Maximum Move Number");
  // Continued, the next move cannot be kept: its mover is told and the game ends again.
  s.server.Handle(0, 14, ShortPayload(1));
  black.Send(14, ShortPayload(1));
  s.Settle();
  std::exchange(s.local, {});
  s.server.Handle(0, 4, MovePayload(NetWhite, "Ke1-e2 "));
  EXPECT_EQ(Texts(std::exchange(s.local, {})), "3=Hit Maximum Move Number;7;3=Hit Maximum Move Number");
  EXPECT_EQ(s.server.TableResult(0), GameDrawn);
}

// Clients that keep sending and read slowly still read the goodbye before the connection ends.
TEST(Server, EveryClientHearsTheGoodbyeWhileStillSending) {
  LocalServer s;
  std::vector<ScriptedClient*> clients;
  for (int i = 0; i < 6; ++i) clients.push_back(&s.Connect());
  // Enough waiting for each that much of it is still on its way when the server stops.
  for (int i = 0; i < 400; ++i) s.server.Handle(0, 2, TextPayload(std::string(300, 'x')));
  std::vector<int> goodbyes(clients.size());
  std::thread readers([&] {
    for (std::size_t open = clients.size(); open > 0;) {
      open = 0;
      for (std::size_t i = 0; i < clients.size(); ++i) {
        if (goodbyes[i]) continue;
        clients[i]->Send(4, MovePayload(NetWhite, "e2-e4 ")); // not a player: ignored, never read at the end
        const bool alive = clients[i]->Poll();
        for (const Frame& f : clients[i]->Take()) goodbyes[i] |= f.type == 9;
        if (goodbyes[i]) clients[i]->Close();
        open += alive && !goodbyes[i];
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1)); // a slow reader's pace
    }
  });
  s.server.Shutdown(3000);
  readers.join();
  EXPECT_EQ(goodbyes, std::vector<int>(clients.size(), 1));
}

// A burst of connects is taken by the kernel at once, however many there are before the server's turn.
TEST(Server, ABurstOfConnectsNeedsNoRetry) {
  LocalServer s;
  std::vector<int> sockets;
  sockaddr_in address{};
  address.sin_family = AF_INET, address.sin_port = htons(s.server.Port()), address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  for (int i = 0; i < 40; ++i) {
    sockets.push_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
    connect(sockets.back(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  }
  std::vector<pollfd> waiting;
  for (int fd : sockets) waiting.push_back({fd, POLLOUT, 0});
  // A refused SYN is tried again only after a second; the handshake itself takes microseconds.
  poll(waiting.data(), waiting.size(), 300);
  const auto connected = std::count_if(waiting.begin(), waiting.end(), [](const pollfd& p) { return p.revents & POLLOUT; });
  EXPECT_EQ(connected, 40);
  for (int fd : sockets) close(fd);
}

} // namespace
} // namespace kestrin::test
