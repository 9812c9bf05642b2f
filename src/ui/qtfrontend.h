// The window's front end. Calls made on the window thread act at once; calls from the engine
// thread are queued onto the window thread (never touching a widget themselves), bursts are
// merged so that the panel shows the latest text, and boxes from the engine thread do not
// wait for an answer.
#pragma once

#include <QObject>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/frontend.h"

namespace kestrin {

class MainWindow;

class QtFrontend : public QObject, public Frontend {
  Q_OBJECT
public:
  explicit QtFrontend(MainWindow* window);

  void SetInfoText(std::string_view text) override;
  void ShowMessage(std::string_view text, std::string_view caption) override;
  bool AskYesNo(std::string_view text, std::string_view caption) override;
  int AskPromotion() override;
  void RefreshBoard() override;
  void RefreshPanel(bool full) override;
  void TranscriptChanged() override;
  void Beep() override;
  std::string ClipboardText() override;
  void SetClipboardText(std::string_view text) override;

private:
  enum Pending : unsigned { Info = 1, Board = 2, Panel = 4, PanelFull = 8, Transcript = 16, Sound = 32, Boxes = 64 };
  bool OnWindowThread() const;
  // Marks work for the window thread; the first mark of a burst queues one delivery.
  void Post(unsigned what);
  Q_INVOKABLE void Deliver();

  MainWindow* window;
  std::mutex mutex;
  unsigned pending = 0;
  std::string pendingInfo;
  std::vector<std::pair<std::string, std::string>> pendingBoxes;
};

} // namespace kestrin
