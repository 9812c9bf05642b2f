// `kestrin-engine booklines`: the lines a book can play, as the book's own move choice walks it:
// crossing into another line where they meet, never back into a position of the same game,
// and never into a position whose value does not suit the side to move.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "book/book.h"
#include "support/fixtures.h"
#include "support/recordingfrontend.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

using Rows = std::set<std::string>;

// Adds every position of the line (moves in coordinates, as the rows are printed) with value 0,
// then `value` to the position the line reaches.
void AddLine(const std::string& line, int value) {
  Position p;
  SetStartPosition(p);
  std::istringstream words(line);
  for (std::string word; words >> word;) {
    test::Play(p, word);
    if (BookLookup(p) == BookEmptyValue) BookAdd(p, 0, true);
  }
  if (value) BookAdd(p, value, true);
}

// What `kestrin-engine booklines` prints for the book file, one row a line, and whether it
// finished without a fault.
Rows RunBookLines(const std::string& book, bool& succeeded) {
  std::FILE* pipe = popen(("timeout 60 " KESTRIN_ENGINE " booklines " + book + " 2>&1").c_str(), "r");
  Rows rows;
  if (!pipe) return rows;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe)) {
    std::string row(buffer);
    while (!row.empty() && row.back() == '\n') row.pop_back();
    rows.insert(row);
  }
  succeeded = pclose(pipe) == 0;
  return rows;
}

struct Case {
  const char* name;
  std::vector<std::string> lines;        // every position of each line goes in with value 0
  std::vector<std::pair<std::string, int>> marked; // then these get a value of their own
  Rows expected;
};

TEST(BookLines, ListsWhatTheBookCanPlay) {
  const Case cases[] = {
      {"branches", {"e2e4 e7e5 g1f3 b8c6", "e2e4 c7c5 g1f3", "d2d4 d7d5"}, {},
       {"e2e4 e7e5 g1f3 b8c6", "e2e4 c7c5 g1f3", "d2d4 d7d5"}},
      // A line ending where another goes on continues with it.
      {"transposition", {"g1f3 d7d5 g2g3", "g2g3 d7d5 g1f3 c7c5 f1g2"}, {},
       {"g1f3 d7d5 g2g3 c7c5 f1g2", "g2g3 d7d5 g1f3 c7c5 f1g2"}},
      // 3...Ng8 would bring back the initial position: the book does not go round in circles.
      {"repetition", {"g1f3 g8f6 f3g1 f6g8"}, {}, {"g1f3 g8f6 f3g1"}},
      // White never steers into -1, Black never into +1; the line stops where nothing suits.
      {"values", {"e2e4 e7e5 g1f3", "e2e4 c7c5", "d2d4 d7d5 c2c4"},
       {{"e2e4 e7e5", 1}, {"d2d4", -1}, {"e2e4 c7c5", -2}}, {"e2e4 c7c5"}},
      {"stops where nothing suits", {"c2c4 e7e5 g2g3"}, {{"c2c4 e7e5 g2g3", -1}}, {"c2c4 e7e5"}},
  };
  test::RecordingScope ui;
  test::ScratchDirectory scratch;
  for (const Case& c : cases) {
    BookCreate();
    for (const std::string& line : c.lines) AddLine(line, 0);
    for (const auto& [line, value] : c.marked) AddLine(line, value);
    ASSERT_EQ(BookSave(scratch.Path("lines.kcb").c_str(), 0), 1);
    bool succeeded = false;
    EXPECT_EQ(RunBookLines(scratch.Path("lines.kcb"), succeeded), c.expected) << c.name;
    EXPECT_TRUE(succeeded) << c.name;
  }
  BookCreate();
}

} // namespace
} // namespace kestrin
