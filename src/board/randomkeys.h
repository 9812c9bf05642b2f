// The fixed random tables behind every position key, and the program's 15-bit generator.
#pragma once

#include "board/types.h"

namespace kestrin {

extern u32 HashKeyTable[2048];  // [square * 16 + code]
extern u32 HashLockTable[2048]; // [square * 16 + code]
extern u32 WhitePawnKeys[128];
extern u32 BlackPawnKeys[128];

// Linear congruential generator giving 15-bit draws; the key tables depend on its exact sequence.
void SeedRandom(u32 seed);
int DrawRandom();

// Fills the four tables from the fixed seed, then reseeds the generator from the clock.
void InitHashKeys();

} // namespace kestrin
