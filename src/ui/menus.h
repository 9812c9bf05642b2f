// The menu bar, built from the command table: one action per item, each carrying its id.
#pragma once

#include <QAction>
#include <QList>
#include <QMenuBar>
#include <functional>

namespace kestrin {

class Menus {
public:
  // Fills `bar`; choosing an item calls `run` with its id.
  Menus(QMenuBar* bar, std::function<void(int)> run);

  // Check marks and enabling from the program's state.
  void Refresh();
  // The first action with the command id, or nullptr.
  QAction* Action(int id) const;

private:
  QList<QAction*> actions;
};

} // namespace kestrin
