// The window tests' stage: one application, a fresh main window in a scratch home per test,
// answers for modal dialogs, and waits that keep the event loop running.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>

#include "support/scratchdir.h"
#include "ui/mainwindow.h"

namespace kestrin::test {

class WindowTest : public testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Runs `handler` on the next modal dialog or box that opens (they are answered in order).
  void Answer(std::function<void(QWidget*)> handler);
  // Keeps the event loop running until `done` holds or `milliseconds` pass; returns `done`.
  bool WaitUntil(const std::function<bool()>& done, int milliseconds = 10000);
  void Click(int file, int row);
  void Move(int fromFile, int fromRow, int toFile, int toRow);
  // Waits until the game reached `plyCount` and the engine is idle.
  bool WaitForPly(int plyCount);
  void Trigger(int id);
  void Button(int id);
  QString Text(const char* name) const;
  // The game starts from `fen` (two players, nobody's engine moving).
  void SetUpPosition(const std::string& fen);
  int PieceAt(int file, int row) const;
  // The board's picture as drawn now.
  QImage BoardImage() const;
  // The squares (0..63, -1 for the margin) where two pictures of the board differ.
  std::set<int> DifferingSquares(const QImage& a, const QImage& b) const;
  int Ply() const;

  std::unique_ptr<ScratchDirectory> home;
  std::unique_ptr<MainWindow> window;
  std::vector<QString> boxTexts; // texts of the boxes answered
};

// A handler that presses the button with this object name or text.
std::function<void(QWidget*)> Press(const QString& button);
// A handler that types `path` into a file dialog and accepts it.
std::function<void(QWidget*)> ChooseFile(const std::string& path);

} // namespace kestrin::test
