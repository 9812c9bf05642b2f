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
#include "support/recordingfrontend.h"
#include "support/san.h"
#include "support/scratchdir.h"
#include "uci/coordinates.h"

namespace kestrin {
namespace {

using Rows = std::set<std::string>;

// A line in standard notation written in coordinates; "" when a move does not play.
std::string Coordinates(const std::string& san) {
  Position p;
  SetStartPosition(p);
  std::istringstream words(san);
  std::string out;
  for (std::string word; words >> word;) {
    Position before = p;
    if (!test::PlaySan(p, word)) return "";
    Move played{};
    EXPECT_TRUE(MoveBetween(before, p, played)) << word;
    if (!out.empty()) out += ' ';
    out += CoordinateText(before, played);
  }
  return out;
}

// Adds every position of the line with value 0, then `value` to the position the line reaches.
void AddLine(const std::string& san, int value) {
  Position p;
  SetStartPosition(p);
  std::istringstream words(san);
  for (std::string word; words >> word;) {
    ASSERT_TRUE(test::PlaySan(p, word)) << san;
    if (BookLookup(p) == BookEmptyValue) BookAdd(p, 0, true);
  }
  if (value) BookAdd(p, value, true);
}

Rows RunBookLines(const std::string& book) {
  std::FILE* pipe = popen(("timeout 60 " KESTRIN_ENGINE " booklines " + book).c_str(), "r");
  Rows rows;
  if (!pipe) return rows;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe)) {
    std::string row(buffer);
    while (!row.empty() && row.back() == '\n') row.pop_back();
    rows.insert(row);
  }
  EXPECT_EQ(pclose(pipe), 0);
  return rows;
}

struct Case {
  const char* name;
  std::vector<std::string> lines;        // every position of each line goes in with value 0
  std::vector<std::pair<std::string, int>> marked; // then these get a value of their own
  std::vector<std::string> expected;     // the rows, in standard notation
};

TEST(BookLines, ListsWhatTheBookCanPlay) {
  const Case cases[] = {
      {"branches", {"e4 e5 Nf3 Nc6", "e4 c5 Nf3", "d4 d5"}, {}, {"e4 e5 Nf3 Nc6", "e4 c5 Nf3", "d4 d5"}},
      // A line ending where another goes on continues with it.
      {"transposition", {"Nf3 d5 g3", "g3 d5 Nf3 c5 Bg2"}, {}, {"Nf3 d5 g3 c5 Bg2", "g3 d5 Nf3 c5 Bg2"}},
      // 3...Ng8 would bring back the initial position: the book does not go round in circles.
      {"repetition", {"Nf3 Nf6 Ng1 Ng8"}, {}, {"Nf3 Nf6 Ng1"}},
      // White never steers into -1, Black never into +1; the line stops where nothing suits.
      {"values", {"e4 e5 Nf3", "e4 c5", "d4 d5 c4"},
       {{"e4 e5", 1}, {"d4", -1}, {"e4 c5", -2}}, {"e4 c5"}},
      {"stops where nothing suits", {"c4 e5 g3"}, {{"c4 e5 g3", -1}}, {"c4 e5"}},
  };
  test::RecordingScope ui;
  test::ScratchDirectory scratch;
  for (const Case& c : cases) {
    BookCreate();
    for (const std::string& line : c.lines) AddLine(line, 0);
    for (const auto& [line, value] : c.marked) AddLine(line, value);
    ASSERT_EQ(BookSave(scratch.Path("lines.kcb").c_str(), 0), 1);
    Rows expected;
    for (const std::string& row : c.expected) expected.insert(Coordinates(row));
    EXPECT_EQ(RunBookLines(scratch.Path("lines.kcb")), expected) << c.name;
  }
  BookCreate();
}

TEST(BookLines, RefusesAMissingBook) {
  std::FILE* pipe = popen("timeout 60 " KESTRIN_ENGINE " booklines /nonexistent/book.kcb 2>&1", "r");
  ASSERT_NE(pipe, nullptr);
  char buffer[256] = "";
  std::string said = std::fgets(buffer, sizeof buffer, pipe) ? buffer : "";
  EXPECT_NE(pclose(pipe), 0);
  EXPECT_NE(said.find("cannot read the book"), std::string::npos) << said;
}

} // namespace
} // namespace kestrin
