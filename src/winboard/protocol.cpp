#include "winboard/protocol.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "board/gameend.h"
#include "game/pgnplayers.h"
#include "notation/fen.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "notation/pgn.h"
#include "platform/frontend.h"
#include "platform/settings.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/searchstate.h"
#include "search/think.h"
#include "winboard/output.h"
#include "winboard/report.h"

namespace kestrin {

namespace {

// Lines longer than this are no command an interface sends; they are ignored whole.
constexpr std::size_t LineLimit = 1023;
constexpr int WinboardMaxPly = 28;
constexpr const char* ResultsFile = "WinboardGames.pgn";
// What a clock can mean: about eleven days in seconds, in hundredths for "time" and "otim".
// Larger numbers (or ones that do not fit an integer) are taken as this.
constexpr long MaxClockSeconds = 1000000;
constexpr float MaxClockHundredths = MaxClockSeconds * 100.0f;
// More moves than any game has before its time control.
constexpr long MaxMovesPerControl = 10000;

WinboardClock loop;
// A "setboard" refused: no move is made and no analysis runs until a good position arrives.
bool positionRefused = false;
// The engine's side in the game (HumanSide 1 or 2) from before a "force", so that a game
// saved after it still names the players as they played.
int playingSide = 1;
// Written by the SIGTERM handler: the command loop then reads what has already come and ends.
int terminatePipe[2] = {-1, -1};

std::string_view FirstWord(std::string_view line) {
  std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  std::size_t end = line.find_first_of(" \t", start);
  return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The text after the command word.
std::string Arguments(std::string_view line) {
  std::string_view word = FirstWord(line);
  std::size_t at = static_cast<std::size_t>(word.data() - line.data()) + word.size();
  return std::string(line.substr(at));
}

long Clamp(long value, long low, long high) { return value < low ? low : value > high ? high : value; }

// Reads whole numbers separated by blanks, each kept within [low, high]; "m:ss" reads as
// seconds when `clock` is the index of the number that may take that form. Returns how many.
int ReadInts(const std::string& text, long* values, int count, long low, long high, int clock = -1) {
  const char* p = text.c_str();
  for (int i = 0; i < count; ++i) {
    char* end = nullptr;
    long v = std::strtol(p, &end, 10);
    if (end == p) return i;
    if (i == clock) {
      v = Clamp(v, low, high) * 60;
      if (*end == ':') {
        const char* seconds = end + 1;
        long s = std::strtol(seconds, &end, 10);
        if (end != seconds) v += Clamp(s, 0, high);
      }
    }
    values[i] = Clamp(v, low, high);
    p = end;
  }
  return count;
}

// A clock reading in hundredths; false for none or not a number.
bool ReadHundredths(const std::string& text, float& value) {
  char* end = nullptr;
  const float v = std::strtof(text.c_str(), &end);
  if (end == text.c_str() || v != v) return false;
  value = std::max(-MaxClockHundredths, std::min(v, MaxClockHundredths));
  return true;
}

// The game's time in seconds: from "level", or the settings' minutes until one came.
long BaseSeconds() { return loop.baseSeconds >= 0 ? loop.baseSeconds : searchSettings.timeMinutes * 60L; }

// Hundredths used by a side whose clock shows `left`.
int UsedHundredths(float left) { return static_cast<int>(BaseSeconds() * 100.0 - left); }

Position GameCopy() {
  std::lock_guard<std::mutex> lock(GameMutex());
  return gamePosition;
}

void AllocateFromClock() { AllocateTime(loop.time * 0.01, loop.movesPerControl, loop.increment); }

void StopAnalysisForChange() {
  if (WinboardAnalysing) AbortFlag = 3;
}

void ResumeAnalysis() {
  if (WinboardAnalysing && !positionRefused) StartAnalysis();
}

void PlayOpponentMove(std::string_view text) {
  if (positionRefused) return;
  gameState = GameInProgress;
  const Position now = GameCopy();
  ParsedMove parsed = ParseMoveText(text, now);
  if (parsed.toFile < 0 || parsed.toRow < 0) return;
  HumanMoveEntered(parsed.fromFile, parsed.fromRow, parsed.toFile, parsed.toRow, parsed.piece);
}

void TakeBackPlies(int plies) {
  StopAnalysisForChange();
  WaitForEngine();
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    const int target = gamePosition.plyCount - plies;
    if (target >= startPosition.plyCount) PositionAtPly(gamePosition, target);
  }
  ResumeAnalysis();
}

void SaveResult(std::string_view line) {
  const int code = line.find("1-0") != std::string_view::npos   ? WhiteWon
                   : line.find("0-1") != std::string_view::npos ? BlackWon
                                                                : GameDrawn;
  gameState = code;
  if (GameCopy().plyCount > 2) {
    PgnPlayers players = CurrentPgnPlayers();
    if (players.humanSide == 3) players.humanSide = playingSide;
    if (loop.baseSeconds >= 0) { // the interface's time control, not the window's
      players.timeMinutes = static_cast<int>(loop.baseSeconds / 60);
      players.timeSeconds = static_cast<int>(loop.baseSeconds % 60);
      players.timeIncrement = loop.increment;
    }
    SavePgnGame(code, ResultsFile, 1, players);
  }
  AbortFlag = 3;
}

void OnTerminate(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(terminatePipe[1], &byte, 1);
}

// An interface may end the engine with SIGTERM right after "quit", before the lines it sent
// (a "result" among them) have been read: the signal only ends the wait for more input.
void CatchTerminate(int input) {
  if (terminatePipe[0] < 0 && pipe2(terminatePipe, O_NONBLOCK | O_CLOEXEC) != 0) return;
  struct sigaction action {};
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  // Reads return at once when nothing is there, so that the wait is ours (below).
  fcntl(input, F_SETFL, fcntl(input, F_GETFL) | O_NONBLOCK);
}

// Waits until input has come; false once SIGTERM came.
bool AwaitInput(int input) {
  pollfd watched[2] = {{input, POLLIN, 0}, {terminatePipe[0], POLLIN, 0}};
  while (poll(watched, terminatePipe[0] >= 0 ? 2 : 1, -1) < 0)
    if (errno != EINTR) return true;
  return (watched[1].revents & POLLIN) == 0;
}

} // namespace

const WinboardClock& WinboardClockState() { return loop; }

void StartAnalysis() {
  search.targetSeconds = 1200.0f;
  AbortFlag = 3;
  // Until the running search has stopped: a request while it is busy would be dropped.
  WaitForEngine();
  StartEngine(1);
}

void WinboardNewGame() {
  AbortFlag = 3;
  positionRefused = false;
  playingSide = 1;
  NewGame(false);
  search.targetSeconds = 2.6f;
  gameState = GameInProgress;
  searchSettings.maxPly = WinboardMaxPly;
  search.extraSeconds = 2.0f;
  WinboardMode = 1;
  InstallSearchReport(&XboardReport());
  HumanSide = 1;
  drawState.acceptDraw = 0;
}

bool WinboardCommand(std::string_view line) {
  if (line.size() > LineLimit) return true;
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  const std::string_view word = FirstWord(line);
  // Commands are whole words: a name, a comment or an argument never triggers one.
  auto is = [&](std::string_view command) { return word == command; };
  if (is("accepted") || is("rejected")) return true;
  if (is("name")) {
    // One word, cut to what the settings file keeps.
    std::string name(FirstWord(Arguments(line)));
    settings.playerName = name.substr(0, PlayerNameSize - 1);
  }
  if (is("time") && ReadHundredths(Arguments(line), loop.time))
    (HumanSide == 2 ? whiteUsed : blackUsed) = UsedHundredths(loop.time);
  if (is("otim") && ReadHundredths(Arguments(line), loop.otim))
    (HumanSide != 2 ? whiteUsed : blackUsed) = UsedHundredths(loop.otim);
  if (is("force")) {
    HumanSide = 3;
    WinboardAnalysing = 0;
    AbortFlag = 3;
    WaitForEngine();
  }
  if (word.size() >= 4 && word[1] >= '0' && word[1] <= '9' && word[3] >= '0' && word[3] <= '9') {
    StopAnalysisForChange();
    AllocateFromClock();
    PlayOpponentMove(word);
    ResumeAnalysis();
  }
  if (is("go") && !positionRefused) {
    HumanSide = playingSide = GameCopy().sideToMove == Black ? 1 : 2;
    WinboardAnalysing = 0;
    AbortFlag = 3;
    WaitForEngine();
    AllocateFromClock();
    gameState = GameInProgress;
    int result = GameInProgress;
    const Position now = GameCopy();
    if (!CheckGameEnd(now, 0, result)) {
      StartEngine(0);
    } else {
      // Nothing to play: the interface waits for a move, so it is told why there is none.
      gameState = result;
      ReportResult(now);
    }
  }
  if (is("setboard")) {
    StopAnalysisForChange();
    WaitForEngine();
    const std::string fen = Arguments(line);
    positionRefused = !PositionFromFen(fen.data(), fen.size());
    if (positionRefused) SendLine("tellusererror Illegal position\n");
    ResumeAnalysis();
  }
  if (is("level")) {
    // Moves per control, the game's time as minutes or minutes:seconds, the increment.
    long values[3] = {0, 0, 0};
    const int read = ReadInts(Arguments(line), values, 3, 0, MaxClockSeconds, 1);
    if (read >= 1) loop.movesPerControl = static_cast<int>(std::min(values[0], MaxMovesPerControl));
    loop.baseSeconds = read >= 2 ? values[1] : 0;
    searchSettings.timeMinutes = static_cast<int>(loop.baseSeconds / 60);
    if (read >= 3) loop.increment = static_cast<int>(values[2]);
  }
  if (is("post")) searchSettings.showSearchInfo = 1;
  if (is("nopost")) searchSettings.showSearchInfo = 0;
  if (is("hard")) searchSettings.ponderEnabled = 1;
  if (is("easy")) searchSettings.ponderEnabled = 0;
  if (is("new")) WinboardNewGame();
  if (is("quit")) {
    WinboardMode = 0;
    InstallSearchReport(nullptr);
    return false;
  }
  if (is("protover")) SendFeatures();
  if (is("undo")) TakeBackPlies(1);
  if (is("remove")) TakeBackPlies(2);
  if (is("result")) SaveResult(line);
  if (is("draw")) {
    const Position now = GameCopy();
    if (now.plyCount > 80 && now.whitePieces <= 2 && now.blackPieces <= 2 && drawState.acceptDraw == 1)
      SendLine("offer draw\n");
  }
  if (is("analyze")) {
    HumanSide = 3;
    WinboardAnalysing = 1;
    ResumeAnalysis();
  }
  if (is("exit")) { // leaves analysis; the engine stays still as after "force"
    WinboardAnalysing = 0;
    AbortFlag = 3;
    WaitForEngine();
  }
  if (line == ".") SendStat01();
  if (is("sd")) {
    long depth = 0;
    if (ReadInts(Arguments(line), &depth, 1, 1, INT32_MAX)) searchSettings.maxPly = static_cast<int>(depth);
  }
  if (line == "?") AbortFlag = 1;
  if (is("ping")) {
    WaitForEngine(true);
    long number = 0;
    ReadInts(Arguments(line), &number, 1, INT32_MIN, INT32_MAX);
    SendLine("pong " + std::to_string(number) + "\n");
  }
  return true;
}

void RunWinboard(std::FILE* input) {
  WinboardNewGame();
  const int descriptor = fileno(input);
  CatchTerminate(descriptor);
  bool terminating = false;
  // The next character; EOF at the end of the input, or once SIGTERM came and nothing is left.
  auto next = [&]() {
    for (;;) {
      const int c = std::fgetc(input);
      if (c != EOF || !std::ferror(input) || (errno != EAGAIN && errno != EWOULDBLOCK)) return c;
      std::clearerr(input);
      if (terminating) return EOF;
      if (!AwaitInput(descriptor)) {
        terminating = true;
        AbortFlag = 3;
      }
    }
  };
  std::string line;
  int c;
  for (;;) {
    line.clear();
    bool overlong = false;
    while ((c = next()) != EOF && c != '\n') {
      if (line.size() <= LineLimit) line.push_back(static_cast<char>(c));
      else overlong = true;
    }
    if (c == EOF && line.empty()) break;
    if (!overlong && !WinboardCommand(line)) return;
    if (c == EOF) break;
  }
  WinboardMode = 0;
  InstallSearchReport(nullptr);
}

} // namespace kestrin
