#include <gtest/gtest.h>

#include <cstring>

#include "notation/history.h"
#include "notation/moveentry.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

// Coordinates by name: "e2" both given, "e" the file only, "2" the rank only, "" neither.
int FileOf(const char* s) { return *s >= 'a' ? s[0] - 'a' : -1; }
int RowOf(const char* s) { return *s >= 'a' ? (s[1] ? '8' - s[1] : -1) : (*s ? '8' - *s : -1); }

TEST(MoveEntry, MatchingTheLegalMoves) {
  const struct {
    const char* fen;
    const char* from;
    const char* to;
    int pieceCode, side; // side 0: the side to move
    int made;            // the from-field of the move made, 0 when nothing fits
  } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1", "g1", 0, 0, CastleWhiteShort},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8", "c8", 0, 0, CastleBlackLong},
      {"r3k2r/8/8/8/2b5/8/8/R3K2R w KQkq -", "e1", "g1", 0, 0, 0}, // f1 attacked: no castling, no king walk
      {"4k3/4r3/8/8/8/8/4N3/4K3 w - -", "e2", "f4", 0, 0, 0},      // pinned
      // Knights f3 (slot 8) and b1 (slot 9) both reach d2: the last in generation order fits.
      {"4k3/8/8/8/8/5N2/8/1N2K3 w - -", "", "d2", WhiteKnight, 0, B1},
      {"4k3/8/8/8/8/5N2/8/1N2K3 w - -", "f", "d2", WhiteKnight, 0, SquareAt(5, 3)},
      {"4k3/8/8/8/8/8/4P3/4K3 w - -", "e2", "e9", 0, 0, 0}, // off the board
  };
  for (const auto& c : cases) {
    Position p = test::FromFen(c.fen);
    const Position before = p;
    int from = 0, to = 0;
    const int made = EnterHumanMove(p, FileOf(c.from), RowOf(c.from), FileOf(c.to), RowOf(c.to),
                                    c.side ? c.side : p.sideToMove, c.pieceCode, 0, nullptr, from, to);
    EXPECT_TRUE((made ? from : 0) == c.made && (std::memcmp(&p, &before, sizeof p) == 0) == !c.made)
        << c.fen << " " << c.from << c.to << ": " << (made ? from : 0);
  }
}

TEST(MoveEntry, PromotionQuestionAndRecording) {
  test::ResetGame();
  test::RecordingScope recording;
  const struct {
    int choice, answer; // PromotionChoice before (0 asks) and the answer given
    const char* to;
    int questions, piece; // asked so far; on b8 afterwards
  } steps[] = {{0, Knight, "b8", 1, WhiteKnight},
               {Rook, Knight, "b8", 1, WhiteRook},
               {0, 9, "b8", 2, WhiteQueen}, // a senseless answer gives a queen
               {0, Knight, "a2", 2, Empty}}; // another move: no question
  for (const auto& s : steps) {
    Position p = test::FromFen("4k3/1P6/8/8/8/8/8/K7 w - -");
    PromotionChoice = s.choice;
    recording->promotionAnswer = s.answer;
    int from = 0, to = 0;
    const bool pawn = s.to[0] == 'b';
    ASSERT_EQ(EnterHumanMove(p, !!pawn, pawn ? 1 : 7, FileOf(s.to), RowOf(s.to), White, 0, 1, nullptr, from, to), 1);
    EXPECT_TRUE(recording->promotionQuestions == s.questions && p.board[B8] == s.piece) << s.to << s.choice;
    EXPECT_EQ(PlyText(gameHistory, 1), pawn ? std::string("b7-b8=") + PieceChar(s.piece) : "Ka1-a2");
  }
  test::ResetGame();
}

} // namespace
} // namespace kestrin
