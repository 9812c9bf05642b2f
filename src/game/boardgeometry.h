// Where the board lies in the window and what colours it has: sizes, square mapping in both
// orientations, square and frame colours. Pixel arithmetic only; the window draws.
#pragma once

namespace kestrin {

constexpr int BoardMargin = 10;    // left and top margin of the board
constexpr int PanelWidth = 225;    // the side panel's column at the right edge
constexpr int ChatHeight = 125;    // the network chat below the board
constexpr int DefaultSquareSize = 64;
// The window's default client area: 2 x margin + 746 by 2 x margin + 520.
constexpr int DefaultClientWidth = 766;
constexpr int DefaultClientHeight = 540;
constexpr int MinimumSquareSize = 24;

// The square size for a client area (the board keeps its margins and the panel its column).
int SquareSizeFor(int clientWidth, int clientHeight, bool chatShown);
// The side panel's width: its column, widened by what the board leaves over, up to twice the column.
int PanelWidthFor(int clientWidth, int squareSize);

// The square (file 0..7 from a, row 0..7 from rank 8) under the point, or false off the board.
bool SquareAtPoint(int x, int y, int squareSize, bool flipped, int& file, int& row);
// The top-left corner of a square on screen.
void SquareOrigin(int file, int row, int squareSize, bool flipped, int& x, int& y);
// a8 is light.
inline bool IsLightSquare(int file, int row) { return (file + row) % 2 == 0; }

struct Rgb {
  int r, g, b;
};
constexpr Rgb LightSquareColour{192, 192, 192};
constexpr Rgb DarkSquareColour{128, 128, 128};
constexpr Rgb MarginColour{68, 68, 68};
constexpr Rgb LastMoveTint{235, 205, 70};  // the squares of the last move
constexpr Rgb TargetMarkColour{40, 110, 60}; // the dots on the chosen man's squares
// The frame of the book move at `place` (0 first) in the book button's list.
Rgb BookFrameColour(int place);

} // namespace kestrin
