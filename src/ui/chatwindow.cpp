#include "ui/chatwindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "net/client.h"
#include "net/network.h"

namespace kestrin {

namespace {

constexpr int InputLimit = 240;

} // namespace

ChatWindow::ChatWindow(QWidget* parent) : QWidget(parent) {
  setObjectName("chat");
  log = new QPlainTextEdit(this);
  log->setObjectName("chatLog");
  log->setReadOnly(true);
  log->setFocusPolicy(Qt::NoFocus);
  input = new QLineEdit(this);
  input->setObjectName("chatInput");
  input->setMaxLength(InputLimit);
  auto* send = new QPushButton("Send", this);
  send->setObjectName("chatSend");
  connect(input, &QLineEdit::returnPressed, this, &ChatWindow::SendLine);
  connect(send, &QPushButton::clicked, this, &ChatWindow::SendLine);
  auto* line = new QHBoxLayout;
  line->addWidget(input, 1);
  line->addWidget(send);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 2, 4, 2);
  column->setSpacing(2);
  column->addWidget(log, 1);
  column->addLayout(line);
  Refresh();
}

void ChatWindow::Refresh() {
  QString text;
  for (const std::string& line : netClient.chatLog) {
    if (!text.isEmpty()) text += '\n';
    text += QString::fromUtf8(line.data(), static_cast<int>(line.size()));
  }
  log->setPlainText(text);
  log->verticalScrollBar()->setValue(log->verticalScrollBar()->maximum());
}

void ChatWindow::SendLine() {
  const QByteArray line = input->text().toUtf8();
  input->clear();
  if (line.isEmpty()) return;
  SendToServer(2, TextPayload(std::string_view(line.constData(), static_cast<std::size_t>(line.size()))));
}

} // namespace kestrin
