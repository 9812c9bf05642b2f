// Network play in the window: this window serves (or connects to a server) and scripted
// clients take the other seat and watch.
#include <QTest>
#include <map>

#include "board/gameend.h"
#include "game/commands.h"
#include "game/controller.h"
#include "net/network.h"
#include "net/server.h"
#include "net/setup.h"
#include "notation/pgn.h"
#include "platform/settings.h"
#include "search/engine.h"
#include "support/scriptedclient.h"
#include "ui/chatwindow.h"
#include "ui/menus.h"
#include "ui/netdialogs.h"
#include "ui/sidepanel.h"
#include "ui/socketnotifier.h"
#include "support/gamereset.h"
#include "windowtest.h"

namespace kestrin::test {
namespace {

class NetworkWindow : public WindowTest {
protected:
  // The texts of the frames of `type` a peer was sent so far, each followed by `end`.
  std::string Heard(ScriptedClient& peer, std::uint8_t type, const char* end = "") {
    std::vector<Frame>& frames = heard[&peer];
    for (Frame& frame : peer.Take()) frames.push_back(std::move(frame));
    std::string text;
    for (const Frame& frame : frames)
      if (frame.type == type) text += std::string(PayloadText(frame.payload, type == 4 ? 4 : 0)) + end;
    return text;
  }
  std::unique_ptr<ScriptedClient> Peer(const char* name) {
    auto peer = std::make_unique<ScriptedClient>([] { QTest::qWait(2); });
    EXPECT_TRUE(peer->Connect(OwnServer()->Port()) && peer->Send(5, TextPayload(name)));
    return peer;
  }
  void PeerMoves(ScriptedClient& peer, const std::string& text) {
    peer.Send(4, MovePayload(NetWhite, text));
    EXPECT_TRUE(WaitUntil([plies = HistoryCount() + 1] { return HistoryCount() == plies; })) << text;
  }
  SetupDialog* Dialog() { return window->NetViewOfWindow()->Setup(); }
  void Press(const char* name) { Dialog()->findChild<QAbstractButton*>(name)->click(); }
  bool Enabled(int id) { return window->MenuItems()->Action(id)->isEnabled(); }
  std::map<const ScriptedClient*, std::vector<Frame>> heard;
};

TEST_F(NetworkWindow, ServesAGameAgainstAScriptedOpponent) {
  ASSERT_TRUE(StartServerCommand(0));
  EXPECT_EQ(window->windowTitle().toStdString(), NetServerTitle);
  EXPECT_TRUE(window->Chat() && !Enabled(command::NetConnect) && Enabled(command::NetDisconnect));
  auto bob = Peer("Bob"), olga = Peer("Olga");
  Trigger(command::NetNewGame);
  bob->Send(6, ShortPayload(1));
  ASSERT_TRUE(WaitUntil([this] { return Dialog() != nullptr; }));
  // Black chosen here is White for the opponent; the time is limited to 1..180 and 0..180.
  Press("Black");
  Press("practice");
  Dialog()->findChild<QLineEdit*>("minutes")->setText("0");
  Dialog()->findChild<QLineEdit*>("seconds")->setText("500");
  Press("Set");
  bob->Send(10, Payload{'r', 1, 0});
  ASSERT_TRUE(WaitUntil([] { return netSetup.opponentReady == 1; }));
  Press("White");
  Press("practice");
  EXPECT_EQ(Text("info"), "INFO: Cannot make changes when opponent is ready.");
  QTest::keyClick(Dialog(), Qt::Key_Return);
  EXPECT_TRUE(!Dialog() || !Dialog()->isVisible());
  EXPECT_TRUE(controller.boardFlipped && window->MenuItems()->Action(command::Flip)->isChecked());
  std::string setup = {'c', 1, '|', 'z', 1, '|', 't', char(EncodeClockValue(1)), char(EncodeClockValue(180)), '|'};
  EXPECT_TRUE(WaitUntil([&] { return Heard(*bob, 10, "|") == setup + "r\x01|"; })) << "no change while it is ready";
  EXPECT_EQ(Text("whiteName") + "|" + Text("blackName"), "Bob|Human");

  // A mate by clicks on the turned board; the onlooker sees every move. The computer takes no side.
  Trigger(command::ComputerWhite);
  Move(3, 6, 3, 4);
  EXPECT_TRUE(Ply() == 1 && HumanSide == 3) << "not this side's turn";
  PeerMoves(*bob, "f2-f3 ");
  Move(4, 1, 4, 3);
  PeerMoves(*bob, "g2-g4 ");
  Answer([&](QWidget* box) { // " Game Over! ": the mate went out before it
    EXPECT_TRUE(WaitUntil([&] { return Heard(*olga, 4) == Record(); })) << Record();
    kestrin::test::Press("OK")(box);
  });
  Move(3, 0, 7, 4);
  EXPECT_EQ(gameState.load(), BlackWon);

  // Second game: ready here first; then agreements.
  Trigger(command::NetNewGame);
  bob->Send(6, ShortPayload(1));
  ASSERT_TRUE(WaitUntil([this] { return Dialog() && Dialog()->isVisible(); }));
  Press("Ready");
  Press("White");
  EXPECT_EQ(Text("info"), "INFO: Deselect ready to make changes.");
  bob->Send(10, Payload{'r', 1, 0});
  ASSERT_TRUE(WaitUntil([] { return gameState == GameInProgress && controller.boardFlipped; }));
  EXPECT_TRUE(WaitUntil([&] { return Heard(*bob, 10, "|") == setup + "r\x01|r\x01|"; })) << "no change while ready";
  // Bob's request (if any) reaches this side, which answers: a draw, continued, resigned, continued.
  const char* goOn = "<Bob requests to Continue Game!>";
  const struct { std::uint8_t type; const char* request; int command, state; } agreements[] = {
      {7, "<Bob requests a Draw!>", command::NetDraw, GameDrawn}, {14, goOn, command::NetContinue, GameInProgress},
      {0, "", command::NetResign, WhiteWon}, {14, goOn, command::NetContinue, GameInProgress}};
  for (const auto& a : agreements) {
    if (a.type) bob->Send(a.type, ShortPayload(1));
    EXPECT_TRUE(!a.type || WaitUntil([&] { return Text("info") == a.request; })) << a.request;
    Trigger(a.command);
    EXPECT_TRUE(WaitUntil([&] { return gameState == a.state; })) << a.command;
  }
  // This side's flag falls a minute after White's move.
  PeerMoves(*bob, "e2-e4 ");
  turnStart = turnStart - 61000;
  EXPECT_TRUE(WaitUntil([] { return gameState == WhiteWon; }));
  EXPECT_TRUE(WaitUntil([&] { return Heard(*bob, 11) == "\x02"; })) << "Black lost on time";

  // Chat typed here reaches the others (what comes in is kept by the client's chat log).
  auto* input = window->Chat()->findChild<QLineEdit*>("chatInput");
  input->setText("hello there");
  QTest::keyClick(input, Qt::Key_Return);
  EXPECT_TRUE(WaitUntil([&] { return Heard(*bob, 2, "\n").ends_with("[0] Human> hello there\n"); }));

  Trigger(command::NetDisconnect);
  EXPECT_TRUE(bob->WaitClosed() && olga->WaitClosed());
  EXPECT_EQ(window->windowTitle().toStdString(), WindowTitle);
  EXPECT_TRUE(!window->Chat() && Enabled(command::NetConnect));
}

TEST_F(NetworkWindow, ConnectsJoinsAndSeesTheServerGo) {
  SocketNotifierSource sockets;
  Server server(sockets);
  ASSERT_TRUE(server.Start(0, "host"));
  const std::string address = "127.0.0.1:" + std::to_string(server.Port());
  const int mode = HumanSide;
  EXPECT_EQ(ConnectCommand("no-such-host.invalid"), 3);
  EXPECT_TRUE(Text("info") == "Invalid IP" && !netGame);
  Answer(kestrin::test::Press("OK")); // the socket error's box
  EXPECT_EQ(ConnectCommand("127.0.0.1:1"), 2);
  EXPECT_TRUE(Text("info") == "No Server Found" && !netGame);
  Answer([address](QWidget* dialog) {
    dialog->findChild<QLineEdit*>("address")->setText(QString::fromStdString(address));
    kestrin::test::Press("Set Default")(dialog);
    kestrin::test::Press("Connect")(dialog);
  });
  Trigger(command::NetConnect);
  EXPECT_EQ(settings.connectAddress, address);
  EXPECT_EQ(window->windowTitle().toStdString(), NetClientTitle);
  Answer(kestrin::test::Press("2"));
  Trigger(command::NetJoinTable);
  EXPECT_TRUE(WaitUntil([&] { return server.ClientTable(1) == 2; }));
  EXPECT_EQ(window->Panel()->findChild<QGroupBox*>()->title(), "Table 2");

  // "&New Game" is not sent while a game with a recorded move is in progress.
  PlayMoveTextBlock("1. e4");
  EXPECT_FALSE(RunCommand(command::NetNewGame));
  EXPECT_FALSE(WaitUntil([&] { return server.TableSeated(2) > 0; }, 200));
  NewGame(false);
  EXPECT_TRUE(RunCommand(command::NetNewGame));
  EXPECT_TRUE(WaitUntil([&] { return server.TableWhite(2) == 1; }));

  // The server stops without a word: the window leaves network mode for the mode it had.
  server.Stop();
  EXPECT_TRUE(WaitUntil([] { return !netGame; }));
  EXPECT_EQ(window->windowTitle().toStdString() + "|" + Text("info").toStdString(),
            std::string(WindowTitle) + "|Server Disconnected");
  EXPECT_EQ(HumanSide.load(), mode);
}

} // namespace
} // namespace kestrin::test
