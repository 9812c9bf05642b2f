// "Add .PGN to Opening Book": the book's size, loading, saving and clearing it, and building
// positions from the games of a PGN file. A build runs on a thread of its own so that the
// window goes on drawing; its bar shows how far it has read, and Cancel keeps the old book.
#pragma once

#include <QDialog>
#include <QTimer>
#include <thread>

#include "book/bookbuild.h"
#include "game/controller.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace kestrin {

// The information line after a build was cancelled.
constexpr const char* BookBuildCancelledText = "Book build cancelled: the book is as it was.";

class BookDialog : public QDialog {
  Q_OBJECT
public:
  explicit BookDialog(QWidget* parent);
  ~BookDialog() override;

  // Builds from `fileName` as "Add PGN" does after its file was chosen.
  void StartBuild(const QString& fileName);
  bool Building() const { return worker.joinable(); }
  // The value the last build returned (0: the file could not be read).
  int LastResult() const { return result; }

public Q_SLOTS:
  void reject() override;

private:
  void CopySettings();
  void ShowCount();
  void Poll();
  void SetBuilding(bool building);
  // After the build: the engine takes up its work again, and the panel tells a cancel.
  void BuildEnded();
  QString ChooseFile(bool save, const char* caption, const char* filter);

  QLineEdit* fromMove;
  QLineEdit* upToMove;
  QLineEdit* maxGames;
  QLineEdit* times;
  QCheckBox* winning;
  QCheckBox* drawing;
  QCheckBox* losing;
  QLabel* count;
  QProgressBar* bar;
  QPushButton* cancel;
  QList<QWidget*> controls; // disabled while a build runs
  QTimer poll;
  BookBuildProgress progress;
  BookBuildSettings wanted; // the settings of the build running
  std::thread worker;
  std::atomic<bool> finished{false};
  std::atomic<int> result{0};
  bool closeWhenDone = false;
  EngineStop engineStopped; // what the engine did before the build stopped it
};

// Opens the dialog and returns when it is closed.
void RunBookDialog(QWidget* parent);

} // namespace kestrin
