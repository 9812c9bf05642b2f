#include "ui/bookdialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "book/book.h"
#include "game/controller.h"
#include "game/dialogvalues.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/searchstate.h"

namespace kestrin {

namespace {

constexpr int PollInterval = 50; // milliseconds
constexpr int BarSteps = 1000;

QLineEdit* Field(QWidget* parent, int value, const char* name) {
  auto* field = new QLineEdit(QString::number(value), parent);
  field->setObjectName(name);
  field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), field));
  return field;
}

QCheckBox* Box(QWidget* parent, const char* text, int on) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(text);
  box->setChecked(on != 0);
  return box;
}

int Number(const QLineEdit* field) {
  const long long value = ParseDialogNumber(field->text().toStdString());
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

} // namespace

BookDialog::BookDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Add .PGN to Opening Book");
  const BookBuildSettings& s = bookBuildSettings;
  count = new QLabel("# of Positions currently in Book:", this);
  count->setObjectName("count");
  fromMove = Field(this, s.fromMove, "fromMove");
  upToMove = Field(this, s.upToMove, "upToMove");
  maxGames = Field(this, s.maxGames, "maxGames");
  times = Field(this, s.times, "times");
  auto* form = new QFormLayout;
  form->addRow("From Move # (1-30):", fromMove);
  form->addRow("Up to Move # (1-30):", upToMove);
  form->addRow("Max Games to Read:", maxGames);
  form->addRow("Times position must occur:", times);

  auto* sides = new QGroupBox("Side(s) to add from:", this);
  winning = Box(sides, "Winning", s.winning);
  drawing = Box(sides, "Drawing", s.drawing);
  losing = Box(sides, "Losing", s.losing);
  auto* sideRow = new QHBoxLayout(sides);
  for (QCheckBox* box : {winning, drawing, losing}) {
    sideRow->addWidget(box);
    connect(box, &QCheckBox::toggled, this, [this] { CopySettings(); });
  }
  for (QLineEdit* field : {fromMove, upToMove, maxGames, times})
    connect(field, &QLineEdit::textChanged, this, [this] { CopySettings(); });

  auto* buttons = new QHBoxLayout;
  auto button = [&](const char* text) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    buttons->addWidget(b);
    controls.push_back(b);
    return b;
  };
  connect(button("Add PGN"), &QPushButton::clicked, this, [this] {
    const QString name = ChooseFile(false, "Add PGN", "PGN Chess Game (*.pgn)");
    if (!name.isEmpty()) StartBuild(name);
  });
  connect(button("Clear"), &QPushButton::clicked, this, [this] {
    WithEngineStopped([] { BookClear(); });
    ShowCount();
  });
  connect(button("Load"), &QPushButton::clicked, this, [this] {
    const std::string name = ChooseFile(false, "Load", "Opening Book (*.kcb)").toLocal8Bit().toStdString();
    if (name.empty()) return;
    WithEngineStopped([&name] { BookLoad(name.c_str()); });
    ShowCount();
  });
  connect(button("Save"), &QPushButton::clicked, this, [this] {
    const QString name = ChooseFile(true, "Save", "Opening Book (*.kcb)");
    if (!name.isEmpty()) BookSave(name.toLocal8Bit().constData(), 0);
  });
  connect(button("Done"), &QPushButton::clicked, this, &QDialog::accept);
  controls.append({fromMove, upToMove, maxGames, times, sides});

  bar = new QProgressBar(this);
  bar->setObjectName("progress");
  bar->setRange(0, BarSteps);
  cancel = new QPushButton("Cancel", this);
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, [this] { progress.cancel = true; });
  auto* progressRow = new QHBoxLayout;
  progressRow->addWidget(bar);
  progressRow->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(count);
  layout->addLayout(form);
  layout->addWidget(sides);
  layout->addLayout(progressRow);
  layout->addLayout(buttons);
  SetBuilding(false);
  ShowCount();
  connect(&poll, &QTimer::timeout, this, [this] { Poll(); });
}

BookDialog::~BookDialog() {
  // The dialog outlives its build: its last step runs here on the window thread.
  progress.cancel = true;
  while (worker.joinable() && !finished) QCoreApplication::processEvents(QEventLoop::AllEvents, PollInterval);
  if (!worker.joinable()) return;
  worker.join();
  BuildEnded();
}

QString BookDialog::ChooseFile(bool save, const char* caption, const char* filter) {
  const QString filters = QString(filter) + ";;All files (*)";
  return save ? QFileDialog::getSaveFileName(this, caption, QString(), filter)
              : QFileDialog::getOpenFileName(this, caption, QString(), filters);
}

void BookDialog::CopySettings() {
  BookBuildSettings s;
  s.fromMove = Number(fromMove);
  s.upToMove = Number(upToMove);
  s.maxGames = Number(maxGames);
  s.times = Number(times);
  s.winning = winning->isChecked();
  s.drawing = drawing->isChecked();
  s.losing = losing->isChecked();
  SetBookBuildSettings(s);
}

void BookDialog::ShowCount() { count->setText(QString("# of Positions in Book: %1").arg(openingBook.count)); }

void BookDialog::SetBuilding(bool building) {
  for (QWidget* control : controls) control->setEnabled(!building);
  bar->setVisible(building);
  cancel->setVisible(building);
  cancel->setEnabled(building);
}

void BookDialog::StartBuild(const QString& fileName) {
  if (Building()) return;
  // The engine reads the book while it thinks: it is stopped before the build writes to it.
  engineStopped = StopEngine();
  progress.cancel = false;
  progress.bytesRead = 0;
  progress.gamesRead = 0;
  progress.fileBytes = 0;
  // The replay's end starts a new game on this thread, which owns the board.
  progress.newGame = [this] {
    QMetaObject::invokeMethod(this, [] { NewGame(true); }, Qt::BlockingQueuedConnection);
  };
  finished = false;
  bar->setValue(0);
  SetBuilding(true);
  const std::string name = fileName.toLocal8Bit().toStdString();
  wanted = bookBuildSettings;
  worker = std::thread([this, name] {
    const BookBuildSettings& s = wanted;
    result = BuildBookFromPgn(name.c_str(), s.maxGames, s.fromMove, s.upToMove, s.times, BookBuildSides(s), &progress);
    finished = true;
  });
  poll.start(PollInterval);
}

void BookDialog::Poll() {
  // Games read out of the games wanted, or bytes out of the file's size: whichever is further.
  const double games = static_cast<double>(progress.gamesRead) / std::max(1, wanted.maxGames);
  const double bytes =
      progress.fileBytes > 0 ? static_cast<double>(progress.bytesRead) / static_cast<double>(progress.fileBytes) : 0;
  bar->setValue(static_cast<int>(std::min(1.0, std::max(games, bytes)) * BarSteps));
  if (!finished) return;
  poll.stop();
  worker.join();
  SetBuilding(false);
  ShowCount();
  BuildEnded();
  if (closeWhenDone) QDialog::reject();
}

void BookDialog::BuildEnded() {
  // The games counted so far would be left standing as a bare number.
  if (result == BookBuildCancelled) SetInfoText(BookBuildCancelledText);
  ResumeEngine(engineStopped);
}

void BookDialog::reject() {
  // The close box during a build stops it first; the dialog closes once the old book is back.
  if (Building()) {
    progress.cancel = true;
    closeWhenDone = true;
    return;
  }
  QDialog::reject();
}

void RunBookDialog(QWidget* parent) {
  BookDialog dialog(parent);
  dialog.exec();
}

} // namespace kestrin
