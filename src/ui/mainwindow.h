// The main window: menus, board, side panel and the clock timer around the game controller.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <string>

namespace kestrin {

class BoardView;
class ChatWindow;
class Menus;
class QtFrontend;
class SidePanel;
class SocketNotifierSource;
class WindowNetView;

constexpr const char* WindowTitle = "KestrinChess 2.82a ";
constexpr const char* NetClientTitle = "Kestrin Chess 2.82 - NETGAME";
constexpr const char* NetServerTitle = "Kestrin Chess 2.82 - NETGAME (Server)";

class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  MainWindow();
  ~MainWindow() override;

  // The windowed start-up after the engine is initialised: placement, check marks, title, a new game.
  void Start();
  // Runs a menu command by id, as choosing it does.
  void RunMenuCommand(int id);

  // Called by the front end on the window thread.
  void BoardChanged(bool byEngine);
  void UpdatePanel(bool full);
  void TranscriptChanged();
  void SetInfo(const QString& text);
  void ShowMessageLater(const QString& text, const QString& caption);
  // The end-of-game box: the reason given, who won, and a way to a new game.
  void ShowGameOver(const QString& text, bool modal);

  BoardView* Board() const { return board; }
  SidePanel* Panel() const { return panel; }
  Menus* MenuItems() const { return menus.get(); }
  ChatWindow* Chat() const { return chat; }
  WindowNetView* NetViewOfWindow() const { return netView.get(); }
  // Network mode entered or left: title, chat window, caption, layout and menus.
  void NetworkModeChanged();
  // Places and sizes the window as at start-up: the board's client area 766 x 540 at (10, 1).
  void SizeToDefault();
  // Closing leaves "Kchess.dft" and the remembered window as they are: what a developer's
  // measurement changed is not the user's.
  void KeepSettingsFile() { writeSettings = false; }

protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void LayoutWindow();
  void PanelButton(int id);
  void UpdateClocks();
  // The title with the side to move or the result, and the result in the information line
  // when the game has just ended.
  void ShowGameStatus();
  // The evaluation graph from the record and the scores noted; only when either changed.
  void RefreshGraph(bool movesChanged);
  void AfterCommand();
  void Shutdown();

  QWidget* client;
  BoardView* board;
  SidePanel* panel;
  std::unique_ptr<Menus> menus;
  QtFrontend* frontend;
  ChatWindow* chat = nullptr;
  SocketNotifierSource* sockets;
  std::unique_ptr<WindowNetView> netView;
  QTimer clockTimer;
  bool shutDown = false;
  bool writeSettings = true;
  int shownResult = 4;     // the result last written in the information line
  std::string shownStatus; // the turn or result last put in the title
  unsigned shownScores = 0; // the score store's count the graph last showed
};

} // namespace kestrin
