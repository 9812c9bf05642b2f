#include "game/controller.h"

#include <cstring>
#include <mutex>

#include "board/gameend.h"
#include "book/book.h"
#include "eval/diagnostics.h"
#include "game/clipboard.h"
#include "game/clocks.h"
#include "game/commands.h"
#include "game/searchinfo.h"
#include "game/windowcommands.h"
#include "net/client.h"
#include "notation/history.h"
#include "notation/moveentry.h"
#include "notation/transcript.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "platform/settings.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/output.h"
#include "search/searchstate.h"
#include "search/transposition.h"

namespace kestrin {

ControllerState controller;

namespace {

// Panel buttons.
constexpr int ButtonFirst = 103, ButtonBackTwo = 105, ButtonBack = 125, ButtonForward = 126,
              ButtonForwardTwo = 106, ButtonLast = 104;
constexpr int LastPly = 1000;

int SquareIndex(int square) { return (square % 10 - 2) + 8 * (square / 10 - 2); }

// Whether the squares make a legal move of a pawn to its last rank.
bool IsPromotion(Position position, int fromFile, int fromRow, int toFile, int toRow) {
  if (toRow != 0 && toRow != 7) return false;
  const int piece = position.board[SquareOf(fromFile, fromRow)];
  if ((piece & 7) != Pawn || piece >= 16) return false;
  const int choice = PromotionChoice.exchange(Queen);
  int outFrom = 0, outTo = 0;
  const int legal = EnterHumanMove(position, fromFile, fromRow, toFile, toRow, position.sideToMove, 0, 0, nullptr,
                                   outFrom, outTo);
  PromotionChoice = choice;
  return legal == 1;
}

void Redraw() {
  CurrentFrontend().RefreshBoard();
  CurrentFrontend().RefreshPanel(false);
}

void GoToPly(int ply) {
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    PositionAtPly(gamePosition, ply < 1 ? 1 : ply);
  }
  AddTranscriptLine(0);
  Redraw();
}

void Toggle(int& flag) { flag = flag ? 0 : 1; }

void ToggleSetting(int id) {
  switch (id) {
  case command::SearchInfo:
    Toggle(settings.showSearchInfo);
    searchSettings.showSearchInfo = settings.showSearchInfo;
    break;
  case command::Ponder:
    Toggle(settings.ponderEnabled);
    searchSettings.ponderEnabled = settings.ponderEnabled;
    break;
  case command::WhitePov:
    Toggle(settings.whitePovEvals);
    EvalsFromWhitePov = settings.whitePovEvals;
    break;
  case command::Highlight:
    Toggle(settings.highlightLastMove);
    break;
  case command::Flip:
    Toggle(controller.boardFlipped);
    CurrentFrontend().RefreshBoard();
    break;
  case command::HashOn:
    searchSettings.hashingOn = searchSettings.hashingOn ? 0 : 1;
    break;
  default:
    break;
  }
}

void Paste(int id) {
  switch (id) {
  case command::PasteGameState: PasteGameState(); break;
  case command::UndoPasteGameState: UndoPasteGameState(); break;
  case command::PasteTranscript: PasteFromClipboard(0); break;
  default: PasteFromClipboard(1); break;
  }
}

void Develop(int id) {
  switch (id) {
  case command::DisplayPv: DisplayPv(); break;
  case command::PlayPv: PlayPv(); break;
  case command::DisplayTtEntry: DisplayTtEntry(); break;
  case command::BoardFlags: ShowBoardFlags(); break;
  default: ShowEvalTerms(); break;
  }
}

void ClearTables() { ClearTranspositionTable(); }
void NewTable() { AllocateTranspositionTable(settings.hashSizeExponent); }

} // namespace

void ResetController() { controller = ControllerState(); }

PlayerLabels LabelsFor(int humanSide, const std::string& playerName) {
  PlayerLabels labels{"White", "Black"};
  if (humanSide == 2 || humanSide == 4) labels.white = EngineLabel;
  if (humanSide == 1 || humanSide == 4) labels.black = EngineLabel;
  if (humanSide == 2 || humanSide == 3) labels.black = playerName;
  if (humanSide == 1 || humanSide == 3) labels.white = playerName;
  return labels;
}

Position GamePositionNow() { return GameSnapshot(); }

void SetMode(int humanSide) {
  HumanSide = humanSide;
  // The player's own men at the bottom.
  if (humanSide == 1 || humanSide == 2) controller.boardFlipped = humanSide == 2 ? 1 : 0;
  if (humanSide == 3) gameState = GameInProgress; // a finished game can be played on
  CurrentFrontend().RefreshPanel(true);
  if (humanSide != 3) StartEngine(0);
}

void StartStop() {
  if (netGame) return; // the computer takes no side in a network game
  gameState = GameInProgress;
  const int side = GamePositionNow().sideToMove == White ? 2 : 1;
  const int busy = EngineBusy;
  if (busy != 0) {
    AbortFlag = 1;
    if (busy == 1) HumanSide = side;
  } else {
    HumanSide = side;
    StartEngine(0);
  }
  CurrentFrontend().RefreshPanel(true);
}

EngineStop StopEngine() {
  EngineStop stopped;
  if (EngineBusy != 0) {
    stopped.interrupted = true;
    stopped.analysing = EngineBusy == 1 && AnalyseRequest == 1;
    AbortFlag = 3;
    WaitForEngine();
  }
  return stopped;
}

void ResumeEngine(const EngineStop& stopped) {
  if (stopped.analysing) StartEngine(1);
  else if (stopped.interrupted && EnginesTurn()) StartEngine(0);
}

void WithEngineStopped(const std::function<void()>& work) {
  const EngineStop stopped = StopEngine();
  work();
  ResumeEngine(stopped);
}

bool RunCommand(int id) {
  if (!MenuEnabled(id)) return false;
  if (IsWindowCommand(id)) return RunWindowCommand(id);
  if (RunNetCommand(id)) return true;
  const bool connected = netGame != 0;
  switch (id) {
  case command::New:
    if (connected) return true;
    controller.selectedSquare = NoSelection;
    NewGame(true);
    StartEngine(0);
    return true;
  case command::NextPgnGame:
  case command::PreviousPgnGame:
    return false; // the window steps and redraws (a file is read)
  case command::ComputerBlack:
  case command::ComputerWhite:
  case command::TwoPlayer:
  case command::Selfplay:
    // A computer's move in a network game would never reach the opponent.
    if (connected) return true;
    SetMode(id == command::ComputerBlack ? 1 : id == command::ComputerWhite ? 2 : id == command::TwoPlayer ? 3 : 4);
    return true;
  case command::Analyze:
    if (EngineBusy == 1) {
      // Stops the analysis, or the computer's search, which then starts again and moves.
      EngineStop stopped = StopEngine();
      if (stopped.analysing) ShowFinalInfo(search.previousScore, search.iterationDepth);
      stopped.analysing = false;
      ResumeEngine(stopped);
    } else {
      StartEngine(1);
    }
    return true;
  case command::ResetClock:
    if (connected) return true;
    SetInfoText("Game clock reset.");
    whiteUsed = 0;
    blackUsed = 0;
    turnStart = ClockMilliseconds();
    InvalidateClocks();
    return true;
  case command::Ply26:
    searchSettings.maxPly = 26;
    controller.levelItem = id;
    return true;
  case command::SearchInfo:
  case command::Ponder:
  case command::WhitePov:
  case command::Highlight:
  case command::Flip:
  case command::HashOn:
    ToggleSetting(id);
    return true;
  case command::Experiment:
    WithEngineStopped(ClearTables);
    Toggle(controller.experiment);
    return true;
  case command::ClearHash:
    WithEngineStopped(ClearTables);
    return true;
  case command::CopyGameState: CopyGameState(); return true;
  case command::CopyTranscript: CopyToClipboard(0); return true;
  case command::CopyPosition: CopyToClipboard(1); return true;
  case command::PasteGameState:
  case command::UndoPasteGameState:
  case command::PasteTranscript:
  case command::PastePosition:
    // A paste would replace the game a network opponent plays.
    if (!connected) WithEngineStopped([id] { Paste(id); });
    return true;
  case command::DisplayPv:
  case command::PlayPv:
  case command::DisplayTtEntry:
  case command::BoardFlags:
  case command::DisplayEval:
    // They read the search's tables (the evaluation fills the pawn table): only while idle.
    if (EngineBusy == 0) Develop(id);
    return true;
  case command::ClearBook:
    WithEngineStopped([] { BookClear(); });
    return true;
  default:
    break;
  }
  if (id >= command::FirstPly && id <= command::LastPly) {
    searchSettings.maxPly = id - command::FirstPly + 1;
    controller.levelItem = id;
    return true;
  }
  if (id >= command::FirstHashSize && id <= command::LastHashSize) {
    settings.hashSizeExponent = id - command::HashSizeIdOffset;
    searchSettings.hashSizeExponent = settings.hashSizeExponent;
    WithEngineStopped(NewTable);
    return true;
  }
  return false;
}

bool Browse(int button) {
  if (EngineBusy == 1) return false;
  const int ply = GamePositionNow().plyCount;
  switch (button) {
  case ButtonFirst: GoToPly(1); return true;
  case ButtonBackTwo: GoToPly(ply - 2); return true;
  case ButtonBack: GoToPly(ply - 1); return true;
  case ButtonForward: GoToPly(ply + 1); return true;
  case ButtonForwardTwo: GoToPly(ply + 2); return true;
  case ButtonLast: GoToPly(LastPly); return true;
  default: return false;
  }
}

bool SelectMoveLine(int line) {
  if (EngineBusy == 1 || line < 0) return false;
  GoToPly(2 * line + 2);
  return true;
}

bool GoToMove(int move) {
  if (EngineBusy == 1 || move < 1) return false;
  GoToPly(move + 1); // the replay counts plies from the record's start
  return true;
}

int ClickSquare(int file, int row) {
  if (EngineBusy == 1 || file < 0 || file > 7 || row < 0 || row > 7 || !NetClickAllowed()) return 0;
  int moved = 0;
  if (controller.selectedSquare < NoSelection) {
    const int from = controller.selectedSquare;
    // The promotion question is asked before the move is handed over: the hand-over holds the
    // game lock, and a question answered there would keep the window from drawing the board.
    int choice = Queen;
    if (IsPromotion(GamePositionNow(), from % 8, from / 8, file, row)) {
      choice = CurrentFrontend().AskPromotion();
      if (choice < Bishop || choice > Queen) choice = Queen;
    }
    PromotionChoice = choice;
    moved = HumanMoveEntered(from % 8, from / 8, file, row, 0);
    PromotionChoice = Queen;
    if (moved) controller.selectedSquare = JustMoved;
  }
  const Position now = GamePositionNow();
  const int code = now.board[SquareOf(file, row)];
  if (code != Empty) {
    if (controller.selectedSquare == JustMoved) {
      controller.selectedSquare = NoSelection;
      return moved;
    }
    const int owner = code >= BlackOffset ? Black : White;
    if (owner != now.sideToMove) return moved;
    controller.selectedSquare = file + 8 * row;
    CurrentFrontend().RefreshBoard();
  }
  if (controller.selectedSquare == JustMoved) controller.selectedSquare = NoSelection;
  return moved;
}

int MainWindowKey(char key) {
  if (EngineBusy == 1) return 0;
  if (key >= 'a' && key <= 'z') key = static_cast<char>(key - 'a' + 'A');
  switch (key) {
  case 'L': return command::NextPgnGame;
  case 'K': return command::PreviousPgnGame;
  case 'C': return command::CopyGameState;
  case 'V': return command::PasteGameState;
  default: break;
  }
  if (key >= '1' && key <= '5') BookAdd(GamePositionNow(), key - '3', false);
  else if (key == '6') BookRemove(GamePositionNow(), false);
  return 0;
}

void ShowBookMoves() {
  if (EngineBusy == 1) return;
  static BookMoveList list;
  const int count = ShowBookMoveCount(GamePositionNow(), list);
  controller.bookFrames.clear();
  for (int i = 0; i < count; ++i) {
    const Move move = list.Candidate(i);
    if (IsCastling(move)) controller.bookFrames.emplace_back(-1, SquareIndex(MoveTo(move)));
    else controller.bookFrames.emplace_back(SquareIndex(MoveFrom(move)), SquareIndex(MoveTo(move)));
  }
  CurrentFrontend().RefreshBoard();
}

void BoardChangedByEngine() {
  const Position now = GamePositionNow();
  // Told before the move is on the board: the next word from the engine looks again.
  controller.engineMoveAwaited = std::memcmp(&now, &controller.known, sizeof now) == 0;
  if (controller.engineMoveAwaited) return;
  controller.bookFrames.clear();
  controller.known = now;
}

void BoardChangedHere() {
  const Position now = GamePositionNow();
  // A redraw of the same position (a selection, the board turned) keeps the frames.
  controller.engineMoveAwaited = false;
  if (std::memcmp(&now, &controller.known, sizeof now) == 0) return;
  controller.known = now;
  ClearFrames();
}

void ClearFrames() {
  controller.bookFrames.clear();
}

std::vector<int> ChangedSquares(const Position& a, const Position& b) {
  std::vector<int> squares;
  for (int index = 0; index < 64; ++index) {
    const int square = SquareOf(index % 8, index / 8);
    if (a.board[square] != b.board[square]) squares.push_back(index);
  }
  return squares;
}

namespace {

// The network client sits beside this controller and reaches it through these.
const bool NetGameHooksInstalled = [] {
  NetGameHooks& hooks = CurrentNetGameHooks();
  hooks.withEngineStopped = WithEngineStopped;
  hooks.seatTaken = [](int colour) { controller.boardFlipped = colour == NetBlack ? 1 : 0; };
  hooks.opponentMoved = BoardChangedByEngine;
  return true;
}();

} // namespace

} // namespace kestrin
