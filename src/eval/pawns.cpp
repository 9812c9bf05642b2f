#include "eval/pawns.h"

#include <cstring>

#include "board/tables.h"

namespace kestrin {

PawnEntry PawnHashTable[PawnTableSize];
PawnSelectorFlags PawnSelectors;

namespace {

// By the rank of a White passed pawn (a Black one on rank r reads 9 - r). Ranks 1 and 8
// only occur in set-up positions and earn nothing.
constexpr i16 PassedPawnBonus[10] = {0, 0, 20, 25, 30, 44, 71, 104, 0, 0};

constexpr int NoLowRank = 9;  // above any real rank
constexpr int NoHighRank = 0; // below any real rank

// Per-file statistics, files 1-8 with an empty sentinel file on each side.
struct FileStats {
  int count[10];
  int low[10];
  int high[10];
  void Clear() {
    for (int f = 0; f < 10; ++f) {
      count[f] = 0;
      low[f] = NoLowRank;
      high[f] = NoHighRank;
    }
  }
  void Add(int file, int rank) {
    ++count[file];
    if (rank < low[file]) low[file] = rank;
    if (rank > high[file]) high[file] = rank;
  }
};

// The square of a real pawn of `pawnCode` in slot `slot`, or 0 (promoted men and empty
// slots are skipped).
int PawnSquare(const Position& p, const u8* list, int slot, int pawnCode) {
  int s = list[slot];
  return s != NoSquare && p.board[s] == pawnCode ? s : 0;
}

u8 FileBit(int file) { return static_cast<u8>(1u << (file - 1)); }

// Doubled pawns cost 15 each beyond the first on a file, every island 10.
int IslandsAndDoubled(const FileStats& own) {
  int penalty = 0;
  for (int f = 1; f <= 8; ++f) {
    if (own.count[f] == 0) continue;
    penalty += 15 * (own.count[f] - 1);
    if (own.count[f - 1] == 0) penalty += 10;
  }
  return penalty;
}

// Passed, isolated and backward terms of a White pawn, as a gain for White.
int WhitePawnTerms(int f, int r, const FileStats& white, const FileStats& black, u8& whiteFiles) {
  int term = 0;
  if (r >= black.high[f - 1] && r >= black.high[f + 1] && r > black.high[f] && r == white.high[f]) {
    term += PassedPawnBonus[r];
    whiteFiles = static_cast<u8>(whiteFiles & ~FileBit(f));
  }
  bool leftHas = white.count[f - 1] > 0, rightHas = white.count[f + 1] > 0;
  if (!leftHas && !rightHas && f != 1 && f != 8) return term - 20;
  if (r < white.low[f - 1] && r < white.low[f + 1] && r == white.high[f]) {
    // The neighbour whose front pawn lags behind decides; both when they are level.
    bool examineLeft = leftHas && (!rightHas || white.high[f - 1] <= white.high[f + 1]);
    bool examineRight = rightHas && (!leftHas || white.high[f + 1] <= white.high[f - 1]);
    bool locked = (examineLeft && black.low[f - 1] == white.high[f - 1] + 1) ||
                  (examineRight && black.low[f + 1] == white.high[f + 1] + 1);
    if (locked) term -= 20;
  }
  return term;
}

// The mirror for a Black pawn, as a gain for Black.
int BlackPawnTerms(int f, int r, const FileStats& white, const FileStats& black, u8& blackFiles) {
  int term = 0;
  if (r <= white.low[f - 1] && r <= white.low[f + 1] && r < white.low[f] && r == black.low[f]) {
    term += PassedPawnBonus[9 - r];
    blackFiles = static_cast<u8>(blackFiles & ~FileBit(f));
  }
  bool leftHas = black.count[f - 1] > 0, rightHas = black.count[f + 1] > 0;
  if (!leftHas && !rightHas && f != 1 && f != 8) return term - 20;
  if (r > black.high[f - 1] && r > black.high[f + 1] && r == black.low[f]) {
    bool examineLeft = leftHas && (!rightHas || black.low[f - 1] >= black.low[f + 1]);
    bool examineRight = rightHas && (!leftHas || black.low[f + 1] >= black.low[f - 1]);
    bool locked = (examineLeft && black.low[f - 1] == white.high[f - 1] + 1) ||
                  (examineRight && black.low[f + 1] == white.high[f + 1] + 1);
    if (locked) term -= 20;
  }
  return term;
}

} // namespace

PawnEntry EvaluatePawns(const Position& p) {
  PawnEntry e{};
  FileStats white, black;
  white.Clear();
  black.Clear();
  const i16* whitePlacement = PawnSelectors.white ? PawnTableQueenside[0] : PawnTableKingside[0];
  const i16* blackPlacement = PawnSelectors.black ? PawnTableQueenside[1] : PawnTableKingside[1];
  int middlegame = 0, endgame = 0;
  for (int slot = 0; slot < 8; ++slot) {
    if (int s = PawnSquare(p, p.whitePieceList, slot, WhitePawn)) {
      endgame += PawnAdvance[0][s];
      middlegame += whitePlacement[s];
      e.whiteFiles |= FileBit(FileOf[s]);
      white.Add(FileOf[s], RankOf[s]);
    }
    if (int s = PawnSquare(p, p.blackPieceList, slot, BlackPawn)) {
      endgame += PawnAdvance[1][s];
      middlegame += blackPlacement[s];
      e.blackFiles |= FileBit(FileOf[s]);
      black.Add(FileOf[s], RankOf[s]);
    }
  }
  if (black.count[1] == p.blackPawns) e.flags |= BlackPawnsOnA;
  if (black.count[8] == p.blackPawns) e.flags |= BlackPawnsOnH;
  if (white.count[1] == p.whitePawns) e.flags |= WhitePawnsOnA;
  if (white.count[8] == p.whitePawns) e.flags |= WhitePawnsOnH;

  int structure = IslandsAndDoubled(black) - IslandsAndDoubled(white);
  for (int slot = 0; slot < 8; ++slot) {
    if (int s = PawnSquare(p, p.whitePieceList, slot, WhitePawn))
      structure += WhitePawnTerms(FileOf[s], RankOf[s], white, black, e.whiteFiles);
    if (int s = PawnSquare(p, p.blackPieceList, slot, BlackPawn))
      structure -= BlackPawnTerms(FileOf[s], RankOf[s], white, black, e.blackFiles);
  }
  e.structure = static_cast<i16>(structure);
  e.middlegame = static_cast<i16>(middlegame);
  e.endgame = static_cast<i16>(endgame);
  e.key = p.pawnKey;
  PawnHashTable[p.pawnKey & PawnTableMask] = e;
  return e;
}

PawnEntry ProbePawns(const Position& p) {
  const PawnEntry& e = PawnHashTable[p.pawnKey & PawnTableMask];
  // A zero key is what every cleared slot holds, so it is never taken as a hit.
  if (e.key == p.pawnKey && p.pawnKey != 0) return e;
  return EvaluatePawns(p);
}

void PreparePawnSelectors(const Position& p) {
  auto settled = [&](int side) {
    int king = KingSquare(p, side);
    return p.castleState[side - 1] >= CastleNone && FileOf[king] >= 1 && FileOf[king] <= 4;
  };
  PawnSelectorFlags next{settled(White), settled(Black)};
  if (next.white != PawnSelectors.white || next.black != PawnSelectors.black) ClearPawnTable();
  PawnSelectors = next;
}

void ClearPawnTable() { std::memset(PawnHashTable, 0, sizeof PawnHashTable); }

void ResetPawnTable() {
  ClearPawnTable();
  PawnSelectors = {false, false};
}

} // namespace kestrin
