// The opening lines the default book is built from: every line must replay move by move from
// the initial position in standard short algebraic notation, be deep enough to be worth a book
// entry, end in a settled position, and together offer sound first moves for both sides.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/position.h"
#include "support/legalmoves.h"
#include "support/san.h"

namespace kestrin::test {
namespace {

struct OpeningLine {
  int number = 0;      // 1-based game number in the file
  int fileLine = 0;    // line of the file where the game's tags start
  std::map<std::string, std::string> tags;
  std::vector<std::string> tokens; // movetext tokens, move numbers and result included
};

std::filesystem::path FindOpeningsFile() {
  // Tests run in the build directory, which lies somewhere below the source tree.
  std::filesystem::path dir = std::filesystem::current_path();
  for (;;) {
    std::filesystem::path candidate = dir / "data" / "openings.pgn";
    if (std::filesystem::exists(candidate)) return candidate;
    if (!dir.has_parent_path() || dir.parent_path() == dir) return {};
    dir = dir.parent_path();
  }
}

struct OpeningsFile {
  std::string text;
  std::vector<OpeningLine> lines;
  std::string problem; // why the file could not be read, empty when it was
};

const OpeningsFile& Openings() {
  static const OpeningsFile file = [] {
    OpeningsFile result;
    std::filesystem::path path = FindOpeningsFile();
    if (path.empty()) {
      result.problem = "data/openings.pgn not found above " + std::filesystem::current_path().string();
      return result;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    result.text = all.str();

    std::istringstream lines(result.text);
    std::string line;
    int lineNumber = 0;
    bool inMoves = false;
    while (std::getline(lines, line)) {
      ++lineNumber;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty()) continue;
      if (line[0] == '[') {
        if (result.lines.empty() || inMoves) {
          result.lines.push_back({});
          result.lines.back().number = int(result.lines.size());
          result.lines.back().fileLine = lineNumber;
          inMoves = false;
        }
        std::size_t quote = line.find('"');
        std::size_t last = line.rfind('"');
        std::string name = line.substr(1, quote == std::string::npos ? 0 : quote - 1);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        std::string value = quote < last ? line.substr(quote + 1, last - quote - 1) : "<malformed: " + line + ">";
        result.lines.back().tags[name] = value;
        continue;
      }
      if (result.lines.empty()) {
        result.problem = "moves before any tag at line " + std::to_string(lineNumber);
        return result;
      }
      inMoves = true;
      std::istringstream words(line);
      std::string word;
      while (words >> word) result.lines.back().tokens.push_back(word);
    }
    return result;
  }();
  return file;
}

bool IsMoveNumber(const std::string& token) {
  return !token.empty() && std::isdigit(static_cast<unsigned char>(token[0])) &&
         token.find('.') != std::string::npos;
}

// The SAN moves of a line, or a description of the first fault in its movetext layout.
std::vector<std::string> MovesOf(const OpeningLine& game, std::string& fault) {
  std::vector<std::string> moves;
  const std::vector<std::string>& tokens = game.tokens;
  if (tokens.empty() || tokens.back() != "*") {
    fault = "movetext does not end in \" *\"";
    return moves;
  }
  for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
    const std::string& token = tokens[i];
    if (token.find_first_of("{}();$") != std::string::npos) {
      fault = "comment, variation or glyph \"" + token + "\"";
      return moves;
    }
    bool whiteToMove = moves.size() % 2 == 0;
    if (IsMoveNumber(token)) {
      std::string expected = std::to_string(moves.size() / 2 + 1) + ".";
      if (!whiteToMove || token != expected) {
        fault = "move number \"" + token + "\" where " + (whiteToMove ? "\"" + expected + "\"" : "Black's move") +
                " belongs";
        return moves;
      }
      continue;
    }
    if (whiteToMove && (i == 0 || !IsMoveNumber(tokens[i - 1]))) {
      fault = "White's move \"" + token + "\" without its move number";
      return moves;
    }
    if (token == "*" || token == "1-0" || token == "0-1" || token == "1/2-1/2") {
      fault = "result \"" + token + "\" before the end of the line";
      return moves;
    }
    moves.push_back(token);
  }
  return moves;
}

std::string MoveLabel(std::size_t ply, const std::string& san) {
  return std::to_string(ply / 2 + 1) + (ply % 2 == 0 ? ". " : "... ") + san;
}

std::string Describe(const OpeningLine& game) {
  auto opening = game.tags.find("Opening");
  return "game " + std::to_string(game.number) + " (file line " + std::to_string(game.fileLine) +
         (opening != game.tags.end() ? ", " + opening->second : "") + ")";
}

// Material from White's side in pawns (pawn 1, minor 3, rook 5, queen 9).
int MaterialBalance(const Position& position) {
  int balance = 0;
  for (int rank = 1; rank <= 8; ++rank) {
    for (int file = 0; file < 8; ++file) {
      int code = position.board[SquareAt(file, rank)];
      if (code == Empty) continue;
      int value = 0;
      switch (code & 7) {
        case Pawn: value = 1; break;
        case Bishop:
        case Knight: value = 3; break;
        case Rook: value = 5; break;
        case Queen: value = 9; break;
        default: break;
      }
      balance += code >= BlackOffset ? -value : value;
    }
  }
  return balance;
}

struct Replay {
  std::vector<std::string> moves; // as written
  bool complete = false;           // every move played
  int finalBalance = 0;
  std::vector<std::string> faults; // what is wrong with the line, with its game and move
};

// Replays every line once, noting each fault with the game and the move that failed.
const std::vector<Replay>& Replays() {
  static const std::vector<Replay> replays = [] {
    std::vector<Replay> result;
    for (const OpeningLine& game : Openings().lines) {
      Replay replay;
      std::string fault;
      replay.moves = MovesOf(game, fault);
      if (!fault.empty()) {
        replay.faults.push_back(Describe(game) + ": " + fault);
        result.push_back(replay);
        continue;
      }
      Position position;
      SetStartPosition(position);
      replay.complete = true;
      for (std::size_t ply = 0; ply < replay.moves.size(); ++ply) {
        const std::string& san = replay.moves[ply];
        if (!PlaySan(position, san)) {
          replay.faults.push_back(Describe(game) + ": move " + MoveLabel(ply, san) + " does not play");
          replay.complete = false;
          break;
        }
        bool marksCheck = san.back() == '+' || san.back() == '#';
        bool givesCheck = IsInCheck(position.sideToMove, position) != 0;
        if (marksCheck && !givesCheck) {
          replay.faults.push_back(Describe(game) + ": move " + MoveLabel(ply, san) + " is marked as check but is none");
        }
        if (san.back() == '#' && !LegalMoves(position).empty()) {
          replay.faults.push_back(Describe(game) + ": move " + MoveLabel(ply, san) + " is marked as mate but is none");
        }
      }
      replay.finalBalance = MaterialBalance(position);
      result.push_back(replay);
    }
    return result;
  }();
  return replays;
}

TEST(OpeningLines, FileIsPlainPgnWithOurTags) {
  const OpeningsFile& file = Openings();
  ASSERT_TRUE(file.problem.empty()) << file.problem;
  int lineNumber = 1;
  for (char c : file.text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '\n') ++lineNumber;
    ASSERT_TRUE(u == '\n' || (u >= 32 && u < 127)) << "byte " << int(u) << " on file line " << lineNumber
                                                    << " is not plain printable ASCII";
  }
  for (const OpeningLine& game : file.lines) {
    auto tag = [&](const char* name) {
      auto found = game.tags.find(name);
      return found == game.tags.end() ? std::string("<missing>") : found->second;
    };
    EXPECT_EQ(tag("Event"), "Kestrin opening lines") << Describe(game);
    EXPECT_EQ(tag("White"), "?") << Describe(game);
    EXPECT_EQ(tag("Black"), "?") << Describe(game);
    EXPECT_EQ(tag("Result"), "*") << Describe(game);
    EXPECT_NE(tag("Opening"), "<missing>") << Describe(game);
  }
}

TEST(OpeningLines, EveryMoveIsLegalStandardSan) {
  ASSERT_TRUE(Openings().problem.empty()) << Openings().problem;
  const std::vector<Replay>& replays = Replays();
  int complete = 0;
  for (const Replay& replay : replays) {
    complete += replay.complete;
    for (const std::string& fault : replay.faults) ADD_FAILURE() << fault;
  }
  EXPECT_EQ(complete, int(replays.size()));
}

TEST(OpeningLines, LinesAreDeepDistinctAndSettled) {
  ASSERT_TRUE(Openings().problem.empty()) << Openings().problem;
  const std::vector<OpeningLine>& games = Openings().lines;
  const std::vector<Replay>& replays = Replays();
  EXPECT_GE(games.size(), 250u);
  std::map<std::vector<std::string>, int> seen;
  int totalPlies = 0;
  for (std::size_t i = 0; i < games.size(); ++i) {
    const Replay& replay = replays[i];
    int plies = int(replay.moves.size());
    totalPlies += plies;
    EXPECT_GE(plies, 20) << Describe(games[i]) << " is only " << plies << " plies deep";
    EXPECT_LE(plies, 30) << Describe(games[i]) << " runs " << plies << " plies, past fifteen moves";
    auto [where, fresh] = seen.emplace(replay.moves, games[i].number);
    EXPECT_TRUE(fresh) << Describe(games[i]) << " repeats game " << where->second;
    // A line that ends a piece up or down stopped in the middle of an exchange or holds a
    // blunder; the sound gambits in the file give at most two pawns.
    if (replay.complete) {
      EXPECT_LE(std::abs(replay.finalBalance), 2)
          << Describe(games[i]) << " ends with a material balance of " << replay.finalBalance << " pawns";
    }
  }
  RecordProperty("games", int(games.size()));
  RecordProperty("plies", totalPlies);
}

TEST(OpeningLines, FirstMovesAndRepliesAreTheSoundOnes) {
  ASSERT_TRUE(Openings().problem.empty()) << Openings().problem;
  const std::vector<Replay>& replays = Replays();
  const std::vector<OpeningLine>& games = Openings().lines;
  const std::set<std::string> repliesToE4 = {"c5", "e5", "e6", "c6", "d6", "g6", "d5", "Nf6"};
  const std::set<std::string> repliesToD4 = {"d5", "Nf6", "f5", "e6", "g6", "d6", "c5"};
  std::set<std::string> firstMoves;
  std::map<std::string, std::set<std::string>> replies;
  for (std::size_t i = 0; i < replays.size(); ++i) {
    if (replays[i].moves.size() < 2) continue;
    const std::string& first = replays[i].moves[0];
    const std::string& reply = replays[i].moves[1];
    firstMoves.insert(first);
    replies[first].insert(reply);
    if (first == "e4") {
      EXPECT_TRUE(repliesToE4.count(reply)) << Describe(games[i]) << ": 1. e4 " << reply;
    }
    if (first == "d4") {
      EXPECT_TRUE(repliesToD4.count(reply)) << Describe(games[i]) << ": 1. d4 " << reply;
    }
  }
  for (const char* move : {"e4", "d4", "c4", "Nf3"}) {
    EXPECT_TRUE(firstMoves.count(move)) << "no line starts 1. " << move;
  }
  // Several sound answers to each main first move, so the book varies its play as Black.
  EXPECT_GE(replies["e4"].size(), 6u);
  EXPECT_GE(replies["d4"].size(), 4u);
}

} // namespace
} // namespace kestrin::test
