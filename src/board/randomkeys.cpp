#include "board/randomkeys.h"

#include <chrono>

namespace kestrin {

u32 HashKeyTable[2048];
u32 HashLockTable[2048];
u32 WhitePawnKeys[128];
u32 BlackPawnKeys[128];

namespace {

u32 randomState = 1;

u32 RandomWord() {
  u32 r1 = static_cast<u32>(DrawRandom());
  u32 r2 = static_cast<u32>(DrawRandom());
  u32 r3 = static_cast<u32>(DrawRandom());
  return (((r1 << 10) ^ r2) << 15) ^ r3;
}

} // namespace

void SeedRandom(u32 seed) { randomState = seed; }

int DrawRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int>((randomState >> 16) & 0x7FFF);
}

void InitHashKeys() {
  SeedRandom(33731);
  for (int s = 0; s < 128; ++s) {
    BlackPawnKeys[s] = RandomWord();
    WhitePawnKeys[s] = RandomWord();
    for (int c = 0; c < 16; ++c) {
      HashKeyTable[16 * s + c] = RandomWord();
      HashLockTable[16 * s + c] = RandomWord();
    }
  }
  // Castling states 3 (rights lost) and 4 (castled) must give one key: the
  // side's castling term lives in these low entries.
  for (int k = 0; k <= 4; ++k) {
    HashKeyTable[32 + k] = HashKeyTable[24 + k];
    HashKeyTable[4 + 8 * k] = HashKeyTable[3 + 8 * k];
  }
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  SeedRandom(static_cast<u32>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
}

} // namespace kestrin
