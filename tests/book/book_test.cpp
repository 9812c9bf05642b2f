// The book table: slots and chains, occurrence counts, and the ".kcb" file format.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "book/book.h"
#include "search/keys.h"
#include "support/fixtures.h"
#include "support/legalmoves.h"
#include "support/recordingfrontend.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

using test::RecordingScope;

const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* const AfterE4Fen = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1";

int SlotOf(const Position& p) { return static_cast<int>(ComputeHashKey(p) & BookSlotMask); }

// Two different positions from random games whose first keys share their lowest 17 bits.
std::pair<Position, Position> PositionsSharingASlot() {
  std::mt19937 random(12345);
  std::map<int, Position> seen;
  for (;;) {
    Position p;
    SetStartPosition(p);
    test::PlayedMove played;
    for (int ply = 0; ply < 60 && test::PlayRandomMove(p, random, played); ++ply) {
      auto [it, fresh] = seen.emplace(SlotOf(p), p);
      if (!fresh && ComputeHashKey(it->second) != ComputeHashKey(p)) return {it->second, p};
    }
  }
}

std::string Record(u32 lock, u16 check, i16 value, u16 low) {
  std::string r;
  for (int i = 0; i < 4; ++i) r += char(lock >> (8 * i));
  r += char(check), r += char(check >> 8);
  r += char(u16(value)), r += char(u16(value) >> 8);
  r += char(low), r += char(low >> 8);
  return r;
}

class BookTest : public ::testing::Test {
protected:
  void SetUp() override { BookCreate(); }
  void TearDown() override { BookCreate(); }
};

TEST_F(BookTest, AddingTheSamePositionTwiceKeepsOneEntryWithTheNewValue) {
  RecordingScope ui;
  Position p = test::FromFen(StartFen);
  int slot = SlotOf(p);
  EXPECT_EQ(BookLookup(p), BookEmptyValue);
  BookAdd(p, 1, false);
  EXPECT_EQ(ui->LastInfo(), "Position Added. " + std::to_string(slot) + "\nValue 1");
  BookAdd(p, 2, false);
  EXPECT_EQ(ui->LastInfo(), "Position Exists. " + std::to_string(slot) + "\nValue was 1 now 2");
  EXPECT_EQ(openingBook.count, 1);
  EXPECT_EQ(BookLookup(p), 2);
  // Castling rights are not part of the keys: the same men without them share the entry.
  EXPECT_EQ(BookLookup(test::FromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1")), 2);
  // The side to move is.
  EXPECT_EQ(BookLookup(test::FromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1")), BookEmptyValue);
  size_t shown = ui->infoTexts.size();
  BookAdd(p, -1, true);
  EXPECT_EQ(ui->infoTexts.size(), shown) << "quiet adds show nothing";
  EXPECT_EQ(BookLookup(p), -1);
}

TEST_F(BookTest, OccurrencesCountFromOneHundredAndOne) {
  Position p = test::FromFen(StartFen), q = test::FromFen(AfterE4Fen);
  for (int i = 0; i < 3; ++i) BookAdd(p, BookOccurrenceValue, true);
  EXPECT_EQ(BookLookup(p), 103);
  BookAdd(q, 1, true);
  BookAdd(q, BookOccurrenceValue, true);
  EXPECT_EQ(BookLookup(q), 101) << "a hand value is replaced, not counted";
  BookAdd(q, BookOccurrenceValue, true);
  EXPECT_EQ(BookLookup(q), 102);
  EXPECT_EQ(openingBook.count, 2);
}

TEST_F(BookTest, PositionsSharingASlotAreChainedAndSurviveRemoval) {
  RecordingScope ui;
  auto [first, second] = PositionsSharingASlot();
  int slot = SlotOf(first);
  ASSERT_EQ(slot, SlotOf(second));
  BookAdd(first, 1, true);
  BookAdd(second, -2, true);
  EXPECT_EQ(openingBook.poolUsed, 1);
  EXPECT_EQ(BookLookup(first), 1);
  EXPECT_EQ(BookLookup(second), -2);

  // Removing the slot's own entry moves the chained one up.
  BookRemove(first, false);
  EXPECT_EQ(ui->LastInfo(), "Position Removed. " + std::to_string(slot) + "\nValue was 1");
  EXPECT_EQ(BookLookup(first), BookEmptyValue);
  EXPECT_EQ(BookLookup(second), -2);
  EXPECT_EQ(openingBook.count, 1);

  BookRemove(first, false);
  EXPECT_EQ(ui->LastInfo(), "Position does not exist. " + std::to_string(slot) + "\n");
  EXPECT_EQ(openingBook.count, 1);

  // Re-adding chains again; removing the chained entry keeps the slot's.
  BookAdd(first, 2, true);
  BookRemove(first, true);
  EXPECT_EQ(BookLookup(second), -2);
  EXPECT_EQ(BookLookup(first), BookEmptyValue);
  BookRemove(second, true);
  EXPECT_EQ(openingBook.count, 0);
  EXPECT_EQ(openingBook.slots[slot].value, BookEmptyValue);
  EXPECT_EQ(openingBook.poolUsed, 2) << "pool entries are never handed back";
}

TEST_F(BookTest, RemovingTheMiddleOfAChainKeepsBothEnds) {
  // Same slot (low 17 bits), different checks.
  const u32 keys[3] = {0x00011234u, 0x00031234u, 0x00051234u};
  for (int i = 0; i < 3; ++i) BookAddKeys(keys[i], 77 + i, i, true);
  ASSERT_EQ(openingBook.poolUsed, 2);
  // Equal check but another lock is another position.
  BookAddKeys(keys[0], 99, -1, true);
  EXPECT_EQ(openingBook.count, 4);
  EXPECT_EQ(BookLookupKeys(keys[0], 77), 0);
  EXPECT_EQ(BookLookupKeys(keys[0], 99), -1);
  EXPECT_EQ(BookLookupKeys(keys[1], 78), 1);
  EXPECT_EQ(BookLookupKeys(keys[2], 79), 2);
  EXPECT_EQ(BookLookupKeys(keys[1], 77), BookEmptyValue);
}

TEST_F(BookTest, AFileLargerThanTheTableFillsItAndSaysSoOnce) {
  RecordingScope ui;
  test::ScratchDirectory dir;
  // Keys 0, 1, 2 ...: the slots fill first, then the chains until the pool is used up.
  const u32 records = 400000;
  std::string bytes;
  for (u32 k = 0; k < records; ++k) bytes += Record(k, u16(k >> 16), 0, u16(k));
  test::WriteFileBytes("big.kcb", bytes);
  ASSERT_EQ(BookLoad("big.kcb"), 1);
  const int capacity = BookSlotCount + BookPoolSize;
  EXPECT_EQ(openingBook.count, capacity);
  EXPECT_EQ(ui->infoTexts, (std::vector<std::string>{"Book Full!", std::to_string(capacity) + " Positions Loaded"}));
  EXPECT_EQ(BookLookupKeys(capacity - 1, capacity - 1), 0);
  EXPECT_EQ(BookLookupKeys(capacity, capacity), BookEmptyValue);
  // A position added by hand says it too; known positions can still change their values.
  BookAddKeys(0x7FFF0005u, 1, 2, false);
  EXPECT_EQ(ui->LastInfo(), "Book Full!");
  EXPECT_EQ(BookLookupKeys(0x7FFF0005u, 1), BookEmptyValue);
  BookAddKeys(5, 5, 2, true);
  EXPECT_EQ(BookLookupKeys(5, 5), 2);
  EXPECT_EQ(openingBook.count, capacity);
}

TEST_F(BookTest, OnlyARegularFileIsLoaded) {
  RecordingScope ui;
  test::ScratchDirectory dir;
  BookAddKeys(1, 2, 1, true);
  std::filesystem::create_directory("folder.kcb");
  std::filesystem::create_symlink("/dev/null", "device.kcb");
  for (const char* name : {"folder.kcb", "device.kcb"}) {
    EXPECT_EQ(BookLoad(name), 0) << name;
    EXPECT_EQ(openingBook.count, 1) << name;
  }
  EXPECT_EQ(ui->messages.size(), 2u);
  EXPECT_TRUE(ui->infoTexts.empty());
}

TEST_F(BookTest, ClearingAsksFirst) {
  RecordingScope ui;
  BookAdd(test::FromFen(StartFen), 1, true);
  ui->yesNoAnswer = false;
  EXPECT_FALSE(BookClear());
  ASSERT_EQ(ui->questions.size(), 1u);
  EXPECT_EQ(ui->questions[0].first,
            "If you made any new book entries, they will be lost if not saved. Really Clear Book?");
  EXPECT_EQ(ui->questions[0].second, "Clear Book?");
  EXPECT_EQ(openingBook.count, 1);
  ui->yesNoAnswer = true;
  EXPECT_TRUE(BookClear());
  EXPECT_EQ(openingBook.count, 0);
  EXPECT_EQ(BookLookup(test::FromFen(StartFen)), BookEmptyValue);
  EXPECT_EQ(ui->LastInfo(), "Book Cleared");
}

TEST_F(BookTest, RecordsAreTenLittleEndianBytesAndAShortTailIsIgnored) {
  RecordingScope ui;
  test::ScratchDirectory dir;
  // First key 0xBEEF1234: check 0xBEEF, low half 0x1234.
  std::string bytes = Record(0xA1B2C3D4u, 0xBEEF, -2, 0x1234) + Record(0x01020304u, 0x0001, 1, 0xFFFF) +
                      Record(0x55555555u, 0x0002, 2, 0x0002).substr(0, 5);
  ASSERT_EQ(bytes.size(), 25u);
  test::WriteFileBytes("short.kcb", bytes);
  EXPECT_EQ(BookLoad("short.kcb"), 1);
  EXPECT_EQ(ui->LastInfo(), "2 Positions Loaded");
  EXPECT_EQ(openingBook.count, 2);
  EXPECT_EQ(BookLookupKeys(0xBEEF1234u, 0xA1B2C3D4u), -2);
  EXPECT_EQ(BookLookupKeys(0x0001FFFFu, 0x01020304u), 1);

  // Saving writes them back slot by slot: slot 0x11234 (the low 17 bits of 0xBEEF1234), then 0x1FFFF.
  ASSERT_EQ(BookSave("out.kcb", 0), 1);
  EXPECT_EQ(ui->LastInfo(), "2 Positions Saved");
  EXPECT_EQ(test::ReadFileBytes("out.kcb"),
            Record(0xA1B2C3D4u, 0xBEEF, -2, 0x1234) + Record(0x01020304u, 0x0001, 1, 0xFFFF));
}

TEST_F(BookTest, LoadingMergesAndLaterRecordsWin) {
  test::ScratchDirectory dir;
  BookAddKeys(0x00020001u, 9, 2, true);
  test::WriteFileBytes("b.kcb", Record(9, 0x0002, -1, 0x0001) + Record(10, 0x0003, 1, 0x0001) +
                                    Record(10, 0x0003, 0, 0x0001));
  ASSERT_EQ(BookLoad("b.kcb"), 1);
  EXPECT_EQ(openingBook.count, 2);
  EXPECT_EQ(BookLookupKeys(0x00020001u, 9), -1);
  EXPECT_EQ(BookLookupKeys(0x00030001u, 10), 0);
}

TEST_F(BookTest, SavingTurnsCountsAtTheThresholdIntoValueZeroAndDropsRarerOnes) {
  RecordingScope ui;
  test::ScratchDirectory dir;
  const int values[] = {-2, -1, 0, 1, 2, 101, 102, 103};
  // Slot i, check 2i + 2.
  auto key = [](int i) { return 0x00020000u * (i + 1) + i; };
  for (int i = 0; i < 8; ++i) BookAddKeys(key(i), 1000 + i, values[i], true);
  ASSERT_EQ(BookSave("t.kcb", 2), 1);
  EXPECT_EQ(ui->LastInfo(), "7 Positions Saved");
  std::string expected;
  const int saved[] = {-2, -1, 0, 1, 2, -99, 0, 0};
  for (int i = 0; i < 8; ++i)
    if (saved[i] != -99) expected += Record(1000 + i, u16(2 * i + 2), i16(saved[i]), u16(i));
  EXPECT_EQ(test::ReadFileBytes("t.kcb"), expected);
  // In memory the counts reached are values now; the rarer one keeps counting.
  EXPECT_EQ(BookLookupKeys(key(6), 1006), 0);
  EXPECT_EQ(BookLookupKeys(key(5), 1005), 101);
  // Threshold 0 turns every count into value 0.
  ASSERT_EQ(BookSave("t0.kcb", 0), 1);
  EXPECT_EQ(ui->LastInfo(), "8 Positions Saved");
  EXPECT_EQ(BookLookupKeys(key(5), 1005), 0);
}

TEST_F(BookTest, SaveAndLoadRoundTripByteForByte) {
  test::ScratchDirectory dir;
  std::mt19937 random(7);
  for (int i = 0; i < 400; ++i) {
    Position p;
    SetStartPosition(p);
    test::PlayedMove played;
    for (int ply = 0; ply < 20 && test::PlayRandomMove(p, random, played); ++ply)
      BookAdd(p, int(random() % 5) - 2, true);
  }
  // Plenty of chains too.
  for (u32 i = 0; i < 5000; ++i) BookAddKeys(random(), random(), int(random() % 5) - 2, true);
  ASSERT_GT(openingBook.poolUsed, 100);
  int count = openingBook.count;
  ASSERT_EQ(BookSave("first.kcb", 0), 1);
  std::string first = test::ReadFileBytes("first.kcb");
  EXPECT_EQ(first.size(), size_t(count) * BookRecordSize);
  BookCreate();
  ASSERT_EQ(BookLoad("first.kcb"), 1);
  EXPECT_EQ(openingBook.count, count);
  ASSERT_EQ(BookSave("second.kcb", 0), 1);
  EXPECT_EQ(test::ReadFileBytes("second.kcb"), first);
}

TEST_F(BookTest, AMissingFileIsReportedAndLeavesTheBook) {
  RecordingScope ui;
  test::ScratchDirectory dir;
  BookAddKeys(1, 2, 1, true);
  EXPECT_EQ(BookLoad("nowhere.kcb"), 0);
  ASSERT_EQ(ui->messages.size(), 1u);
  EXPECT_EQ(ui->messages[0].first, "Error Loading Opening Book");
  EXPECT_EQ(ui->messages[0].second, "File Missing");
  EXPECT_EQ(openingBook.count, 1);
  EXPECT_EQ(BookLookupKeys(1, 2), 1);
}

TEST_F(BookTest, AFailedSaveKeepsTheOldFileAndTheCounts) {
  RecordingScope ui;
  test::ScratchDirectory dir;
  test::WriteFileBytes("keep.kcb", "old contents");
  BookAddKeys(1, 2, 105, true);
  // A directory cannot be replaced by the file.
  std::filesystem::create_directory("dir.kcb");
  EXPECT_EQ(BookSave("dir.kcb", 0), 0);
  EXPECT_EQ(BookSave("missing/dir/x.kcb", 0), 0);
  EXPECT_FALSE(ui->messages.empty());
  EXPECT_EQ(BookLookupKeys(1, 2), 105);
  EXPECT_EQ(test::ReadFileBytes("keep.kcb"), "old contents");
  EXPECT_TRUE(std::filesystem::is_directory("dir.kcb"));
  // A good save replaces the old file whole and leaves no temporary file behind.
  ASSERT_EQ(BookSave("keep.kcb", 0), 1);
  EXPECT_EQ(test::ReadFileBytes("keep.kcb"), Record(2, 0, 0, 1));
  EXPECT_FALSE(std::filesystem::exists("keep.kcb.tmp"));
}

TEST_F(BookTest, ABookFileOfRandomBytesLoadsWithoutHarm) {
  test::ScratchDirectory dir;
  std::mt19937 random(99);
  std::string bytes(200003, '\0');
  for (char& c : bytes) c = char(random());
  // One record carries the empty mark as its value.
  std::string marked = Record(0x1111, 0x2222, BookEmptyValue, 0x3333);
  bytes.replace(10 * 500, 10, marked);
  test::WriteFileBytes("noise.kcb", bytes);
  ASSERT_EQ(BookLoad("noise.kcb"), 1);
  // Every record but the marked one is found with the value of its last occurrence.
  std::map<std::pair<u32, u32>, int> expected;
  for (size_t at = 0; at + 10 <= bytes.size(); at += 10) {
    auto b = [&](size_t i) { return u32(static_cast<unsigned char>(bytes[at + i])); };
    u32 lock = b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
    u32 key = (b(4) | b(5) << 8) << 16 | (b(8) | b(9) << 8);
    int value = i16(u16(b(6) | b(7) << 8));
    if (value != BookEmptyValue) expected[{key, lock}] = value;
  }
  EXPECT_EQ(openingBook.count, int(expected.size()));
  int wrong = 0;
  for (auto& [keys, value] : expected) wrong += BookLookupKeys(keys.first, keys.second) != value;
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(BookLookupKeys(0x22223333u, 0x1111), BookEmptyValue);
}

} // namespace
} // namespace kestrin
