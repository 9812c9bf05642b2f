#include "ui/qtfrontend.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QThread>

#include "board/types.h"
#include "game/controller.h"
#include "ui/dialogs.h"
#include "ui/mainwindow.h"

namespace kestrin {

namespace {

constexpr std::string_view GameOverCaption = " Game Over! ";

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

} // namespace

QtFrontend::QtFrontend(MainWindow* window) : QObject(window), window(window) {}

bool QtFrontend::OnWindowThread() const { return QThread::currentThread() == thread(); }

void QtFrontend::Post(unsigned what) {
  std::lock_guard lock(mutex);
  if (pending == 0) QMetaObject::invokeMethod(this, "Deliver", Qt::QueuedConnection);
  pending |= what;
}

void QtFrontend::Deliver() {
  unsigned what;
  std::string info;
  std::vector<std::pair<std::string, std::string>> boxes;
  {
    std::lock_guard lock(mutex);
    what = pending;
    pending = 0;
    info.swap(pendingInfo);
    boxes.swap(pendingBoxes);
  }
  if ((what & Board) || controller.engineMoveAwaited) window->BoardChanged(true);
  if (what & Transcript) window->TranscriptChanged();
  if (what & (Panel | PanelFull)) window->UpdatePanel((what & PanelFull) != 0);
  if (what & Info) window->SetInfo(ToQString(info));
  if (what & Sound) QApplication::beep();
  for (const auto& [text, caption] : boxes) {
    if (caption == GameOverCaption) window->ShowGameOver(ToQString(text), false);
    else window->ShowMessageLater(ToQString(text), ToQString(caption));
  }
}

void QtFrontend::SetInfoText(std::string_view text) {
  if (OnWindowThread()) {
    // A text the engine thread posted before this one is older: it must not come after it.
    {
      std::lock_guard lock(mutex);
      pending &= ~Info;
      pendingInfo.clear();
    }
    window->SetInfo(ToQString(text));
    return;
  }
  {
    std::lock_guard lock(mutex);
    pendingInfo.assign(text);
  }
  Post(Info);
}

void QtFrontend::ShowMessage(std::string_view text, std::string_view caption) {
  if (OnWindowThread()) {
    if (caption == GameOverCaption) window->ShowGameOver(ToQString(text), true);
    else QMessageBox::information(window, ToQString(caption), ToQString(text));
    return;
  }
  {
    std::lock_guard lock(mutex);
    pendingBoxes.emplace_back(text, caption);
  }
  Post(Boxes);
}

bool QtFrontend::AskYesNo(std::string_view text, std::string_view caption) {
  // Only the window thread asks; any other caller gets the harmless answer.
  if (!OnWindowThread()) return false;
  return QMessageBox::question(window, ToQString(caption), ToQString(text), QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

int QtFrontend::AskPromotion() { return OnWindowThread() ? AskPromotionPiece(window) : Queen; }

void QtFrontend::RefreshBoard() {
  if (OnWindowThread()) window->BoardChanged(false);
  else Post(Board);
}

void QtFrontend::RefreshPanel(bool full) {
  if (OnWindowThread()) window->UpdatePanel(full);
  else Post(full ? PanelFull : Panel);
}

void QtFrontend::TranscriptChanged() {
  if (OnWindowThread()) window->TranscriptChanged();
  else Post(Transcript);
}

void QtFrontend::Beep() {
  if (OnWindowThread()) QApplication::beep();
  else Post(Sound);
}

std::string QtFrontend::ClipboardText() {
  if (!OnWindowThread()) return {};
  return QApplication::clipboard()->text().toStdString();
}

void QtFrontend::SetClipboardText(std::string_view text) {
  if (OnWindowThread()) QApplication::clipboard()->setText(ToQString(text));
}

} // namespace kestrin
