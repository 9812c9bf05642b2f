#include "game/paneltext.h"

#include "board/attacks.h"

namespace kestrin {

std::string MoveNumberText(const Position& position) {
  std::string text = "Move # " + std::to_string(position.plyCount / 2);
  if (IsInCheck(White, position) || IsInCheck(Black, position)) text += "  CHECK!";
  return text;
}

std::string MaterialText(const Position& position) {
  static constexpr int kinds[5] = {Queen, Rook, Bishop, Knight, Pawn};
  static constexpr const char* names[5] = {"Q, ", "R, ", "B, ", "N, ", "p, "};
  int count[2][8] = {};
  for (int row = 0; row < 8; ++row)
    for (int file = 0; file < 8; ++file) {
      const int code = position.board[SquareOf(file, row)];
      if (code == Empty || code >= 16) continue;
      ++count[code >= BlackOffset ? 1 : 0][code & 7];
    }
  std::string white = "White:", black = "Black:";
  bool whiteGot = false, blackGot = false;
  for (int k = 0; k < 5; ++k) {
    const int kind = kinds[k], difference = count[0][kind] - count[1][kind];
    if (difference == 0) continue;
    std::string& text = difference > 0 ? white : black;
    (difference > 0 ? whiteGot : blackGot) = true;
    if (kind != Queen) text += std::to_string(difference > 0 ? difference : -difference);
    text += names[k];
  }
  if (whiteGot) white.resize(white.size() - 2);
  if (blackGot) black.resize(black.size() - 2);
  return white + "\n" + black;
}

std::string MaterialShown(const std::string& text) {
  std::string shown;
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() != ':') shown += (shown.empty() ? "" : "\n") + line;
    begin = end + 1;
  }
  return shown;
}

} // namespace kestrin
