// Move text: the one form the record is written in and the many it is read in. Random games in
// both forms are read and replayed ply by ply by the PGN round trip (pgn_test.cpp).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "notation/history.h"
#include "notation/movetext.h"
#include "support/fixtures.h"
#include "support/gamereset.h"

namespace kestrin {
namespace {

using test::FromFen;

const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

bool Same(const Position& a, const Position& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Lenient spellings, texts that fit nothing, the choice among pieces that fit, castling without
// the right or off the board, promotions in every spelling, and the recorded texts.
TEST(MoveText, ReadAndRecordedForms) {
  test::ResetGame();
  const char* const knights = "4k3/8/8/8/8/8/8/3KN1N1 w - -";
  const struct {
    const char* fen;
    std::vector<std::string> texts;
    const char* move; // nullptr: refused, nothing changes or is recorded
    int promotion;
    const char* recorded;
  } cases[] = {
      {Start, {"e2e4", "pe4", "e2xe4", "e4!?"}, "e2e4", Queen, "e2-e4 "},
      {Start, {"e5", "Nf4", "O-O", "Qd1d1", "1-0", "", "=Q", "k", "z9", std::string(10000, 'O'), std::string("e\0e4", 4)},
       nullptr, Queen, ""},
      {knights, {"Ngf3", "Nf3"}, "g1f3", Queen, "Ng1-f3"}, // without a hint, the knight placed later
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", {"o-o-o", "0-0-0", "O-O-O?!"}, "e8c8", Queen, "O-O-O "},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", {"exd6"}, "e5d6", Queen, "e5-d6 "}, // en passant shows no capture
      {"3rk3/4P3/8/8/8/8/8/4K3 w - -", {"exd8=N", "e7d8n", "exd8n", "exd8=n"}, "e7d8", Knight, "e7xd8=N"},
      {"4k3/P7/8/8/8/8/8/4K3 w - -", {"a8", "a8=K"}, "a7a8", Queen, "a7-a8=Q"},
      {"4k3/8/8/8/8/8/p7/4K3 b - -", {"a1=B", "a1=b", "a2a1b"}, "a2a1", Bishop, "a2-a1=B"}, // b: the piece, not the file
      {"r3k2r/8/8/8/8/8/8/R3K2R w - -", {"O-O", "O-O-O"}, nullptr, Queen, ""},
  };
  for (const auto& c : cases) {
    const Position p = FromFen(c.fen);
    Position expected = p;
    if (c.move) test::Play(expected, c.move, c.promotion);
    for (const std::string& text : c.texts) {
      ResetGameRecord(&p);
      EXPECT_EQ(PlayMoveText(text, gamePosition, 1, nullptr), c.move ? 1 : 0) << c.fen << " " << text.substr(0, 20);
      EXPECT_TRUE(Same(gamePosition, expected)) << c.fen << " " << text.substr(0, 20);
      EXPECT_EQ(LastRecordedText(), c.recorded) << c.fen << " " << text.substr(0, 20);
    }
  }
  test::ResetGame();
}

} // namespace
} // namespace kestrin
