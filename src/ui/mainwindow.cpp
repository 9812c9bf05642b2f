#include "ui/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include "board/gameend.h"
#include "book/book.h"
#include "game/boardgeometry.h"
#include "game/clocks.h"
#include "game/commands.h"
#include "game/controller.h"
#include "game/gameresult.h"
#include "game/movescores.h"
#include "game/paneltext.h"
#include "game/pgnplayers.h"
#include "game/searchinfo.h"
#include "game/windowcommands.h"
#include "net/client.h"
#include "net/network.h"
#include "notation/history.h"
#include "notation/pgn.h"
#include "notation/transcript.h"
#include "platform/settings.h"
#include "search/engine.h"
#include "ui/boardview.h"
#include "ui/bookdialog.h"
#include "ui/chatwindow.h"
#include "ui/dialogs.h"
#include "ui/evalgraph.h"
#include "ui/menus.h"
#include "ui/netdialogs.h"
#include "ui/pieces.h"
#include "ui/qtfrontend.h"
#include "ui/shortcuts.h"
#include "ui/sidepanel.h"
#include "ui/socketnotifier.h"
#include "ui/windowstate.h"

namespace kestrin {

namespace {

constexpr int ClockInterval = 200; // milliseconds
constexpr int StartButton = 107, BookButton = 108;

QString OpenPgnName(QWidget* parent) {
  return QFileDialog::getOpenFileName(parent, "Load PGN", QString(), "PGN Chess Game (*.pgn);;All files (*)");
}

} // namespace

MainWindow::MainWindow() {
  setWindowTitle("Kestrin Chess 2.82");
  setWindowIcon(ProgramIcon());
  client = new QWidget(this);
  client->installEventFilter(this);
  setCentralWidget(client);
  board = new BoardView(client);
  panel = new SidePanel(
      client, [this](int id) { PanelButton(id); },
      [this](int line) {
        SelectMoveLine(line);
        setFocus();
      },
      [this](int move) {
        GoToMove(move);
        setFocus();
      });
  SetScoreListener(&NoteScore);
  InstallSearchReport(&WindowSearchReport());
  client->setMinimumSize(2 * BoardMargin + PanelWidth + 3 + 8 * MinimumSquareSize, panel->minimumSizeHint().height());
  menus = std::make_unique<Menus>(menuBar(), [this](int id) { RunMenuCommand(id); });
  connect(board, &BoardView::Clicked, this, [this] { menus->Refresh(); });
  setFocusPolicy(Qt::StrongFocus);
  frontend = new QtFrontend(this);
  InstallFrontend(frontend);
  connect(&clockTimer, &QTimer::timeout, this, [this] { UpdateClocks(); });
  sockets = new SocketNotifierSource(this);
  InstallEventSource(sockets);
  netView = std::make_unique<WindowNetView>(this);
  InstallNetView(netView.get());
}

MainWindow::~MainWindow() {
  Shutdown();
  InstallSearchReport(nullptr);
  SetScoreListener(nullptr);
  InstallNetView(nullptr);
  InstallEventSource(nullptr);
  InstallFrontend(nullptr);
}

void MainWindow::SizeToDefault() {
  showNormal();
  const int chatExtra = chat ? ChatHeight - 8 : 0;
  resize(DefaultClientWidth, DefaultClientHeight + chatExtra + menuBar()->sizeHint().height());
  move(10, 1);
}

void MainWindow::Start() {
  if (!RestoreWindowState(*this)) SizeToDefault();
  clockTimer.start(ClockInterval);
  show();
  menus->Refresh();
  setWindowTitle(WindowTitle);
  shownStatus = WindowTitleFor(GamePositionNow(), GameEnd());
  NewGame(true);
  setFocus();
}

void MainWindow::LayoutWindow() {
  const int width = client->width(), height = client->height();
  const int squareSize = SquareSizeFor(width, height, chat != nullptr);
  const int panelWidth = PanelWidthFor(width, squareSize);
  panel->setGeometry(width - panelWidth, 0, panelWidth, height);
  const int boardHeight = chat ? height - ChatHeight : height;
  board->setGeometry(0, 0, width - panelWidth, boardHeight);
  if (chat) chat->setGeometry(0, boardHeight, width - panelWidth, ChatHeight);
  board->SetSquareSize(squareSize);
  ClearFrames();
  board->update();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client && event->type() == QEvent::Resize) LayoutWindow();
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::RunMenuCommand(int id) {
  if (!MenuEnabled(id)) return;
  if (RunCommand(id)) {
    AfterCommand();
    return;
  }
  const bool connected = netGame != 0;
  switch (id) {
  case command::LoadPgn: {
    if (connected) break;
    const std::string name = OpenPgnName(this).toLocal8Bit().toStdString();
    if (name.empty()) break;
    // A loaded game may leave the computer to move: it is stopped and resumed as for any interruption.
    int loaded = 0;
    WithEngineStopped([&] { loaded = LoadFirstPgnGame(name.c_str()); });
    if (loaded) BoardChanged(false), UpdatePanel(true);
    break;
  }
  case command::NextPgnGame:
  case command::PreviousPgnGame:
    if (connected || pgnFileName.empty()) break;
    WithEngineStopped([id] {
      if (id == command::NextPgnGame) LoadNextPgnGame();
      else LoadPreviousPgnGame();
    });
    BoardChanged(false);
    UpdatePanel(true);
    break;
  case command::AppendGame: {
    const QString name = QFileDialog::getSaveFileName(this, "Append (Save) Game to File", QString(),
                                                      "PGN Chess Game (*.pgn)", nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
    if (!name.isEmpty()) SavePgnGame(gameState, name.toLocal8Bit().constData(), 1);
    break;
  }
  case command::Exit: close(); return;
  case command::UserLevel:
    RunSearchParamsDialog(this);
    controller.levelItem = command::UserLevel;
    break;
  case command::SetTimeControl:
    RunGameTimeDialog(this);
    InvalidateClocks();
    UpdateClocks();
    break;
  case command::PlayerInfo:
    RunPlayerInfoDialog(this);
    UpdatePanel(true);
    break;
  case command::DefaultSize: SizeToDefault(); break;
  case command::KeyboardShortcuts:
    QMessageBox::information(this, "Keyboard Shortcuts", ShortcutSummary());
    break;
  case command::About:
    QMessageBox::about(this, "About Kestrin Chess",
                       "Kestrin Chess 2.82\n\nPlay chess against the computer, against a friend at one board or "
                       "over the network, analyse positions and keep an opening book.");
    break;
  case command::NetConnect: RunConnectDialog(this); break;
  case command::NetJoinTable: RunJoinTableDialog(this); break;
  case command::BookEdit:
    if (!connected) RunBookDialog(this);
    break;
  case command::LoadBook: {
    const QString name =
        QFileDialog::getOpenFileName(this, "Load Opening Book", QString(), "Opening Book (*.kcb);;All files (*)");
    if (name.isEmpty()) break;
    static std::string chosen;
    chosen = name.toLocal8Bit().constData();
    WithEngineStopped([] { BookLoad(chosen.c_str()); });
    break;
  }
  case command::SaveBook: {
    const QString name = QFileDialog::getSaveFileName(this, "Save Opening Book", QString(), "Opening Book (*.kcb)");
    if (!name.isEmpty()) BookSave(name.toLocal8Bit().constData(), 0);
    break;
  }
  default: break;
  }
  AfterCommand();
}

void MainWindow::NetworkModeChanged() {
  const bool connected = netGame != 0;
  setWindowTitle(!connected ? WindowTitle : netClient.serving ? NetServerTitle : NetClientTitle);
  if (connected && !chat) {
    if (board->SquareSize() == DefaultSquareSize) SizeToDefault();
    chat = new ChatWindow(client);
    chat->show();
  } else if (!connected && chat) {
    chat->hide();
    chat->deleteLater(); // a leave may come from the chat's own send
    chat = nullptr;
  }
  panel->SetCaption(connected ? QString("Table %1").arg(netClient.table) : QString("Game Info"));
  if (connected) panel->SetLabels(netClient.netWhiteName, netClient.netBlackName);
  LayoutWindow();
  UpdatePanel(true);
}

void MainWindow::AfterCommand() {
  menus->Refresh();
  board->update();
}

void MainWindow::PanelButton(int id) {
  if (id == StartButton) StartStop();
  else if (id == BookButton) ShowBookMoves();
  else Browse(id);
  setFocus();
  board->update();
}

void MainWindow::BoardChanged(bool byEngine) {
  if (byEngine) BoardChangedByEngine();
  else BoardChangedHere();
  board->update();
}

void MainWindow::UpdatePanel(bool full) {
  if (full) {
    if (!netGame) {
      const PlayerLabels labels = LabelsFor(HumanSide, settings.playerName);
      panel->SetLabels(labels.white, labels.black);
    }
    InvalidateClocks();
    UpdateClocks();
  }
  controller.selectedSquare = NoSelection;
  const Position position = GamePositionNow();
  panel->SetMoveNumber(QString::fromStdString(MoveNumberText(position)));
  panel->SetMaterial(QString::fromStdString(MaterialShown(MaterialText(position))));
  panel->SyncMoveList();
  RefreshGraph(true);
  board->update();
  menus->Refresh();
  ShowGameStatus();
}

void MainWindow::RefreshGraph(bool movesChanged) {
  const unsigned version = ScoresVersion();
  if (!movesChanged && version == shownScores) return;
  shownScores = version;
  Position start{};
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    start = startPosition;
  }
  panel->Graph()->SetScores(RecordScores(), GamePositionNow().plyCount - start.plyCount);
}

void MainWindow::ShowGameStatus() {
  const GameEnd end = CurrentGameEnd();
  // The title follows changes of the turn or the result only: the program's own title, which
  // the start-up and the end of a network game put up, stays until the game moves on.
  const std::string status = WindowTitleFor(GamePositionNow(), end);
  if (status != shownStatus && !netGame) setWindowTitle(QString::fromStdString(status));
  shownStatus = status;
  if (end.result == shownResult) return;
  shownResult = end.result;
  if (end.result != GameInProgress) {
    panel->SetInfo(QString::fromStdString(ResultLine(end)));
    panel->SyncMoveList();
  }
}

void MainWindow::ShowGameOver(const QString& text, bool modal) {
  GameEnd end = EndShownBy(GamePositionNow());
  if (end.result == GameInProgress) end = CurrentGameEnd();
  QString winner;
  if (end.result == WhiteWon || end.result == BlackWon)
    winner = QString("%1 wins (%2)").arg(end.result == WhiteWon ? "White" : "Black", ResultToken(end.result));
  else if (end.result == GameDrawn) winner = QString("Draw (%1)").arg(ResultToken(end.result));
  auto* box = new QMessageBox(QMessageBox::Information, " Game Over! ", winner.isEmpty() ? text : text + "\n" + winner,
                              QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  QPushButton* again = box->addButton("New Game", QMessageBox::AcceptRole);
  connect(box, &QMessageBox::buttonClicked, this, [this, again](QAbstractButton* button) {
    if (button == again) QTimer::singleShot(0, this, [this] { RunMenuCommand(command::New); });
  });
  if (modal) box->exec();
  else box->open();
}

void MainWindow::TranscriptChanged() {
  panel->SyncMoveList();
  RefreshGraph(true);
}

void MainWindow::SetInfo(const QString& text) { panel->SetInfo(text); }

void MainWindow::ShowMessageLater(const QString& text, const QString& caption) {
  auto* box = new QMessageBox(QMessageBox::Information, caption, text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void MainWindow::UpdateClocks() {
  std::array<std::string, 4> texts;
  if (kestrin::UpdateClocks(texts)) panel->SetClocks(texts);
  RefreshGraph(false); // the engine's scores arrive while it thinks
  ShowGameStatus();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  if (const int button = BrowseButtonForKey(event->key()); button && event->modifiers() == Qt::NoModifier) {
    PanelButton(button);
    return;
  }
  // The bare keys that edit the book or replace the game have Ctrl shortcuts in the menus;
  // the ones the menus still show ((L), (K)) stay.
  const char key = text.size() == 1 ? static_cast<char>(text[0].toUpper().unicode()) : 0;
  if ((key == 'L' || key == 'K') && event->modifiers() == Qt::NoModifier) {
    const int id = MainWindowKey(key);
    if (id) RunMenuCommand(id);
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void MainWindow::Shutdown() {
  if (shutDown) return;
  shutDown = true;
  clockTimer.stop();
  if (netGame) LeaveNetworkMode(true);
  // The engine stops before the settings are written: a search must not outlive the window.
  StopEngineThread();
  if (writeSettings) WriteSettings(), SaveWindowState(*this);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  Shutdown();
  event->accept();
}

} // namespace kestrin
