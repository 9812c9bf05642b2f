// The main window: menus, board, side panel and the clock timer around the game controller.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>

namespace kestrin {

class BoardView;
class Menus;
class QtFrontend;
class SidePanel;

constexpr const char* WindowTitle = "KestrinChess 2.82a ";

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

  BoardView* Board() const { return board; }
  SidePanel* Panel() const { return panel; }
  Menus* MenuItems() const { return menus.get(); }
  // Places and sizes the window as at start-up: the board's client area 766 x 540 at (10, 1).
  void SizeToDefault();

protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void LayoutWindow();
  void PanelButton(int id);
  void UpdateClocks();
  void AfterCommand();
  void Shutdown();

  QWidget* client;
  BoardView* board;
  SidePanel* panel;
  std::unique_ptr<Menus> menus;
  QtFrontend* frontend;
  QTimer clockTimer;
  bool shutDown = false;
};

} // namespace kestrin
