// The network dialogs: "Connect", "Join Table" and the non-modal "Netgame Setup", and the
// window's side of network play (title, chat, names, the setup dialog following the client).
#pragma once

#include <QDialog>
#include <QPointer>

#include "net/client.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kestrin {

class MainWindow;

// "Connect": the server's address, "Set Default", and the connection on "Connect".
void RunConnectDialog(QWidget* parent);
// "Join Table": tables 0 to 3.
void RunJoinTableDialog(QWidget* parent);

class SetupDialog : public QDialog {
  Q_OBJECT
public:
  explicit SetupDialog(QWidget* parent);
  // Shows the client's values: colour, check box, time control, both ready flags.
  void Sync();
  // Closes without telling the opponent (the game started, or the opponent closed).
  void CloseQuietly();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QRadioButton* white;
  QRadioButton* black;
  QCheckBox* practice;
  QLineEdit* minutesField;
  QLineEdit* secondsField;
  QLabel* minutesLabel;
  QLabel* secondsLabel;
  QLabel* localStatus;
  QLabel* opponentStatus;
  int shownMinutes = -1, shownSeconds = -1;
  bool quiet = false;
};

class WindowNetView : public NetView {
public:
  explicit WindowNetView(MainWindow* window) : window(window) {}
  void ModeChanged() override;
  void ChatChanged() override;
  void NamesChanged() override;
  void TableChanged() override;
  void SetupChanged() override;
  SetupDialog* Setup() const { return setup; }

private:
  MainWindow* window;
  QPointer<SetupDialog> setup;
};

} // namespace kestrin
