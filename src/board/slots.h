// Piece-list slots found with one 16-byte compare where the processor has one, instead of a
// loop with a test per slot.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "board/types.h"

namespace kestrin {

// Bit i set for each slot i of the 16-slot list that holds `value`.
inline unsigned SlotsHolding(const u8* list, u8 value) {
#if defined(__SSE2__)
  const __m128i slots = _mm_loadu_si128(reinterpret_cast<const __m128i*>(list));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(slots, _mm_set1_epi8(static_cast<char>(value)))));
#else
  unsigned bits = 0;
  for (int slot = 0; slot < 16; ++slot) bits |= unsigned(list[slot] == value) << slot;
  return bits;
#endif
}

// Bit i set for each slot i that holds a man.
inline unsigned FilledSlots(const u8* list) { return ~SlotsHolding(list, NoSquare) & 0xFFFFu; }

} // namespace kestrin
