// The client logic against the real server over loopback, with a scripted opponent.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "board/gameend.h"
#include "game/commands.h"
#include "game/controller.h"
#include "net/client.h"
#include "net/network.h"
#include "net/pollloop.h"
#include "net/server.h"
#include "net/setup.h"
#include "notation/history.h"
#include "notation/pgn.h"
#include "search/engine.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"
#include "support/scriptedclient.h"

namespace kestrin {
namespace {

class NetLoopback : public testing::Test {
protected:
  void SetUp() override {
    test::ResetGame();
    ResetNetClient();
    InstallEventSource(&loop);
    StartEngineThread();
  }
  void TearDown() override {
    LeaveNetworkMode(true);
    InstallEventSource(nullptr);
    StopEngineThread();
    controller = ControllerState();
  }
  // Runs the loop until `done` or a time-out.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!done() && std::chrono::steady_clock::now() < end) loop.RunOnce(5);
    return done();
  }
  std::string WaitText(test::ScriptedClient& peer, std::uint8_t type, std::size_t from = 0) {
    const auto frame = peer.WaitFor(type);
    return frame ? PayloadText(frame->payload, from) : "(none)";
  }
  // Forgets what the peer has received so far.
  void Fresh(test::ScriptedClient& peer) {
    peer.Poll();
    peer.Take();
  }
  bool Click(int fromFile, int fromRow, int toFile, int toRow) {
    ClickSquare(fromFile, fromRow);
    return ClickSquare(toFile, toRow) == 1;
  }

  PollLoop loop;
  test::RecordingScope shown;
};

TEST_F(NetLoopback, ServingCopyPlaysAScriptedOpponent) {
  ASSERT_TRUE(StartServerCommand(0));
  Server& server = *OwnServer();
  EXPECT_TRUE(netGame && netClient.serving && netClient.localColour == NetOnlooker);
  EXPECT_EQ(server.ClientName(0) + "|" + std::to_string(server.ClientTable(0)), "Human|0");
  // "&New Game" is not sent while a game with a recorded move is in progress.
  PlayMoveTextBlock("1. e4");
  EXPECT_FALSE(RunCommand(command::NetNewGame));
  EXPECT_EQ(server.TableSeated(0), 0);
  NewGame(false);
  EXPECT_TRUE(RunCommand(command::NetNewGame));
  EXPECT_EQ(server.TableWhite(0), 0);

  test::ScriptedClient bob([this] { loop.RunOnce(5); });
  ASSERT_TRUE(bob.Connect("127.0.0.1", server.Port()));
  bob.Send(5, TextPayload("Bob"));
  bob.Send(1, ShortPayload(0));
  bob.Send(6, ShortPayload(1));
  ASSERT_TRUE(bob.WaitFor(13));
  Fresh(bob);
  ASSERT_TRUE(PumpUntil([] { return netSetup.open; }));
  EXPECT_EQ(netClient.localColour, NetWhite);
  // This side takes Black and sets a time the dialog has to limit; the opponent is ready first.
  SetupChooseColour(NetBlack);
  EXPECT_EQ(bob.WaitFor(10)->payload, (Payload{'c', 1, 0}));
  EXPECT_EQ(WaitText(bob, 17), "Bob");
  SetupSetTime(0, 500);
  EXPECT_TRUE(PumpUntil([] { return netClient.netMinutes == 1 && netClient.netSeconds == 180; }));
  bob.Send(10, Payload{'r', 1, 0});
  ASSERT_TRUE(PumpUntil([] { return netSetup.opponentReady == 1; }));
  SetupReady(true);
  EXPECT_TRUE(gameState == GameInProgress && controller.boardFlipped == 1 && !netSetup.open);
  EXPECT_EQ(netClient.netWhiteName + "|" + netClient.netBlackName, "Bob|Human");

  // Bob opens; a click on Bob's pawn does nothing; this side answers by clicks.
  EXPECT_FALSE(Click(3, 6, 3, 4));
  bob.Send(4, Payload{1, 1, 2, 1, 'e', '2', '-', 'e', '4', ' ', 0});
  ASSERT_TRUE(PumpUntil([] { return HistoryCount() == 1; }));
  Fresh(bob); // its own move's echo
  EXPECT_EQ(whiteUsed.load(), 120);
  ASSERT_TRUE(Click(4, 1, 4, 3));
  const auto answer = bob.WaitFor(4);
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->payload[0], NetBlack);
  EXPECT_EQ(PayloadText(answer->payload, 4), "e7-e5 ");
  EXPECT_EQ(server.TableMoveList(0), "1. e2-e4  e7-e5  \n");

  // Chat both ways, then a draw agreed.
  Fresh(bob);
  SendToServer(2, TextPayload("hello"));
  EXPECT_EQ(WaitText(bob, 2), "[0] Human> hello");
  bob.Send(2, TextPayload("hi"));
  EXPECT_TRUE(PumpUntil([] { return !netClient.chatLog.empty() && netClient.chatLog.back() == "[0] Bob> hi"; }));
  bob.Send(7, ShortPayload(1));
  EXPECT_TRUE(PumpUntil([this] { return shown->LastInfo() == "<Bob requests a Draw!>"; }));
  EXPECT_TRUE(RunCommand(command::NetDraw));
  EXPECT_EQ(gameState.load(), GameDrawn);
  EXPECT_TRUE(bob.WaitFor(7));
  EXPECT_FALSE(RunCommand(command::NetResign)) << "no resigning a finished game";

  // Leaving closes the server: the opponent is cut off.
  EXPECT_TRUE(RunCommand(command::NetDisconnect));
  EXPECT_TRUE(bob.WaitClosed());
  EXPECT_FALSE(netGame);
}

TEST_F(NetLoopback, ClientOfAServerThatGoesAway) {
  Server server(loop);
  ASSERT_TRUE(server.Start(0, "host"));
  const std::uint16_t port = server.Port();
  const struct { const char* address; std::uint16_t port; int result; const char* info; } failures[] = {
      {"no-such-host.invalid", port, 3, "Invalid IP"}, {"127.0.0.1", 1, 2, "No Server Found"}};
  for (const auto& f : failures) {
    EXPECT_EQ(ConnectCommand(f.address, f.port), f.result);
    EXPECT_EQ(shown->LastInfo(), f.info);
    EXPECT_FALSE(netGame);
  }
  ASSERT_EQ(ConnectCommand("127.0.0.1", port), 1);
  EXPECT_TRUE(netGame && !netClient.serving);
  ASSERT_TRUE(PumpUntil([&] { return server.ClientCount() == 2 && server.ClientName(1) == "Human"; }));
  ASSERT_TRUE(PumpUntil([] { return netClient.netWhiteName == "-Empty-"; }));
  RunCommand(command::NetNewGame);
  ASSERT_TRUE(PumpUntil([&] { return server.TableWhite(0) == 1; }));
  // The server stops without a word: the client leaves network mode.
  server.Stop();
  EXPECT_TRUE(PumpUntil([] { return !netGame; }));
  EXPECT_NE(std::find(shown->infoTexts.begin(), shown->infoTexts.end(), "Server Disconnected"), shown->infoTexts.end());
  EXPECT_EQ(HumanSide.load(), 1) << "the game mode from before";
}

} // namespace
} // namespace kestrin
