// The client's handling of the server's messages and of the opponent's setup messages.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "board/gameend.h"
#include "game/controller.h"
#include "net/client.h"
#include "net/network.h"
#include "net/pollloop.h"
#include "net/setup.h"
#include "notation/pgn.h"
#include "platform/clock.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"
#include "support/scriptedclient.h"

namespace kestrin::test {
namespace {

void StartFrom(int colour, const char* moves, int state) {
  test::ResetGame();
  SetClockSource([] { return std::int64_t{1000}; });
  turnStart = 1000; // no clock runs between the moves of a case
  ResetNetClient();
  netGame = 1;
  netClient.localColour = colour;
  PlayMoveTextBlock(moves);
  whiteUsed = 700, blackUsed = 700;
  gameState = state;
}

TEST(NetClient, HandlesEachServerMessage) {
  test::RecordingScope shown;
  const auto t1234 = EncodeTime(1234), t0 = EncodeTime(0);
  // This copy's colour, the game before (browsing: looking at its first position), the message, and after it.
  const struct {
    int colour; const char* before; bool browsing; int state; std::uint8_t type; Payload payload;
    const char* record; int stateAfter, white, black; const char* info;
  } cases[] = {
      {4, "", false, 4, 4, MovePayload(1, "e2-e4 ", t1234), "e2-e4 ", 4, 1234, 700, "e2-e4 "},
      {1, "", false, 4, 4, MovePayload(1, "e2-e4 ", t1234), "", 4, 700, 700, ""},
      {1, "1. e4", true, 4, 4, MovePayload(2, "e7-e5 ", {0, 0, 0}), "e2-e4 e7-e5 ", 4, 700, 700, "e7-e5 "},
      {2, "1. e4", false, 4, 4, MovePayload(1, "Ke1-e2", t0), "e2-e4 ", 4, 700, 700, ""},
      {1, "1. f3 e5 2. g4", false, 4, 4, MovePayload(2, "Qd8-h4", t0), "f2-f3 e7-e5 g2-g4 Qd8-h4", 2, 700, 0, "Qd8-h4"},
      {4, "1. f3 e5 2. g4", false, 4, 4, MovePayload(2, "Qd8-h4", t0), "f2-f3 e7-e5 g2-g4 Qd8-h4", 4, 700, 0, "Qd8-h4"},
      {1, "1. e4", false, 4, 8, ShortPayload(1), "e2-e4 ", 2, 700, 700, ""},
      {1, "1. e4", false, 3, 8, ShortPayload(1), "e2-e4 ", 3, 700, 700, ""},
      {1, "1. e4", false, 3, 11, ShortPayload(2), "e2-e4 ", 1, 700, 700, ""},
      {1, "1. e4", false, 4, 7, TextPayload(""), "e2-e4 ", 3, 700, 700, "DRAW: The players have agreed on a Draw"},
      {1, "1. e4", false, 2, 14, TextPayload(""), "e2-e4 ", 4, 0, 0, "CONTINUE: The players have agreed to continue"},
      {4, "1. d4", false, 4, 12, TextPayload("1. e2-e4  e7-e5  \n2. Ng1-f3 "), "e2-e4 e7-e5 Ng1-f3", 4, 700, 700, ""},
      {4, "1. e4", false, 4, 6, TextPayload(""), "", 4, 0, 0, "The Game Begins.."},
      // A player whose game is over plays no relayed move; while it plays, the clocks are not changed.
      {1, "1. e4", false, 2, 4, MovePayload(2, "e7-e5 ", t0), "e2-e4 ", 2, 700, 700, ""},
      {1, "1. e4", false, 4, 21, Payload{128, 128, 1, 1, 1, 1, 1, 1}, "e2-e4 ", 4, 700, 700, ""},
      // The table's time: 5 + 2, White 2.40 s used, Black none.
      {4, "", false, 4, 21, Payload{133, 130, 1, 3, 1, 1, 1, 1}, "", 4, 240, 0, ""},
      // 0 minutes and 200 seconds, out of the dialog's range: 1 and 180.
      {4, "", false, 4, 21, Payload{128, 72, 1, 1, 1, 1, 1, 1}, "", 4, 0, 0, ""},
  };
  for (const auto& c : cases) {
    StartFrom(c.colour, c.before, c.state);
    if (c.browsing) PositionAtPly(gamePosition, 1);
    shown->infoTexts.clear();
    ClientHandle(c.type, c.payload);
    EXPECT_EQ(std::tuple(Record(), GamePositionAtEnd(), gameState.load(), whiteUsed.load(), blackUsed.load(),
                         shown->LastInfo()),
              std::tuple(std::string(c.record), true, c.stateAfter, c.white, c.black, std::string(c.info)))
        << int(c.type) << " " << c.before;
  }
  EXPECT_EQ(netClient.netMinutes * 1000 + netClient.netSeconds, 1180) << "the table's time control";
  EXPECT_EQ(shown->messages.size(), 1u) << "only the mated player is told";
}

TEST(NetClient, SeatNamesChatAndFlag) {
  test::RecordingScope shown;
  StartFrom(4, "", 4);
  ClientHandle(17, TextPayload(std::string(60, 'w')));
  ClientHandle(18, TextPayload("Bo\x1b\nb"));
  EXPECT_EQ(netClient.netWhiteName.size() * 1000 + netClient.netBlackName.size(), 40003u);
  for (int line = 1; line <= 25; ++line) ClientHandle(2, TextPayload("[0] Ann> line\r\n " + std::to_string(line)));
  ASSERT_EQ(netClient.chatLog.size(), ChatLogLines);
  EXPECT_EQ(netClient.chatLog.front() + "|" + netClient.chatLog.back(), "[0] Ann> line 6|[0] Ann> line 25");
  // The flag falls only for this copy's own side, once, in a game in progress.
  const struct { int colour, state, white, black, stateAfter; } flags[] = {
      {1, 4, 0, 0, 2}, {2, 4, 0, 0, 1}, {1, 4, 1, 0, 4}, {2, 4, 5, 3, 4}, {4, 4, 0, 0, 4}, {1, 3, 0, 0, 3}};
  for (const auto& f : flags) {
    StartFrom(f.colour, "", f.state);
    CheckLocalFlag(f.white, f.black);
    EXPECT_EQ(gameState.load(), f.stateAfter) << f.colour << " " << f.white << " " << f.black;
  }
}

TEST(NetSetup, OpponentsMessages) {
  // The opponent's messages: colour, box, ready and not ready (a value 0 may end the payload), closing.
  StartFrom(2, "", 4);
  OpenSetup();
  for (const Payload& p : {Payload{'c', 1, 0}, Payload{'z', 1, 0}, Payload{'r', 1, 0}, Payload{'r'}}) SetupReceive(p);
  EXPECT_TRUE(netClient.localColour == 1 && netSetup.practice == 1 && netSetup.opponentReady == 0);
  SetupReady(true);
  SetupReceive(Payload{'q', 1, 0});
  EXPECT_TRUE(!netSetup.open && netSetup.localReady == 0 && gameState == GameDrawn);
  // During a game the seats stay as they are.
  StartFrom(1, "1. e4", 4);
  SetupReceive(Payload{'c', 2, 0});
  EXPECT_EQ(netClient.localColour, 1);
}

// A front end that lets the test act at the moment a text is shown.
struct HookedFrontend : RecordingFrontend {
  std::function<void(std::string_view)> onInfo;
  void SetInfoText(std::string_view text) override {
    RecordingFrontend::SetInfoText(text);
    if (onInfo) onInfo(text);
  }
};

// However the link to the server ends (here: reset before the first message went, or while the
// window had not yet heard of it and sends), the window leaves network mode with the reason.
TEST(NetClient, EveryClosedLinkLeavesNetworkMode) {
  PollLoop loop;
  InstallEventSource(&loop);
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  socklen_t size = sizeof address;
  address.sin_family = AF_INET, address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_TRUE(bind(listener, reinterpret_cast<sockaddr*>(&address), size) == 0 && listen(listener, 4) == 0);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
  const auto Reset = [listener] {
    const int peer = accept(listener, nullptr, nullptr);
    const linger now{1, 0};
    setsockopt(peer, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    close(peer);
  };
  for (const bool atOnce : {true, false}) {
    test::ResetGame();
    ResetNetClient();
    HookedFrontend shown;
    InstallFrontend(&shown);
    if (atOnce) shown.onInfo = [&](std::string_view text) { if (text == "Connection Successful") Reset(); };
    EXPECT_EQ(ConnectCommand("127.0.0.1:" + std::to_string(ntohs(address.sin_port))), 1);
    shown.onInfo = nullptr;
    if (!atOnce) Reset(), SendToServer(2, TextPayload("hello"));
    for (int i = 0; i < 20 && netGame; ++i) loop.RunOnce(10);
    EXPECT_EQ(netGame.load(), 0) << atOnce;
    EXPECT_NE(std::find(shown.infoTexts.begin(), shown.infoTexts.end(), "Server Disconnected"), shown.infoTexts.end());
    InstallFrontend(nullptr);
  }
  close(listener);
  InstallEventSource(nullptr);
}

} // namespace
} // namespace kestrin::test
