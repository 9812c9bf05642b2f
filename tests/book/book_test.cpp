// The book table: slots and chains, occurrence counts, the ".kcb" file format, book files that
// are not what a loader hopes for, and the moves the book offers and plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "board/keys.h"
#include "book/book.h"
#include "notation/history.h"
#include "notation/moveentry.h"
#include "notation/movetext.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/legalmoves.h"
#include "support/recordingfrontend.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

using Texts = std::vector<std::string>;
const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

using test::ReadFileBytes;
using test::WriteFileBytes;

// A ".kcb" record: second key, upper and lower halves of the first key, value; little-endian.
std::string Record(u32 lock, u16 check, i16 value, u16 low) {
  std::string r;
  for (u16 half : {u16(lock), u16(lock >> 16), check, u16(value), low}) r += {char(half), char(half >> 8)};
  return r;
}

class BookTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::ResetGame();
    BookCreate();
  }
  void TearDown() override {
    BookCreate();
    test::ResetGame();
  }
  test::ScratchDirectory dir;
  test::RecordingScope ui;
};

// Two positions of random games whose first keys share their lowest 17 bits.
std::pair<Position, Position> PositionsSharingASlot() {
  std::mt19937 random(12345);
  std::map<u32, Position> seen;
  for (;;) {
    Position p = test::FromFen(StartFen);
    test::PlayedMove played;
    for (int ply = 0; ply < 60 && test::PlayRandomMove(p, random, played); ++ply) {
      auto [it, fresh] = seen.emplace(ComputeHashKey(p) & BookSlotMask, p);
      if (!fresh && ComputeHashKey(it->second) != ComputeHashKey(p)) return {it->second, p};
    }
  }
}

TEST_F(BookTest, PositionsValuesAndChains) {
  // Castling rights are not part of the keys; the side to move is. A later hand value replaces
  // an earlier one.
  BookAdd(test::FromFen(StartFen), 1, false);
  BookAdd(test::FromFen(StartFen), -1, false);
  EXPECT_EQ(BookLookup(test::FromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - -")), -1);
  EXPECT_EQ(BookLookup(test::FromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -")), BookEmptyValue);
  // Occurrences count from 101; a hand value is replaced, not counted.
  for (int i = 0; i < 3; ++i) BookAddKeys(7, 7, BookOccurrenceValue, true);
  BookAddKeys(8, 8, 1, true);
  BookAddKeys(8, 8, BookOccurrenceValue, true);
  EXPECT_EQ(BookLookupKeys(7, 7), 103);
  EXPECT_EQ(BookLookupKeys(8, 8), 101);
  // One slot, three checks, and another lock with an equal check: a chain of four.
  const u32 keys[] = {0x00011234u, 0x00031234u, 0x00051234u, 0x00011234u};
  for (u32 i = 0; i < 4; ++i) BookAddKeys(keys[i], i, int(i) - 2, true);
  for (u32 i = 0; i < 4; ++i) EXPECT_EQ(BookLookupKeys(keys[i], i), int(i) - 2);
  EXPECT_EQ(BookLookupKeys(keys[1], 0), BookEmptyValue);
  EXPECT_EQ(openingBook.count, 7);
  // Removing the slot's entry moves the chained one up; removing a chained one unlinks it.
  auto [a, b] = PositionsSharingASlot();
  BookAdd(a, 1, true);
  BookAdd(b, -2, true);
  BookRemove(a, true);
  EXPECT_EQ(BookLookup(a), BookEmptyValue);
  EXPECT_EQ(BookLookup(b), -2);
  BookAdd(a, 2, true);
  BookRemove(a, true);
  EXPECT_EQ(BookLookup(b), -2);
  BookRemove(b, true);
  EXPECT_EQ(openingBook.slots[ComputeHashKey(b) & BookSlotMask].value, BookEmptyValue);
  // Clearing asks first.
  ui->yesNoAnswer = false;
  EXPECT_FALSE(BookClear());
  ui->yesNoAnswer = true;
  EXPECT_TRUE(BookClear());
  EXPECT_EQ(openingBook.count, 0);
}

TEST_F(BookTest, FilesAreTenLittleEndianBytesARecord) {
  // A short tail is no record; later records win; the file merges into the book.
  BookAddKeys(0x00020001u, 9, 2, true);
  WriteFileBytes("in.kcb", Record(0xA1B2C3D4u, 0xBEEF, -2, 0x1234) + Record(9, 0x0002, -1, 0x0001) +
                               Record(10, 0x0003, 101, 0x0001) + Record(10, 0x0003, 103, 0x0001) + "\1\2\3\4\5");
  ASSERT_EQ(BookLoad("in.kcb"), 1);
  EXPECT_EQ(openingBook.count, 3);
  EXPECT_EQ(BookLookupKeys(0xBEEF1234u, 0xA1B2C3D4u), -2);
  EXPECT_EQ(BookLookupKeys(0x00020001u, 9), -1);
  BookAddKeys(0x00050001u, 11, 101, true);
  // Saved slot by slot, each with its chain; counts at the threshold become value 0, rarer ones are left out.
  ASSERT_EQ(BookSave("out.kcb", 2), 1);
  EXPECT_EQ(ReadFileBytes("out.kcb"), Record(9, 0x0002, -1, 0x0001) + Record(10, 0x0003, 0, 0x0001) +
                                          Record(0xA1B2C3D4u, 0xBEEF, -2, 0x1234));
  // A save that cannot be written keeps the old file and the counts.
  std::filesystem::create_directory("folder.kcb");
  for (const char* name : {"folder.kcb", "no/such/folder.kcb"}) EXPECT_EQ(BookSave(name, 0), 0) << name;
  EXPECT_EQ(BookLookupKeys(0x00050001u, 11), 101);
}

TEST_F(BookTest, HostileFiles) {
  BookAddKeys(1, 2, 1, true);
  // Only a regular file is read; a missing one is reported as such.
  std::filesystem::create_symlink("/dev/null", "device.kcb");
  for (const char* name : {"device.kcb", "missing.kcb"}) EXPECT_EQ(BookLoad(name), 0) << name;
  EXPECT_EQ(openingBook.count, 1);
  // More records than the table holds: the slots fill, then the chains until the pool is used
  // up; the rest is dropped, said once, and the load reports what it kept.
  BookCreate();
  ui->infoTexts.clear();
  std::string bytes;
  for (u32 k = 0; k < 400000; ++k) bytes += Record(k, u16(k >> 16), 0, u16(k));
  WriteFileBytes("big.kcb", bytes);
  ASSERT_EQ(BookLoad("big.kcb"), 1);
  const int capacity = BookSlotCount + BookPoolSize;
  EXPECT_EQ(openingBook.count, capacity);
  EXPECT_EQ(std::count(ui->infoTexts.begin(), ui->infoTexts.end(), "Book Full!"), 1);
  EXPECT_EQ(BookLookupKeys(capacity - 1, capacity - 1), 0);
  EXPECT_EQ(BookLookupKeys(capacity, capacity), BookEmptyValue);
  // A position added by hand says so too; known positions still change their values.
  BookAddKeys(0x7FFF0005u, 1, 2, false);
  EXPECT_EQ(ui->LastInfo(), "Book Full!");
  BookAddKeys(5, 5, 2, true);
  EXPECT_EQ(BookLookupKeys(5, 5), 2);
}


// The position after a coordinate move; a fifth letter names the promotion piece.
Position After(const Position& from, const std::string& move) {
  Position p = from;
  test::Play(p, move.substr(0, 4), move.size() > 4 ? PieceFromLetter(move[4], true) : Queen);
  return p;
}

using BookChoiceTest = BookTest;


TEST_F(BookChoiceTest, CandidatesAndTheValuesEachSideTakes) {
  const struct {
    const char* fen;
    Texts moves;
    std::vector<std::pair<std::string, int>> book;
    Texts offered;
    int chosen; // the value of the move made, BookEmptyValue when none
    const char* recorded;
  } cases[] = {
      // White takes 0..2 only; Black -2..0 only.
      {StartFen, {}, {{"g1f3", -1}, {"e2e4", -2}, {"d2d4", 2}}, {"g1f3", "e2e4", "d2d4"}, 2, "d2-d4 "},
      {StartFen, {"e2e4"}, {{"e7e5", -1}, {"c7c5", 1}}, {"e7e5", "c7c5"}, -1, "e7-e5 "},
      // A pinned knight's move is never offered, however strongly marked.
      {"4r1k1/8/8/8/8/8/4N3/4K3 w - -", {}, {{"e2c3", 2}, {"e1d1", 0}}, {"e1d1"}, 0, "Ke1-d1"},
      // The knight's way home reaches the initial position again: not offered.
      {StartFen, {"g1f3", "g8f6", "f3g1"}, {{"f6g8", 0}, {"e7e5", 0}}, {"e7e5"}, 0, "e7-e5 "},
      // The book promotes to a queen whatever the board view left as the promotion choice.
      {"8/1P5k/8/8/8/8/8/4K3 w - -", {}, {{"b7b8", 1}, {"b7b8n", 2}}, {"b7b8"}, 1, "b7-b8=Q"},
  };
  for (const auto& c : cases) {
    BookCreate();
    const Position start = test::FromFen(c.fen);
    ResetGameRecord(&start);
    for (const std::string& move : c.moves) ASSERT_EQ(PlayMoveText(move, gamePosition, 1, nullptr), 1);
    for (auto& [move, value] : c.book) BookAdd(After(gamePosition, move), value, true);
    BookMoveList list;
    Texts offered;
    for (int i = 0, n = ShowBookMoveCount(gamePosition, list); i < n; ++i)
      offered.push_back(test::CoordinateOf(list.Candidate(i)));
    EXPECT_TRUE(std::is_permutation(offered.begin(), offered.end(), c.offered.begin(), c.offered.end())) << c.fen;
    PromotionChoice = 0;
    const int before = HistoryCount();
    EXPECT_EQ(ChooseBookMove(gamePosition), c.chosen) << c.fen;
    EXPECT_EQ(HistoryCount(), c.chosen == BookEmptyValue ? before : static_cast<int>(c.moves.size()) + 1) << c.fen;
    EXPECT_EQ(LastRecordedText(), c.recorded) << c.fen;
  }
}

} // namespace
} // namespace kestrin
