// The chat below the board in network mode: the log of the last lines and an input line sent
// with Enter or "Send".
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

namespace kestrin {

class ChatWindow : public QWidget {
  Q_OBJECT
public:
  explicit ChatWindow(QWidget* parent);

  // Shows the chat log, oldest first, scrolled to the newest line.
  void Refresh();

private:
  void SendLine();

  QPlainTextEdit* log;
  QLineEdit* input;
};

} // namespace kestrin
