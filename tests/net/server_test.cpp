#include <gtest/gtest.h>

#include "net/pollloop.h"
#include "notation/history.h"
#include "support/recordingfrontend.h"
#include "localserver.h"

namespace kestrin::test {
namespace {

constexpr int State = -1;          // a step that compares the server's state
constexpr std::uint8_t Hangup = 0; // a step whose client closes its connection

Payload Short(std::uint8_t v) { return ShortPayload(v); }
Payload Text(const std::string& s) { return TextPayload(s); }
Payload Move(std::uint8_t colour, const std::string& text) {
  Payload p{colour, 2, 1, 1}; // 1 second used
  const Payload t = TextPayload(text);
  p.insert(p.end(), t.begin(), t.end());
  return p;
}

std::string Render(const std::vector<Frame>& frames) {
  std::string out;
  for (const Frame& f : frames) {
    if (!out.empty()) out += ';';
    out += std::to_string(f.type);
    if (f.type == 8 || f.type == 11 || f.type == 13 || f.type == 15)
      out += "#" + std::to_string(f.payload.empty() ? -1 : f.payload[0]);
    else if (f.type == 4)
      out += "=" + PayloadText(f.payload, 4);
    else if (f.type != 10 && f.type != 21 && !PayloadText(f.payload).empty())
      out += "=" + PayloadText(f.payload);
  }
  return out;
}

// What every party received, parties with the same frames grouped: "03:6|1:6;13#1".
std::string Received(LocalServer& s) {
  std::vector<std::pair<std::string, std::string>> groups; // frames, parties
  auto add = [&](int party, const std::vector<Frame>& frames) {
    if (frames.empty()) return;
    const std::string text = Render(frames);
    auto it = std::find_if(groups.begin(), groups.end(), [&](auto& g) { return g.first == text; });
    if (it == groups.end()) it = groups.insert(groups.end(), {text, ""});
    it->second += std::to_string(party);
  };
  add(0, s.local);
  s.local.clear();
  for (std::size_t i = 0; i < s.clients.size(); ++i) add(static_cast<int>(i) + 1, s.clients[i]->Take());
  std::string out;
  for (auto& [frames, parties] : groups) out += (out.empty() ? "" : "|") + parties + ":" + frames;
  return out;
}

// Clients as name@table/seat, then every table that left its start state.
std::string StateText(const Server& server) {
  std::string out;
  for (int k = 0; k < server.ClientCount(); ++k)
    out += server.ClientName(k) + "@" + std::to_string(server.ClientTable(k)) + "/" +
           std::to_string(server.ClientSeat(k)) + " ";
  for (int t = 0; t < TableCount; ++t) {
    const bool used = server.TableSeated(t) || HistoryCount(&server.TableRecord(t)) || server.TableResult(t) != 4 ||
                      server.TableMinutes(t) != 5 || server.TableSeconds(t) != 5;
    if (used)
      out += "t" + std::to_string(t) + ":" + std::to_string(server.TableWhite(t)) + "-" +
             std::to_string(server.TableBlack(t)) + " r" + std::to_string(server.TableResult(t)) + " " +
             std::to_string(server.TableMinutes(t)) + "/" + std::to_string(server.TableSeconds(t)) + " " +
             server.TableMoveList(t) + "|";
  }
  return out;
}

struct Step {
  int who; // 0 the server's own user, k the k-th scripted client, State
  std::uint8_t type;
  Payload payload;
  const char* expect; // what the parties received (nullptr: not checked), or the state
};

void RunScenario(const std::vector<Step>& steps) {
  LocalServer s;
  for (const char* name : {"Ann", "Bob", "Cy"}) s.Connect(name);
  Received(s);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    if (step.who == State) {
      EXPECT_EQ(StateText(s.server), step.expect) << "step " << i;
      continue;
    }
    if (step.who == 0)
      s.server.Handle(0, step.type, step.payload);
    else if (step.type == Hangup)
      s.clients[static_cast<std::size_t>(step.who) - 1]->Close();
    else
      s.clients[static_cast<std::size_t>(step.who) - 1]->Send(step.type, step.payload);
    s.Settle();
    const std::string got = Received(s);
    if (step.expect) {
      EXPECT_EQ(got, step.expect) << "step " << i;
    }
  }
}

const char* const Seated = "03:3=<Bob is Ready to Play>;6;17=Ann;18=Bob|1:3=<Bob is Ready to Play>;6;13#1;17=Ann;18=Bob|"
                           "2:3=<Bob is Ready to Play>;6;13#2;17=Ann;18=Bob";

TEST(Server, SeatingOffersAndResults) {
  RunScenario({
      {1, 6, Short(1), "0123:3=<Ann is Ready to Play>;17=Ann"},
      {1, 6, Short(1), ""}, // already White
      {2, 6, Short(1), Seated},
      {3, 6, Short(1), ""}, // onlookers' requests do nothing
      {3, 7, Short(1), ""},
      {3, 8, Short(1), ""},
      {3, 11, Short(1), ""},
      {3, 14, Short(1), ""},
      {3, 4, Move(1, "e2-e4 "), ""},
      {1, 4, Move(1, "e2-e4 "), "0123:4=e2-e4 "},
      {1, 4, Move(1, "d2-d4 "), ""}, // not White's turn
      {2, 4, Move(1, "e7-e5 "), ""}, // another's colour
      {2, 4, Move(2, "e7-e4 "), ""}, // illegal
      {2, 4, Move(2, "e7-e5 "), "0123:4=e7-e5 "},
      {1, 7, Short(1), "0123:3=<Ann requests a Draw!>"},
      {1, 4, Move(1, "Ng1-f3 "), "0123:4=Ng1-f3 "}, // a move clears the offer
      {2, 7, Short(1), "0123:3=<Bob requests a Draw!>"},
      {1, 7, Short(1), "0123:7"},
      {State, 0, {}, "Host@0/4 Ann@0/1 Bob@0/2 Cy@0/4 t0:1-2 r3 5/5 1. e2-e4  e7-e5  \n2. Ng1-f3 |"},
      {1, 14, Short(1), "0123:3=<Ann requests to Continue Game!>"},
      {2, 14, Short(1), "0123:14"},
      {3, 11, Short(4), ""},
      {1, 11, Short(2), "0123:3=<Ann Lost on Time>;11#1"},
      {State, 0, {}, "Host@0/4 Ann@0/1 Bob@0/2 Cy@0/4 t0:1-2 r2 5/5 1. e2-e4  e7-e5  \n2. Ng1-f3 |"},
      {1, 6, Short(1), "0123:3=<Ann requests New Game!>"},
      {2, 6, Short(1), "03:6|1:6;13#1|2:6;13#2"},
      {2, 8, Short(1), "0123:8#2;3=<Bob Resigns!>"},
      {State, 0, {}, "Host@0/4 Ann@0/1 Bob@0/2 Cy@0/4 t0:1-2 r1 5/5 |"},
  });
}

TEST(Server, SetupTrafficAndColourSwap) {
  RunScenario({
      {1, 6, Short(1), nullptr},
      {2, 6, Short(1), nullptr},
      {3, 10, Payload{'t', EncodeClockValue(10), EncodeClockValue(3), 0}, ""},
      {1, 10, Payload{'t', EncodeClockValue(150), EncodeClockValue(128), 0}, "013:21|2:10;21"},
      {1, 10, Payload{'c', 2, 0}, "2:10"}, // a colour other than the sender's: no swap
      {1, 10, Payload{'c', 1, 0}, "013:17=Bob;18=Ann|2:10;17=Bob;18=Ann"},
      {1, 10, Payload{'c', 1, 0}, "2:10"}, // Ann is Black now
      {1, 4, Move(1, "e2-e4 "), ""},
      {2, 4, Move(1, "e2-e4 "), "0123:4=e2-e4 "},
      {State, 0, {}, "Host@0/4 Ann@0/2 Bob@0/1 Cy@0/4 t0:2-1 r4 150/128 1. e2-e4  |"},
  });
}

TEST(Server, JoiningTablesAndGettingUp) {
  RunScenario({
      {3, 1, Short(2),
       "012:2=** Cy left table 0 **|3:2=** Cy left table 0 **;2=** Cy joined table 2 **;15#4;21;18=-Empty-;17=-Empty-;6"},
      {3, 6, Short(1), "3:3=<Cy is Ready to Play>;17=Cy"},
      {2, 1, Short(2),
       "01:2=** Bob left table 0 **|2:2=** Bob left table 0 **;2=** Bob joined table 2 **;15#4;21;18=-Empty-;17=Cy;6|"
       "3:2=** Bob joined table 2 **"},
      {2, 6, Short(1), "2:3=<Bob is Ready to Play>;6;13#2;17=Cy;18=Bob|3:3=<Bob is Ready to Play>;6;13#1;17=Cy;18=Bob"},
      {3, 4, Move(1, "e2-e4 "), "23:4=e2-e4 "},
      {1, 1, Short(2),
       "0:2=** Ann left table 0 **|1:2=** Ann left table 0 **;2=** Ann joined table 2 **;15#4;21;12=1. e2-e4  ;"
       "17=Cy;18=Bob|23:2=** Ann joined table 2 **"},
      {1, 1, Short(9), "1:3=< Table 9 does not exist >"},
      {1, 1, Short(255), "1:3=< Table -1 does not exist >"},
      {1, 2, Text("hi"), "0123:2=[2] Ann> hi"},
      {1, 5, Text(std::string(45, 'a')), ("0123:2=** " + std::string(40, 'a') + " Connected **").c_str()},
      {2, 20, {0}, "123:8#2;3=Bob got up.\nTable open.;18=-Empty-;17=-Empty-"},
      {State, 0, {}, ("Host@0/4 " + std::string(40, 'a') + "@2/4 Bob@2/4 Cy@2/4 t2:-1--1 r4 5/5 1. e2-e4  |").c_str()},
  });
}

TEST(Server, LeavingClientsRenumberTheRest) {
  RunScenario({
      {3, 1, Short(1), nullptr},
      {3, 6, Short(1), nullptr},
      {1, 1, Short(1), nullptr},
      {1, 6, Short(1), nullptr},
      {State, 0, {}, "Host@0/4 Ann@1/2 Bob@0/4 Cy@1/1 t1:3-1 r4 5/5 |"},
      {2, Hangup, {}, "013:2=** Bob Disconnected **"},
      {State, 0, {}, "Host@0/4 Ann@1/2 Cy@1/1 t1:2-1 r4 5/5 |"},
      {3, 4, Move(1, "e2-e4 "), "13:4=e2-e4 "},
      {3, Hangup, {}, "0:2=** Cy Disconnected **|1:8#1;3=Cy got up.\nTable open.;18=-Empty-;17=-Empty-;2=** Cy Disconnected **"},
      {State, 0, {}, "Host@0/4 Ann@1/4 t1:-1--1 r4 5/5 1. e2-e4  |"},
  });
}

} // namespace
} // namespace kestrin::test

namespace kestrin::test {
namespace {

bool Shown(const RecordingFrontend& shown, const std::string& text) {
  return std::find(shown.infoTexts.begin(), shown.infoTexts.end(), text) != shown.infoTexts.end();
}

bool Got(LocalServer& s, ScriptedClient& client, const std::string& chat) {
  s.Settle();
  const auto& frames = client.Received();
  return std::any_of(frames.begin(), frames.end(), [&](const Frame& f) { return f.payload == TextPayload(chat); });
}

TEST(Server, RefusesAndDropsWithoutStalling) {
  RecordingScope shown;
  LocalServer s(16 * 1024);
  PollLoop otherLoop;
  Server other(otherLoop);
  EXPECT_FALSE(other.Start(s.server.Port(), "Other", "127.0.0.1"));
  ASSERT_EQ(shown->messages.size(), 1u);
  EXPECT_EQ(shown->messages[0].first,
            "ERROR:\n(on Server Startup)\nUndefined or this computer is already running a server.");

  // A client that stops reading is dropped once its queue passes the bound; the others go on.
  s.Connect("Stalled");
  ScriptedClient& reader = s.Connect("Reader");
  for (int i = 0; i < 100000 && s.server.ClientCount() == 3; ++i) {
    s.server.Handle(0, 2, TextPayload(std::string(300, 'x')));
    s.loop.RunOnce(0);
    reader.Take();
  }
  EXPECT_EQ(s.server.ClientCount(), 2);
  EXPECT_TRUE(Shown(shown.frontend, "Client 1 is disconnected"));
  EXPECT_TRUE(Got(s, reader, "** Stalled Disconnected **"));
  EXPECT_TRUE(reader.Connected());

  // A length no message has ends that connection as a disconnection.
  ScriptedClient& garbled = s.Connect("Garbled");
  garbled.SendBytes({130, 128, 1});
  EXPECT_TRUE(garbled.WaitClosed());
  EXPECT_TRUE(Got(s, reader, "** Garbled Disconnected **"));

  // The 49th connection is closed at once with the server full notice.
  while (s.server.ClientCount() < MaxClients) s.Connect();
  ScriptedClient extra([&] { s.loop.RunOnce(1); });
  ASSERT_TRUE(extra.Connect("127.0.0.1", s.server.Port()));
  EXPECT_TRUE(extra.WaitClosed());
  EXPECT_TRUE(Shown(shown.frontend, "Server Full...\n(Connection Attempted)"));
  EXPECT_EQ(s.server.ClientCount(), MaxClients);
}

} // namespace
} // namespace kestrin::test
