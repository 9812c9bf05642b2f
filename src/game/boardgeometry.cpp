#include "game/boardgeometry.h"

#include <algorithm>

namespace kestrin {

int SquareSizeFor(int clientWidth, int clientHeight, bool chatShown) {
  const int across = clientWidth - (2 * BoardMargin + PanelWidth + 3);
  const int down = clientHeight - (2 * BoardMargin + (chatShown ? ChatHeight : 8));
  return std::max(MinimumSquareSize, std::min(across, down) / 8);
}

int PanelWidthFor(int clientWidth, int squareSize) {
  const int spare = clientWidth - (2 * BoardMargin + 8 * squareSize + 3);
  return std::clamp(spare, PanelWidth, 2 * PanelWidth);
}

bool SquareAtPoint(int x, int y, int squareSize, bool flipped, int& file, int& row) {
  if (squareSize <= 0 || x < BoardMargin || y < BoardMargin) return false;
  int column = (x - BoardMargin) / squareSize, line = (y - BoardMargin) / squareSize;
  if (column > 7 || line > 7) return false;
  file = flipped ? 7 - column : column;
  row = flipped ? 7 - line : line;
  return true;
}

void SquareOrigin(int file, int row, int squareSize, bool flipped, int& x, int& y) {
  x = BoardMargin + (flipped ? 7 - file : file) * squareSize;
  y = BoardMargin + (flipped ? 7 - row : row) * squareSize;
}

Rgb BookFrameColour(int place) {
  static constexpr Rgb colours[9] = {{0, 0, 221},   {0, 221, 0},     {221, 0, 0}, {0, 221, 221}, {221, 0, 221},
                                     {221, 221, 0}, {238, 238, 238}, {0, 0, 0},   {0, 0, 0}};
  if (place < 0) place = 0;
  // From the tenth on the colours of places 1..8 come round again.
  return colours[place <= 8 ? place : (place - 1) % 8 + 1];
}

} // namespace kestrin
