#include "ui/netdialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "game/controller.h"
#include "game/dialogvalues.h"
#include "net/setup.h"
#include "platform/settings.h"
#include "ui/chatwindow.h"
#include "ui/mainwindow.h"
#include "ui/menus.h"
#include "ui/sidepanel.h"

namespace kestrin {

namespace {

QPushButton* Button(const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(text);
  button->setAutoDefault(false);
  return button;
}

QString ReadyText(int ready) { return ready ? "READY" : "Not Ready"; }

} // namespace

void RunConnectDialog(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Connect");
  if (netClient.address.empty()) netClient.address = settings.connectAddress.substr(0, AddressLimit);
  auto* address = new QLineEdit(QString::fromStdString(netClient.address), &dialog);
  address->setObjectName("address");
  address->setMaxLength(static_cast<int>(AddressLimit));
  QObject::connect(address, &QLineEdit::textChanged, &dialog,
                   [](const QString& text) { netClient.address = text.toStdString(); });
  auto* setDefault = Button("Set Default", &dialog);
  QObject::connect(setDefault, &QPushButton::clicked, &dialog, [] { settings.connectAddress = netClient.address; });
  auto* connectButton = Button("Connect", &dialog);
  connectButton->setDefault(true);
  QObject::connect(connectButton, &QPushButton::clicked, &dialog, &QDialog::accept);
  auto* cancel = Button("Cancel", &dialog);
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {setDefault, connectButton, cancel}) buttons->addWidget(button);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel("Connect to IP:", &dialog));
  layout->addWidget(address);
  layout->addLayout(buttons);
  if (dialog.exec() == QDialog::Accepted) ConnectCommand(netClient.address);
}

void RunJoinTableDialog(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Join Table");
  auto* layout = new QHBoxLayout(&dialog);
  for (int table = 0; table < 4; ++table) {
    auto* button = Button(QString::number(table), &dialog);
    QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, table] {
      JoinTable(table);
      dialog.accept();
    });
    layout->addWidget(button);
  }
  auto* cancel = Button("Cancel", &dialog);
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  layout->addWidget(cancel);
  dialog.exec();
}

SetupDialog::SetupDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Netgame Setup");
  setModal(false);
  auto* colours = new QGroupBox("You Play", this);
  white = new QRadioButton("White", colours);
  black = new QRadioButton("Black", colours);
  white->setObjectName("White");
  black->setObjectName("Black");
  auto* colourColumn = new QVBoxLayout(colours);
  colourColumn->addWidget(white);
  colourColumn->addWidget(black);
  connect(white, &QRadioButton::clicked, this, [this] { SetupChooseColour(NetWhite), Sync(); });
  connect(black, &QRadioButton::clicked, this, [this] { SetupChooseColour(NetBlack), Sync(); });

  practice = new QCheckBox(this);
  practice->setObjectName("practice");
  connect(practice, &QCheckBox::clicked, this, [this] { SetupTogglePractice(), Sync(); });
  auto* practiceRow = new QHBoxLayout;
  practiceRow->addWidget(practice);
  practiceRow->addWidget(new QLabel("Practice Session", this), 1);

  auto* time = new QGroupBox("Time Limit", this);
  minutesField = new QLineEdit(time);
  secondsField = new QLineEdit(time);
  minutesField->setObjectName("minutes");
  secondsField->setObjectName("seconds");
  minutesLabel = new QLabel(time);
  secondsLabel = new QLabel(time);
  auto* set = Button("Set", time);
  connect(set, &QPushButton::clicked, this, [this] {
    auto value = [](const QLineEdit* field) {
      return static_cast<int>(ParseDialogNumber(field->text().toStdString()));
    };
    SetupSetTime(value(minutesField), value(secondsField));
  });
  auto* timeGrid = new QGridLayout(time);
  timeGrid->addWidget(new QLabel("Minutes:", time), 0, 0);
  timeGrid->addWidget(minutesField, 0, 1);
  timeGrid->addWidget(minutesLabel, 0, 2);
  timeGrid->addWidget(new QLabel("Seconds:", time), 1, 0);
  timeGrid->addWidget(secondsField, 1, 1);
  timeGrid->addWidget(secondsLabel, 1, 2);
  timeGrid->addWidget(set, 2, 1);

  auto* ready = Button("Ready", this);
  ready->setDefault(true);
  auto* notReady = Button("Not Ready", this);
  connect(ready, &QPushButton::clicked, this, [] { SetupReady(true); });
  connect(notReady, &QPushButton::clicked, this, [] { SetupReady(false); });
  localStatus = new QLabel(this);
  opponentStatus = new QLabel(this);
  localStatus->setObjectName("localStatus");
  opponentStatus->setObjectName("opponentStatus");
  auto* status = new QGridLayout;
  status->addWidget(new QLabel("You are:", this), 0, 0);
  status->addWidget(localStatus, 0, 1);
  status->addWidget(new QLabel("Opponent:", this), 1, 0);
  status->addWidget(opponentStatus, 1, 1);
  status->addWidget(ready, 2, 0);
  status->addWidget(notReady, 2, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(colours);
  layout->addLayout(practiceRow);
  layout->addWidget(time);
  layout->addLayout(status);
  Sync();
}

void SetupDialog::Sync() {
  (netClient.localColour == NetBlack ? black : white)->setChecked(true);
  practice->setChecked(netSetup.practice != 0);
  if (netClient.netMinutes != shownMinutes || netClient.netSeconds != shownSeconds) {
    shownMinutes = netClient.netMinutes;
    shownSeconds = netClient.netSeconds;
    minutesField->setText(QString::number(shownMinutes));
    secondsField->setText(QString::number(shownSeconds));
    minutesLabel->setText(QString::number(shownMinutes));
    secondsLabel->setText(QString::number(shownSeconds));
  }
  localStatus->setText(ReadyText(netSetup.localReady));
  opponentStatus->setText(ReadyText(netSetup.opponentReady));
}

void SetupDialog::CloseQuietly() {
  quiet = true;
  close();
}

void SetupDialog::closeEvent(QCloseEvent* event) {
  // The close box: the opponent is told and this player gets up.
  if (!quiet) {
    quiet = true;
    SetupCloseBox();
  }
  event->accept();
  deleteLater();
}

void WindowNetView::ModeChanged() {
  if (!netGame && setup && setup->isVisible()) setup->CloseQuietly();
  window->NetworkModeChanged();
}

void WindowNetView::ChatChanged() {
  if (ChatWindow* chat = window->Chat()) chat->Refresh();
}

void WindowNetView::NamesChanged() { window->Panel()->SetLabels(netClient.netWhiteName, netClient.netBlackName); }

void WindowNetView::TableChanged() { window->Panel()->SetCaption(QString("Table %1").arg(netClient.table)); }

void WindowNetView::SetupChanged() {
  // A dialog being closed is hidden already and goes soon; a new game gets a new one.
  const bool shown = setup && setup->isVisible();
  if (!netSetup.open) {
    if (shown) setup->CloseQuietly();
  } else {
    if (!shown) {
      setup = new SetupDialog(window);
      setup->show();
    }
    setup->Sync();
  }
  window->MenuItems()->Refresh();
}

} // namespace kestrin
