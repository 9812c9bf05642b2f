// kestrin-engine booklines BOOK: every line the book can play from the initial position, one
// a row in coordinates (e2e4 e7e5 ...). At each position the moves are those the engine's book
// choice may pick there: moves to book positions not met before in the game whose value suits
// the side to move. A line ends where the book has no such move.
#include <cstdio>
#include <string>
#include <vector>

#include "app/commands.h"
#include "board/keys.h"
#include "book/book.h"
#include "notation/history.h"
#include "notation/newgame.h"
#include "uci/coordinates.h"

namespace kestrin {

namespace {

// More rows than this means the book's lines cross into each other far more than opening
// lines do; listing them all would not help anyone.
constexpr long MaxLines = 1000000;

struct Walk {
  std::vector<std::string> moves;
  long lines = 0;
  bool tooMany = false;
};

void Print(const Walk& walk) {
  std::string row;
  for (const std::string& move : walk.moves) row += (row.empty() ? "" : " ") + move;
  std::printf("%s\n", row.c_str());
}

void Visit(const Position& position, Walk& walk) {
  if (walk.tooMany) return;
  BookMoveList candidates;
  // Past the plies whose keys the game keeps, repetitions would go unseen: the line ends.
  if (position.plyCount < RepetitionSlots - 1) BookCandidates(position, candidates);
  else candidates.count = 0;
  const bool white = position.sideToMove != Black;
  // The position's key stands at its ply, as the game record keeps it for a played move, so
  // that the book does not offer a move back into a position of this line.
  RecordRepetitionKey(position);
  bool any = false;
  for (int i = 0; i < candidates.count; ++i) {
    const int value = candidates.value[i];
    if (white ? value < 0 : value > 0) continue;
    any = true;
    Position next = position;
    MoveUndo undo;
    walk.moves.push_back(CoordinateText(position, candidates.Candidate(i), Queen));
    MakeMove(next, candidates.Candidate(i), undo, Queen);
    Visit(next, walk);
    walk.moves.pop_back();
  }
  if (any || walk.moves.empty()) return;
  if (++walk.lines > MaxLines) {
    walk.tooMany = true;
    return;
  }
  Print(walk);
}

} // namespace

int RunBookLinesCommand(int argc, char** argv) {
  if (argc != 1) {
    std::fprintf(stderr, "usage: kestrin-engine booklines BOOK\n");
    return 2;
  }
  BookCreate();
  if (!BookLoad(argv[0])) {
    std::fprintf(stderr, "booklines: cannot read the book %s\n", argv[0]);
    return 1;
  }
  ResetGameRecord();
  Walk walk;
  Visit(gamePosition, walk);
  if (walk.tooMany) {
    std::fprintf(stderr, "booklines: the book gives more than %ld lines\n", MaxLines);
    return 1;
  }
  return 0;
}

} // namespace kestrin
