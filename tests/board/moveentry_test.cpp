#include <gtest/gtest.h>

#include <cstring>

#include "board/moveentry.h"
#include "notation/history.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

// Coordinates by name: "e2" both given, "e" the file only, "2" the rank only, "" neither; "i9"
// and the like are off the board.
int FileOf(const char* s) { return *s >= 'a' ? s[0] - 'a' : -1; }
int RowOf(const char* s) {
  const char* rank = *s >= 'a' ? s + 1 : s;
  return *rank ? '8' - *rank : -1;
}

TEST(MoveEntry, MatchingTheLegalMoves) {
  const struct {
    const char* fen;
    const char* from;
    const char* to;
    int pieceCode, side; // side 0: the side to move
    int from0;           // the from-field made, 0 when nothing matches
  } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1", "g1", 0, 0, CastleWhiteShort},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8", "c8", 0, 0, CastleBlackLong},
      {"r3k2r/8/8/8/2b5/8/8/R3K2R w KQkq -", "e1", "g1", 0, 0, 0}, // f1 attacked: no castling, no king walk
      {"r3k2r/8/8/2b5/8/8/8/R3K2R w KQkq -", "e1", "g1", 0, 0, 0}, // g1 attacked
      {"4k3/4r3/8/8/8/8/4N3/4K3 w - -", "e2", "f4", 0, 0, 0},      // pinned
      // Knights f3 (slot 8) and b1 (slot 9) both reach d2: the last in generation order fits.
      {"4k3/8/8/8/8/5N2/8/1N2K3 w - -", "", "d2", WhiteKnight, 0, B1},
      {"4k3/8/8/8/8/5N2/8/1N2K3 w - -", "f", "d2", WhiteKnight, 0, SquareAt(5, 3)},
      {"4k3/8/8/8/8/5N2/8/1N2K3 w - -", "3", "d2", WhiteKnight, 0, SquareAt(5, 3)},
      {"4k3/8/8/8/8/1N6/8/4KN2 w - -", "", "d2", WhiteKnight, 0, F1},
      {"4k3/8/8/8/8/5N2/8/1N2K3 w - -", "", "d2", WhiteBishop, 0, 0},
      {"4k3/8/8/8/8/8/4P3/4K3 w - -", "e2", "e9", 0, 0, 0},
      {"4k3/8/8/8/8/8/4P3/4K3 w - -", "i2", "e4", 0, 0, 0},
      {"4k3/8/8/8/8/8/4P3/4K3 w - -", "e2", "4", 0, 0, 0}, // no to-file
      {"4k3/8/8/8/8/8/4P3/4K3 w - -", "e2", "e4", 0, 3, 0}, // no such side
      {"4k3/4p3/8/8/8/8/8/4K3 w - -", "e7", "e5", 0, 0, 0}, // the other side's pawn
  };
  for (const auto& c : cases) {
    Position p = test::FromFen(c.fen);
    const Position before = p;
    int from = -1, to = -1;
    const int made = EnterHumanMove(p, FileOf(c.from), RowOf(c.from), FileOf(c.to), RowOf(c.to),
                                    c.side ? c.side : p.sideToMove, c.pieceCode, 0, nullptr, from, to);
    EXPECT_EQ(made, c.from0 != 0) << c.fen << " " << c.from << c.to;
    if (made) {
      EXPECT_EQ(from, c.from0) << c.fen << " " << c.from << c.to;
      EXPECT_EQ(p.plyCount, before.plyCount + 1);
    } else {
      EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << c.fen << " " << c.from << c.to;
    }
  }
  Position kingless; // the generators need both kings
  ClearPosition(kingless);
  PlacePiece(kingless, 4, 0, BlackKing);
  PlacePiece(kingless, 7, 7, WhiteRook);
  int from = 0, to = 0;
  EXPECT_EQ(EnterHumanMove(kingless, 7, 7, 7, 0, White, 0, 0, nullptr, from, to), 0);
}

TEST(MoveEntry, PromotionQuestionAndRecording) {
  test::ResetGame();
  test::RecordingScope recording;
  const Position pawn = test::FromFen("4k3/1P6/8/8/8/8/8/4K3 w - -");
  const struct {
    int choice; // PromotionChoice before: 0 asks
    const char* from;
    const char* to;
    int answer;
    int questions; // asked so far
    int piece;     // on b8 afterwards
  } steps[] = {{0, "b7", "b8", Knight, 1, WhiteKnight},
               {Rook, "b7", "b8", Knight, 1, WhiteRook},
               {0, "e1", "e2", Knight, 1, Empty},
               {0, "b7", "b8", 9, 2, WhiteQueen}}; // a senseless answer gives a queen
  for (const auto& s : steps) {
    Position p = pawn;
    PromotionChoice = s.choice;
    recording->promotionAnswer = s.answer;
    int from = 0, to = 0;
    ASSERT_EQ(EnterHumanMove(p, FileOf(s.from), RowOf(s.from), FileOf(s.to), RowOf(s.to), White, 0, 1, nullptr, from,
                             to),
              1);
    EXPECT_EQ(recording->promotionQuestions, s.questions);
    EXPECT_EQ(p.board[B8], s.piece);
    if (s.piece) EXPECT_EQ(PlyText(gameHistory, 1), std::string("b7-b8=") + PieceChar(s.piece)); // recorded at ply 1
  }
  // Into another record than the game's.
  GameHistory table{};
  Position p;
  SetStartPosition(p);
  int from = 0, to = 0;
  EXPECT_EQ(EnterHumanMove(p, 6, 7, 5, 5, White, 0, 1, &table, from, to), 1);
  EXPECT_EQ(PlyText(table, 1), "Ng1-f3");
  test::ResetGame();
}

} // namespace
} // namespace kestrin
