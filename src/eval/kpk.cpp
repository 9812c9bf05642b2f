#include "eval/kpk.h"

#include <cstdio>
#include <cstring>

namespace kestrin {

u8 KpkBitbase[KpkBytes];
bool kpkLoaded = false;

int KpkBitIndex(int attackingKing, int defendingKing, int pawn, int attackerToMove) {
  int row = pawn / 8, column = pawn % 8;
  if (column >= 4) {
    attackingKing ^= 7; // column c becomes 7 - c
    defendingKing ^= 7;
    column = 7 - column;
  }
  int pawnIndex = 4 * (row - 1) + column;
  return ((2 * pawnIndex + attackerToMove) * 64 + defendingKing) * 64 + attackingKing;
}

int LoadKpk(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return 0;
  u8 buffer[KpkBytes + 1]; // one byte more than needed reveals an over-long file
  std::size_t read = std::fread(buffer, 1, sizeof buffer, file);
  std::fclose(file);
  if (read != KpkBytes) return 0;
  std::memcpy(KpkBitbase, buffer, KpkBytes);
  kpkLoaded = true;
  return 1;
}

bool ProbeKpk(int attackingKing, int defendingKing, int pawn, int attackerToMove, int& score, int value) {
  if (!KpkPawnRowValid(pawn)) return false;
  int bit = KpkBitIndex(attackingKing, defendingKing, pawn, attackerToMove ? 1 : 0);
  if (KpkBitbase[bit >> 3] & (1u << (bit & 7))) score += value;
  else score = 0;
  return true;
}

namespace {

int FirstFilledPawnSlot(const u8* list) {
  for (int slot = 0; slot < 8; ++slot)
    if (list[slot] != NoSquare) return list[slot];
  return NoSquare;
}

} // namespace

bool ProbeKpkPosition(const Position& p, int& score) {
  if (!kpkLoaded || p.whitePieces != 0 || p.blackPieces != 0) return false;
  int whiteKing = KpkSquareOf(KingSquare(p, White)), blackKing = KpkSquareOf(KingSquare(p, Black));
  if (p.whitePawns == 1 && p.blackPawns == 0) {
    int pawn = KpkSquareOf(FirstFilledPawnSlot(p.whitePieceList));
    return ProbeKpk(whiteKing, blackKing, pawn, p.sideToMove == White, score, 500);
  }
  if (p.blackPawns == 1 && p.whitePawns == 0) {
    int pawn = KpkTurned(KpkSquareOf(FirstFilledPawnSlot(p.blackPieceList)));
    return ProbeKpk(KpkTurned(blackKing), KpkTurned(whiteKing), pawn, p.sideToMove == Black, score, -500);
  }
  return false;
}

void ResetKpk() {
  std::memset(KpkBitbase, 0, sizeof KpkBitbase);
  kpkLoaded = false;
}

} // namespace kestrin
