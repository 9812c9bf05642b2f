// What the window remembers between runs beyond "Kchess.dft", whose thirteen lines have no
// place for it: the window's size and place, the board's flip, the level, the coordinates and
// the move list's notation. It is kept with QSettings in the user's configuration folder
// ("kestrin/window.conf"); the settings file stays as it is.
#pragma once

class QWidget;

namespace kestrin {

void SaveWindowState(const QWidget& window);
// Puts what was saved back in force; returns false (and changes nothing) when nothing was saved.
// Values the menus and dialogs could not have produced are left at what they are.
bool RestoreWindowState(QWidget& window);

} // namespace kestrin
