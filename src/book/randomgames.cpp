#include "book/randomgames.h"

#include <cstdio>

#include "board/legality.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/position.h"
#include "notation/movetext.h"

namespace kestrin {

bool WriteRandomGames(const std::string& name, int games, std::mt19937& random) {
  std::FILE* file = std::fopen(name.c_str(), "w");
  if (!file) return false;
  static const char* const results[3] = {"1-0", "0-1", "1/2-1/2"};
  std::string text;
  for (int g = 0; g < games; ++g) {
    const char* result = results[random() % 3];
    text = "[Event \"Bench\"]\n[Round \"" + std::to_string(g + 1) + "\"]\n[Result \"" + result + "\"]\n\n";
    Position p;
    SetStartPosition(p);
    const int plies = 40 + static_cast<int>(random() % 80);
    for (int ply = 0; ply < plies; ++ply) {
      MoveList list;
      GenerateMoves(p.sideToMove, p, list);
      Move legal[QuietBase + QuietCapacity];
      int count = 0;
      ForEachMove(list, [&](Move m) {
        if (IsLegalMove(p, m, p.sideToMove)) legal[count++] = m;
      });
      if (count == 0) break;
      const int choices = ply < 8 ? (count < 3 ? count : 3) : count;
      const Move move = legal[random() % choices];
      char slot[MoveTextSlotSize];
      FormatMoveText(slot, p, move);
      if (ply % 2 == 0) text += std::to_string(ply / 2 + 1) + ". ";
      text.append(slot, 6);
      text += ply % 2 ? "\n" : " ";
      MoveUndo undo;
      MakeMove(p, move, undo, Queen);
    }
    text += std::string(" ") + result + "\n\n";
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) break;
  }
  return std::fclose(file) == 0;
}

} // namespace kestrin
