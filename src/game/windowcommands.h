// The window's commands beyond the classic menus: take back and redo, the book values by
// key, a paste that tells a position from a game, the board's coordinates and the move
// list's notation. Their state has no line in "Kchess.dft"; the window keeps it elsewhere.
#pragma once

namespace kestrin {

namespace command {
constexpr int TakeBack = 50001;
constexpr int Redo = 50002;
constexpr int Paste = 50003;
constexpr int Coordinates = 50004;
constexpr int ShortNotation = 50005;
constexpr int KeyboardShortcuts = 50006;
constexpr int About = 50007;
constexpr int FirstBookValue = 50011; // book values -2 .. +2, then removal: 50011 .. 50016
constexpr int RemoveFromBook = 50016;
} // namespace command

struct ViewOptions {
  int showCoordinates = 1; // a-h and 1-8 along the board's edges
  int shortNotation = 1;   // the move list in short algebraic (Nf3) instead of Ng1-f3
};
extern ViewOptions viewOptions;

bool IsWindowCommand(int id);
// Runs one of the commands above that needs no dialog; false for the others.
bool RunWindowCommand(int id);
bool WindowCommandEnabled(int id);
bool WindowCommandChecked(int id);

// The clipboard's text read as a FEN position (true) or as a game's moves.
bool ClipboardHoldsPosition();

} // namespace kestrin
