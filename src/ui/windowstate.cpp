#include "ui/windowstate.h"

#include <QSettings>
#include <QWidget>

#include "game/commands.h"
#include "game/controller.h"
#include "game/windowcommands.h"
#include "search/limits.h"

namespace kestrin {

namespace {

QSettings Store() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "kestrin", "window"); }

// A saved number within [low, high], or `fallback`.
int Bounded(const QSettings& store, const char* key, int low, int high, int fallback) {
  bool ok = false;
  const int value = store.value(key).toInt(&ok);
  return ok && value >= low && value <= high ? value : fallback;
}

bool IsLevelItem(int id) {
  return (id >= command::FirstPly && id <= command::UserLevel) || id == command::Ply26;
}

} // namespace

void SaveWindowState(const QWidget& window) {
  QSettings store = Store();
  store.setValue("geometry", window.saveGeometry());
  store.setValue("flipped", controller.boardFlipped);
  store.setValue("coordinates", viewOptions.showCoordinates);
  store.setValue("shortNotation", viewOptions.shortNotation);
  store.setValue("level/item", controller.levelItem);
  store.setValue("level/maxPly", searchSettings.maxPly.load());
  store.setValue("level/maxSeconds", searchSettings.maxSecondsPerMove.load());
  store.setValue("level/maxNodes", static_cast<qulonglong>(searchSettings.maxNodes.load()));
  store.setValue("level/wait", searchSettings.waitFlag.load());
  store.sync();
}

bool RestoreWindowState(QWidget& window) {
  const QSettings store = Store();
  if (!store.contains("geometry")) return false;
  window.restoreGeometry(store.value("geometry").toByteArray());
  controller.boardFlipped = Bounded(store, "flipped", 0, 1, controller.boardFlipped);
  viewOptions.showCoordinates = Bounded(store, "coordinates", 0, 1, viewOptions.showCoordinates);
  viewOptions.shortNotation = Bounded(store, "shortNotation", 0, 1, viewOptions.shortNotation);
  const int item = Bounded(store, "level/item", command::FirstPly, command::Ply26, 0);
  if (IsLevelItem(item)) {
    controller.levelItem = item;
    searchSettings.maxPly = Bounded(store, "level/maxPly", 1, 1000000000, searchSettings.maxPly);
    searchSettings.maxSecondsPerMove = Bounded(store, "level/maxSeconds", 0, 1000000000, searchSettings.maxSecondsPerMove);
    bool ok = false;
    const qulonglong nodes = store.value("level/maxNodes").toULongLong(&ok);
    if (ok && nodes <= 0xFFFFFFFFull) searchSettings.maxNodes = static_cast<u32>(nodes);
    searchSettings.waitFlag = Bounded(store, "level/wait", 0, 1, searchSettings.waitFlag);
  }
  return true;
}

} // namespace kestrin
