// The board's occupied squares as one 64-bit word, built from the mailbox when a routine has
// many rays to follow: the first man along a ray is then one mask and one bit scan instead of
// a walk over the empty squares before it. Bit 8 * row + file, row 0 the eighth rank.
#pragma once

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "board/types.h"

namespace kestrin {

// Per direction and bit: the squares beyond it to the edge, and the last of them (the bit
// itself when there is none). Or-ed in, the last square stops a scan that meets no man: an empty
// square there, or the mover's own, is nothing to take.
struct RayMasks {
  u64 squares;
  u64 last;
};

struct OccupancyTables {
  signed char bitOf[128]; // a playing square's bit, -1 elsewhere
  u8 squareOf[64];
  RayMasks ray[8][64]; // per direction, in the order of RaySteps
};

// The mailbox steps in the order of OccupancyTables::ray; the first four raise the bit number.
constexpr int RaySteps[8] = {1, 9, 10, 11, -1, -9, -10, -11};

constexpr int RayIndex(int step) {
  for (int i = 0; i < 8; ++i)
    if (RaySteps[i] == step) return i;
  return -1;
}

constexpr OccupancyTables MakeOccupancyTables() {
  OccupancyTables t{};
  for (auto& b : t.bitOf) b = -1;
  for (int row = 0; row < 8; ++row)
    for (int file = 0; file < 8; ++file) {
      const int bit = 8 * row + file, square = SquareOf(file, row);
      t.bitOf[square] = static_cast<signed char>(bit);
      t.squareOf[bit] = static_cast<u8>(square);
    }
  for (int r = 0; r < 8; ++r)
    for (int row = 0; row < 8; ++row)
      for (int file = 0; file < 8; ++file) {
        const int step = RaySteps[r], from = SquareOf(file, row);
        RayMasks& ray = t.ray[r][8 * row + file];
        ray.last = u64(1) << t.bitOf[from];
        for (int s = from + step; t.bitOf[s] >= 0; s += step) {
          ray.squares |= u64(1) << t.bitOf[s];
          ray.last = u64(1) << t.bitOf[s];
        }
      }
  return t;
}

inline constexpr OccupancyTables Occupancy = MakeOccupancyTables();

#if defined(__SSE2__)
// The 16 squares of rows `row` and `row + 1` (row 0 the eighth rank), files a-h each.
inline __m128i RowPair(const u8* board, int row) {
  u64 upper, lower;
  std::memcpy(&upper, board + SquareOf(0, row), 8);
  std::memcpy(&lower, board + SquareOf(0, row + 1), 8);
  return _mm_set_epi64x(static_cast<long long>(lower), static_cast<long long>(upper));
}
#endif

inline u64 OccupiedSquares(const u8* board) {
  u64 occupied = 0;
#if defined(__SSE2__)
  for (int row = 0; row < 8; row += 2) {
    const __m128i squares = RowPair(board, row);
    const unsigned vacant = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(squares, _mm_setzero_si128())));
    occupied |= u64(~vacant & 0xFFFFu) << (8 * row);
  }
#else
  for (int row = 0; row < 8; ++row)
    for (int file = 0; file < 8; ++file)
      if (board[SquareOf(file, row)] != Empty) occupied |= u64(1) << (8 * row + file);
#endif
  return occupied;
}

// The occupied squares and, among them, those of the side that is not `Side`.
template <int Side>
inline void OccupiedAndEnemySquares(const u8* board, u64& occupied, u64& enemy) {
  occupied = 0;
  enemy = 0;
#if defined(__SSE2__)
  const __m128i colourLine = _mm_set1_epi8(static_cast<char>(OffBoard));
  for (int row = 0; row < 8; row += 2) {
    const __m128i squares = RowPair(board, row);
    const unsigned filled =
        ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(squares, _mm_setzero_si128()))) & 0xFFFFu;
    // Black's codes lie above OffBoard, White's below it.
    const unsigned black = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(squares, colourLine)));
    occupied |= u64(filled) << (8 * row);
    enemy |= u64(Side == White ? black : filled & ~black) << (8 * row);
  }
#else
  for (int row = 0; row < 8; ++row)
    for (int file = 0; file < 8; ++file) {
      const int code = board[SquareOf(file, row)];
      const u64 bit = u64(1) << (8 * row + file);
      if (code != Empty) occupied |= bit;
      if (code != Empty && (code > OffBoard) == (Side == White)) enemy |= bit;
    }
#endif
}

// The square of the first man from `from` along `step`; when the ray meets none, its last
// square or, on the edge, `from` itself.
template <int Step>
inline int FirstOccupied(u64 occupied, int from) {
  constexpr int r = RayIndex(Step);
  static_assert(r >= 0, "a king's step");
  const RayMasks& ray = Occupancy.ray[r][Occupancy.bitOf[from]];
  const u64 men = (ray.squares & occupied) | ray.last; // never zero
  if constexpr (Step > 0) return Occupancy.squareOf[__builtin_ctzll(men)];
  else return Occupancy.squareOf[63 ^ __builtin_clzll(men)];
}

} // namespace kestrin
