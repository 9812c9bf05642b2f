// Games and positions in and out of the program as text: the move list and the position
// through the clipboard, the whole game state through "clipboard.pgn" with "undopaste.pgn"
// kept to undo the last paste. The files live in the program's home folder.
#pragma once

namespace kestrin {

extern const char* const ClipboardGameFile;
extern const char* const UndoPasteGameFile;

// The clipboard holds at most this many characters of a copied move list.
constexpr int ClipboardTextLimit = 10000;

// `positionFlag` 0: the move list, 1: the game position as FEN.
void CopyToClipboard(int positionFlag);
// 0: plays the clipboard text as a move list from the initial position; a text in which no
// move fits leaves the game alone. 1: reads it as FEN ("Not a valid Position" when refused).
// Returns 1 when the game was replaced. The engine must be idle.
int PasteFromClipboard(int positionFlag);

// The game state through the two files; each returns 1 when it did its work.
int CopyGameState();
int PasteGameState();
int UndoPasteGameState();

} // namespace kestrin
