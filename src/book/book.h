// The opening book: a hash table of positions with small values, and its ".kcb" files.
#pragma once

#include <cstddef>

#include "board/movegen.h"
#include "board/position.h"

namespace kestrin {

constexpr int BookSlotCount = 131072; // indexed by the lowest 17 bits of hashKey
constexpr int BookSlotMask = BookSlotCount - 1;
constexpr int BookPoolSize = 250000;  // chain entries, handed out in order and never given back
constexpr i16 BookEmptyValue = -30000;
constexpr int BookNoEntry = -1;
// Hand-made values are -2..2 from White's side; 100 + k counts k occurrences while building.
constexpr int BookOccurrenceValue = 101;
constexpr std::size_t BookRecordSize = 10;

struct BookEntry {
  u32 lock;   // the whole hashLock
  i32 next;   // pool index of the next entry of the chain, or BookNoEntry
  u16 check;  // the upper 16 bits of hashKey
  i16 value;  // BookEmptyValue when the entry is empty
};

struct OpeningBook {
  BookEntry slots[BookSlotCount];
  BookEntry pool[BookPoolSize];
  int poolUsed;
  int count; // positions in the book
};

// The program's book.
extern OpeningBook openingBook;

// Empties the book.
void BookCreate();
// Asks whether to drop the book; on yes empties it and says so. Returns true when cleared.
bool BookClear();

// Adds a position or sets its value. Value 101 counts an occurrence: it adds 1 to a value above 100.
// False when the pool is full and a new position could not be added: "Book Full!" is shown
// unless quiet (a build says it once for all).
bool BookAdd(const Position& position, int value, bool quiet);
bool BookAddKeys(u32 hashKey, u32 hashLock, int value, bool quiet);
void BookRemove(const Position& position, bool quiet);
// The value of the position, or BookEmptyValue.
int BookLookup(const Position& position);
int BookLookupKeys(u32 hashKey, u32 hashLock);

// A book file holds at most one record for each entry of the table; a file many times larger
// is no book file.
constexpr long long MaxBookFileBytes = 64LL << 20;
// Merges the records of a ".kcb" file into the book and shows how many were kept (a full pool
// drops the rest, said once); 0 when the file cannot be opened or is not a book file.
int BookLoad(const char* fileName);
// Writes the book: counts of `threshold` occurrences or more become value 0, rarer counts are
// left out. The file is replaced only when it was written whole; returns 1, or 0 on failure.
int BookSave(const char* fileName, int threshold);

// The moves of a position that lead to book positions not met before in the game.
struct BookMoveList {
  MoveList generated;                           // every move of the side to move
  int count;                                    // candidates found
  int index[QuietBase + QuietCapacity + 1];     // where candidate i sits in generated.moves
  int value[QuietBase + QuietCapacity + 1];     // the book value of the position it leads to
  Move Candidate(int i) const { return generated.moves[index[i]]; }
};
// Fills `out` in generation order (captures, then quiet moves); returns the number of candidates.
int BookCandidates(const Position& position, BookMoveList& out);
// The side panel's book button: fills `out` as BookCandidates does and shows how many there are.
int ShowBookMoveCount(const Position& position, BookMoveList& out);
// Picks a candidate whose value suits the side to move (0..2 for White, -2..0 for Black),
// preferring the extreme values; records it in the main game record and makes it on
// `position`. Returns its value, or BookEmptyValue when the book has no move here.
int ChooseBookMove(Position& position);

// Saved copies of the whole book, for work that must leave it as it was when it fails.
OpeningBook* BookSnapshot();             // a heap copy, or nullptr when no memory is left
void BookRestore(OpeningBook* snapshot); // copies back and frees the snapshot
void BookDiscard(OpeningBook* snapshot);

} // namespace kestrin
