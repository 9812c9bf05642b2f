#include "uci/session.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "board/attacks.h"
#include "board/gameend.h"
#include "board/legality.h"
#include "notation/history.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/report.h"
#include "search/searchstate.h"
#include "search/think.h"
#include "uci/coordinates.h"
#include "uci/go.h"
#include "uci/options.h"
#include "uci/output.h"
#include "uci/position.h"

namespace kestrin {

namespace {

// A position command of a long game is long: lines beyond this are no command and are ignored.
constexpr std::size_t LineLimit = 1 << 16;
constexpr int DefaultDepth = 28;
constexpr auto PollInterval = std::chrono::milliseconds(1);

// The search a "go" started, until its "bestmove" is out. Guarded by stateMutex; the engine
// thread reports its move into it.
struct Search {
  bool running = false;   // a "go" not yet answered
  bool holding = false;   // infinite or ponder: the answer waits for "stop" or "ponderhit"
  bool pondering = false; // "go ponder" until "ponderhit"
  std::string answer;     // the "bestmove" line, kept while holding
  MoveTime ponderTime;    // the clock's share, in force from "ponderhit" on
  Position root;          // the position searched
};
Search current;
// What the host last set up, and the game position it gave: the engine plays its moves on the
// game, and a "go" without a new "position" searches the host's position again.
PositionCommand hostCommand;
Position hostPosition;
// The host's last position was refused: a "go" gets no move from another position.
bool hostPositionRefused = false;
std::mutex stateMutex;
std::condition_variable answered;

std::string_view FirstWord(std::string_view line, std::string_view& rest) {
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return rest = {};
  const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
  rest = line.substr(end);
  return line.substr(start, end - start);
}

Position GameCopy() {
  std::lock_guard<std::mutex> lock(GameMutex());
  return gamePosition;
}

// Sends the answer, or keeps it while the host wants the search to go on. Called with the lock.
void Answer(const std::string& line) {
  if (!current.running) return;
  if (current.holding) {
    current.answer = line;
    return;
  }
  UciSend(line);
  current.running = false;
  current.answer.clear();
  answered.notify_all();
}

// The engine's reports put into UCI's words: its thinking as info lines, its move as the
// answer to "go" with the reply it expects. Results, resignations and draw offers have no
// place in UCI.
class UciReport : public InterfaceReport {
public:
  void Thinking(const ThinkingLine& line) override {
    // A book move has no depth to tell of.
    if (!searchSettings.showSearchInfo || line.depth < 1) return;
    UciSend(ThinkingInfo(line, ElapsedMilliseconds(), search.rootSide, search.root, search.pvTable[1]));
  }
  void MoveChosen(const ThinkOutcome& outcome) override {
    Thinking({.depth = outcome.depth, .score = outcome.score, .nodes = search.nodeCount});
  }
  void MovePlayed(const PlayedMove& played) override {
    std::lock_guard<std::mutex> lock(stateMutex);
    const Position& root = current.root;
    std::string line = "bestmove ";
    Move move = 0;
    if (!MoveBetween(root, played.after, move)) {
      line += "0000";
    } else {
      line += CoordinateText(root, move);
      const u32* row = played.pv;
      Position after;
      if (!played.fromBook && row[0] >= 2 && (row[1] & 0xFFFF) == LowMove(move) &&
          TryMove(root, move, root.sideToMove, after)) {
        const std::string reply = LineText(after, row + 2, 1);
        if (!reply.empty()) line += " ponder " + reply;
      }
    }
    if (played.fromBook) UciSend("info string book move");
    Answer(line);
  }
};

UciReport uciReport;

void WaitUntilIdle() {
  while (EngineBusy != 0) std::this_thread::sleep_for(PollInterval);
}

// "stop": the running search plays its best move at once, and "bestmove" goes out before
// anything else is done.
void StopSearch() {
  std::unique_lock<std::mutex> lock(stateMutex);
  if (!current.running) return;
  current.holding = current.pondering = false;
  if (!current.answer.empty()) return Answer(current.answer);
  while (current.running) {
    // Again at every turn: a search just starting clears a request made before it began.
    AbortFlag = 1;
    // The engine ended without a move: the host still gets its answer.
    if (EngineBusy == 0) Answer("bestmove 0000");
    else answered.wait_for(lock, PollInterval);
  }
}

void FinishSearch() {
  StopSearch();
  WaitUntilIdle();
}

void PonderHit() {
  std::lock_guard<std::mutex> lock(stateMutex);
  if (!current.running || !current.pondering) return;
  current.pondering = current.holding = false;
  if (!current.answer.empty()) return Answer(current.answer);
  // The time counts from the start of pondering: past the target already, the move is due now.
  SetMoveTime(current.ponderTime);
  const double elapsed = (ClockMilliseconds() - search.searchStart) * 0.001;
  if (current.ponderTime.limited && elapsed >= current.ponderTime.target) AbortFlag = 1;
}

void Go(std::string_view arguments) {
  FinishSearch();
  const GoCommand go = ReadGoCommand(arguments);
  if (hostPositionRefused) {
    UciSend("bestmove 0000");
    return;
  }
  if (const Position game = GameCopy(); std::memcmp(&hostPosition, &game, sizeof(Position)) != 0)
    SetUpPosition(hostCommand);
  const Position now = GameCopy();
  // Nothing to play (mate, stalemate, or a side able to take the king): the answer says so.
  if (IsInCheck(Opponent(now.sideToMove), now) || MateStatus(now, now.sideToMove) != HasLegalMove) {
    UciSend("bestmove 0000");
    return;
  }
  // "searchmoves": the legal ones among them; none legal leaves the choice free.
  rootMoveFilter.count = 0;
  for (const std::string& text : go.searchMoves) {
    CoordinateMove wanted;
    Move move;
    if (ReadCoordinateMove(text, wanted) && FindLegalMove(now, wanted, move) &&
        rootMoveFilter.count < MaxRootFilterMoves &&
        std::find(rootMoveFilter.moves, rootMoveFilter.moves + rootMoveFilter.count, move) ==
            rootMoveFilter.moves + rootMoveFilter.count)
      rootMoveFilter.moves[rootMoveFilter.count++] = move;
  }
  SetSearchLimits(go, DefaultDepth);
  const MoveTime time = TimeForMove(go, now.sideToMove, now.plyCount);
  std::lock_guard<std::mutex> lock(stateMutex);
  current = Search{true, go.infinite || go.ponder, go.ponder, {}, time, now};
  SetMoveTime(current.holding ? MoveTime{} : time);
  gameState = GameInProgress;
  HumanSide = now.sideToMove == Black ? 1 : 2; // the engine plays the side to move
  StartEngine(0);
  // Still idle under the lock its move report needs: the engine did not take the request.
  if (EngineBusy == 0) Answer("bestmove 0000");
}

void RememberHostPosition(const PositionCommand& command) {
  hostCommand = command;
  hostPosition = GameCopy();
}

void SetPosition(std::string_view arguments) {
  FinishSearch();
  const PositionCommand command = ReadPositionCommand(arguments);
  if (!command.understood) return;
  HumanSide = 3; // the moves are the host's: the engine stays still
  const SetUpOutcome outcome = SetUpPosition(command);
  hostPositionRefused = outcome.fenRefused;
  if (!outcome.fenRefused) RememberHostPosition(command);
  if (outcome.fenRefused) UciSend("info string not a valid position: " + command.fen + "; the position is unchanged");
  if (!outcome.illegalMove.empty())
    UciSend("info string illegal move " + outcome.illegalMove + " in position; it and the moves after it are ignored");
}

void Identify() {
  UciSend("id name Kestrin Chess 2.82");
  UciSend("id author the Kestrin Chess developers");
  for (const std::string& option : OptionDeclarations()) UciSend(option);
  UciSend("uciok");
}

} // namespace

bool UciCommand(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  std::string_view arguments;
  const std::string_view word = FirstWord(line, arguments);
  if (word == "uci") Identify();
  else if (word == "isready") UciSend("readyok");
  else if (word == "ucinewgame") {
    FinishSearch();
    NewGame(false);
    hostPositionRefused = false;
    RememberHostPosition(ReadPositionCommand("startpos"));
  } else if (word == "position") SetPosition(arguments);
  else if (word == "go") Go(arguments);
  else if (word == "stop") StopSearch();
  else if (word == "ponderhit") PonderHit();
  else if (word == "setoption") {
    FinishSearch();
    SetOption(arguments);
  } else if (word == "quit") {
    AbortFlag = 3;
    return false;
  }
  return true;
}

void BeginUciSession() {
  InstallSearchReport(&uciReport);
  // Pondering is the host's to ask for; the engine's own would search on after its answer.
  searchSettings.ponderEnabled = 0;
  ResetOptions();
  UciCommand("ucinewgame");
  HumanSide = 3;
}

void RunUci(std::FILE* input) {
  BeginUciSession();
  UciCommand("uci");
  std::string line;
  for (int c = 0; c != EOF;) {
    line.clear();
    bool overlong = false;
    while ((c = std::fgetc(input)) != EOF && c != '\n') {
      if (line.size() < LineLimit) line.push_back(static_cast<char>(c));
      else overlong = true;
    }
    if (!overlong && !UciCommand(line)) break;
  }
}

} // namespace kestrin
