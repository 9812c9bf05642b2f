// The main window's keyboard: the shortcut of each menu command, taken from the platform's
// standard keys where it has one, and the keys that browse the game.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <vector>

namespace kestrin {

struct Shortcut {
  int id;                     // the menu command
  QList<QKeySequence> keys;   // the first is the one menus show
};
const std::vector<Shortcut>& ShortcutTable();
QList<QKeySequence> ShortcutsOf(int id);

// The panel button (103 first, 125 back, 126 forward, 104 last) a browsing key stands for, or 0.
int BrowseButtonForKey(int key);

// Rows of "keys<TAB>what they do" for Help > Keyboard Shortcuts.
QString ShortcutSummary();

} // namespace kestrin
