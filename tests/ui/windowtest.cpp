#include "windowtest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QSettings>
#include <QTimer>
#include <deque>

#include "app/startup.h"
#include "book/bookbuild.h"
#include "game/boardgeometry.h"
#include "game/controller.h"
#include "game/windowcommands.h"
#include "notation/fen.h"
#include "notation/newgame.h"
#include "platform/clock.h"
#include "platform/settings.h"
#include "search/engine.h"
#include "search/limits.h"
#include "ui/boardview.h"
#include "ui/sidepanel.h"

// Under ThreadSanitizer: Debian's Qt is not built with the sanitizer, so memory its own worker
// threads (file dialogs, image and font work) pass around through its uninstrumented atomics
// reads as racy. Only the accesses Qt itself makes through the sanitizer's interceptors are
// left out; the program's own code stays checked.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\ncalled_from_lib:libQt6Gui.so.6\ncalled_from_lib:libQt6Widgets.so.6\n";
}

namespace kestrin::test {

namespace {

std::deque<std::function<void(QWidget*)>> answers;

class Application : public testing::Environment {
public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_ui", *argv[] = {name, nullptr};
    application = std::make_unique<QApplication>(argc, argv);
    InitEngine();
    // Modal dialogs are answered from the event loop they run.
    auto* poll = new QTimer(application.get());
    QObject::connect(poll, &QTimer::timeout, [] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || answers.empty() || !modal->isVisible()) return;
      auto handler = std::move(answers.front());
      answers.pop_front();
      handler(modal);
    });
    poll->start(20);
  }
  void TearDown() override {
    StopEngineThread();
    application.reset();
  }
  std::unique_ptr<QApplication> application;
};

testing::Environment* const environment = testing::AddGlobalTestEnvironment(new Application);

} // namespace

std::function<void(QWidget*)> Press(const QString& button) {
  return [button](QWidget* dialog) {
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
      if (b->objectName() == button || b->text().remove('&') == button) return b->click();
    ADD_FAILURE() << "no button " << button.toStdString() << " in " << dialog->windowTitle().toStdString();
  };
}

std::function<void(QWidget*)> ChooseFile(const std::string& path) {
  return [name = QString::fromStdString(path)](QWidget* dialog) {
    // The name is typed: a selection made while the dialog still reads the folder may not take.
    auto* typed = qobject_cast<QFileDialog*>(dialog) ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
    ASSERT_NE(typed, nullptr) << "no file dialog";
    typed->setText(name);
    static_cast<QDialog*>(dialog)->accept();
  };
}

void WindowTest::SetUp() {
  home = std::make_unique<ScratchDirectory>();
  // What the window remembers goes to the scratch folder, never to the user's configuration.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(home->Path("config")));
  viewOptions = ViewOptions();
  SetClockSource(nullptr);
  ResetSettings();
  ResetSearchSettings();
  ApplySettings();
  ResetController();
  ResetBookBuildSettings();
  searchSettings.maxPly = 2;
  HumanSide = 1;
  StartEngineThread();
  answers.clear();
  window = std::make_unique<MainWindow>();
  window->Start();
}

void WindowTest::TearDown() {
  window->close();
  window.reset();
  EXPECT_TRUE(answers.empty()) << "a dialog that was to be answered did not open";
  answers.clear();
  SetClockSource(nullptr);
  home.reset();
}

void WindowTest::Answer(std::function<void(QWidget*)> handler) {
  answers.push_back([this, handler](QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) boxTexts.push_back(box->text());
    handler(modal);
  });
}

bool WindowTest::WaitUntil(const std::function<bool()>& done, int milliseconds) {
  for (int waited = 0; waited < milliseconds && !done(); waited += 10) QTest::qWait(10);
  return done();
}

void WindowTest::Click(int file, int row) {
  QTest::mouseClick(window->Board(), Qt::LeftButton, {}, window->Board()->SquareCentre(file, row));
}

void WindowTest::Move(int file, int row, int toFile, int toRow) { Click(file, row), Click(toFile, toRow); }

bool WindowTest::WaitForPly(int n) { return WaitUntil([n] { return GamePositionNow().plyCount == n && !EngineBusy; }); }

void WindowTest::Trigger(int id) { window->RunMenuCommand(id); }

void WindowTest::Button(int id) {
  auto* button = window->Panel()->findChild<QAbstractButton*>(QString("button%1").arg(id));
  ASSERT_NE(button, nullptr) << id;
  button->click();
}

QString WindowTest::Text(const char* name) const { return window->Panel()->findChild<QLabel*>(name)->text(); }

void WindowTest::SetUpPosition(const std::string& fen) {
  HumanSide = 3;
  Position start{};
  ASSERT_TRUE(ReadFen(fen.c_str(), fen.size(), start)) << fen;
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    ResetGameRecord(&start);
  }
  window->BoardChanged(false);
  window->UpdatePanel(true);
}

int WindowTest::PieceAt(int file, int row) const { return GamePositionNow().board[SquareOf(file, row)]; }
QImage WindowTest::BoardImage() const { return window->Board()->grab().toImage(); }

std::set<int> WindowTest::DifferingSquares(const QImage& a, const QImage& b) const {
  std::set<int> squares;
  const int size = window->Board()->SquareSize();
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) == b.pixel(x, y)) continue;
      int file = 0, row = 0;
      squares.insert(SquareAtPoint(x, y, size, controller.boardFlipped != 0, file, row) ? file + 8 * row : -1);
    }
  return squares;
}

int WindowTest::Ply() const { return GamePositionNow().plyCount; }

} // namespace kestrin::test
