#include "game/commands.h"

#include <string_view>

#include "game/controller.h"
#include "game/windowcommands.h"
#include "net/client.h"
#include "platform/settings.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/output.h"

namespace kestrin {

const std::vector<MenuItem>& MenuTable() {
  // "Set&up Board" has no command.
  static const std::vector<MenuItem> table = {
      {"&File", "&New", command::New, false, true},
      {"&File", "&Load PGN", command::LoadPgn, false, true},
      {"&File", "Next &Game in PGN file (L)", command::NextPgnGame, false, true},
      {"&File", "Previous &Game in PGN file (K)", command::PreviousPgnGame, false, true},
      {"&File", "&Append (Save) Game to File", command::AppendGame, false, true},
      {"&File", nullptr, 0, false, true},
      {"&File", "E&xit", command::Exit, false, true},
      {"&Edit", "Take &Back Move", command::TakeBack, false, true},
      {"&Edit", "Re&do Move", command::Redo, false, true},
      {"&Edit", nullptr, 0, false, true},
      {"&Edit", "&Copy Game State (c)", command::CopyGameState, false, true},
      {"&Edit", "&Paste Game State (v)", command::PasteGameState, false, true},
      {"&Edit", "&Undo Paste Game State", command::UndoPasteGameState, false, true},
      {"&Edit", nullptr, 0, false, true},
      {"&Edit", "Copy Transcript to Clipboard", command::CopyTranscript, false, true},
      {"&Edit", "Paste &Transcript from Clipboard", command::PasteTranscript, false, true},
      {"&Edit", "Copy Position from Clipboard", command::CopyPosition, false, true},
      {"&Edit", "Paste P&osition from Clipboard", command::PastePosition, false, true},
      {"&Edit", "Paste &Game or Position", command::Paste, false, true},
      {"&Edit", nullptr, 0, false, true},
      {"&Edit", "Set&up Board", command::SetupBoard, false, false},
      {"&Game", "&Restart", command::New, false, true},
      {"&Game", nullptr, 0, false, true},
      {"&Game", "Computer Plays &Black", command::ComputerBlack, true, true, true},
      {"&Game", "Computer Plays &White", command::ComputerWhite, true, true, true},
      {"&Game", "&Two Player", command::TwoPlayer, true, true, true},
      {"&Game", "Start &Computer Selfplay", command::Selfplay, true, true, true},
      {"&Game", nullptr, 0, false, true},
      {"&Game", "&Analyze", command::Analyze, false, true},
      {"&Game", nullptr, 0, false, true},
      {"&Game", "Set Time Control", command::SetTimeControl, false, true},
      {"&Game", "&Reset Clock", command::ResetClock, false, true},
      {"&Game", "Player Info", command::PlayerInfo, false, true},
      {"&Level", "&1 ply", 151, true, true},
      {"&Level", "&2 ply", 152, true, true},
      {"&Level", "&3 ply", 153, true, true},
      {"&Level", "&4 ply", 154, true, true},
      {"&Level", "&5 ply", 155, true, true},
      {"&Level", "&6 ply", 156, true, true},
      {"&Level", "&7 ply", 157, true, true},
      {"&Level", "&8 ply", 158, true, true},
      {"&Level", "&26 ply", command::Ply26, true, true},
      {"&Level", "User Defined Level", command::UserLevel, true, true},
      {"&Level", nullptr, 0, false, true},
      {"&Level", "&Ponder Next Move", command::Ponder, true, true},
      {"&Options", "Display Search &Info", command::SearchInfo, true, true},
      {"&Options", "Give Evals from &White's POV", command::WhitePov, true, true},
      {"&Options", "&Highlight Last Move", command::Highlight, true, true},
      {"&Options", "&Flip Board", command::Flip, true, true},
      {"&Options", "Show &Coordinates", command::Coordinates, true, true},
      {"&Options", "Short &Algebraic Notation", command::ShortNotation, true, true},
      {"&Options", nullptr, 0, false, true},
      {"&Options", "&Size Window to Default", command::DefaultSize, false, true},
      {"&Book", "Load Opening Book", command::LoadBook, false, true},
      {"&Book", "Save Opening Book", command::SaveBook, false, true},
      {"&Book", "Clear Opening Book", command::ClearBook, false, true},
      {"&Book", nullptr, 0, false, true},
      {"&Book", "Book Edit/PGN to Book", command::BookEdit, false, true},
      {"&Book", nullptr, 0, false, true},
      {"&Book", "Book Value -2", command::FirstBookValue, false, true},
      {"&Book", "Book Value -1", command::FirstBookValue + 1, false, true},
      {"&Book", "Book Value 0", command::FirstBookValue + 2, false, true},
      {"&Book", "Book Value +1", command::FirstBookValue + 3, false, true},
      {"&Book", "Book Value +2", command::FirstBookValue + 4, false, true},
      {"&Book", "Remove Position from Book", command::RemoveFromBook, false, true},
      {"&Hashing", "&Hash/Transposition On", command::HashOn, true, true},
      {"&Hashing", "Clear Hash", command::ClearHash, false, true},
      {"&Hashing", nullptr, 0, false, true},
      {"&Hashing", "6 MB", 1234, true, true},
      {"&Hashing", "12 MB", 1235, true, true},
      {"&Hashing", "24 MB", 1236, true, true},
      {"&Hashing", "48 MB", 1237, true, true},
      {"&Hashing", "96 MB", 1238, true, true},
      {"&Hashing", "192 MB", 1239, true, true},
      {"&Develop", "Display PV", command::DisplayPv, false, true},
      {"&Develop", "Play PV", command::PlayPv, false, true},
      {"&Develop", "Display TT Entry", command::DisplayTtEntry, false, true},
      {"&Develop", nullptr, 0, false, true},
      {"&Develop", "Display Board Flags", command::BoardFlags, false, true},
      {"&Develop", "Display Eval", command::DisplayEval, false, true},
      {"&Develop", nullptr, 0, false, true},
      {"&Develop", "Experiment", command::Experiment, true, true},
      {"&Internet", "&New Game", command::NetNewGame, false, true},
      {"&Internet", "&Continue Game", command::NetContinue, false, true},
      {"&Internet", "Offer/Accept &Draw", command::NetDraw, false, true},
      {"&Internet", "&Resign", command::NetResign, false, true},
      {"&Internet", "&Join Table", command::NetJoinTable, false, true},
      {"&Internet", nullptr, 0, false, true},
      {"&Internet", "Connect", command::NetConnect, false, true},
      {"&Internet", "Start Server", command::NetStartServer, false, true},
      {"&Internet", "Disconnect", command::NetDisconnect, false, true},
      {"&Internet", nullptr, 0, false, true},
      {"&Internet", "&Tell me My IP", command::NetMyAddress, false, true},
      {"&Help", "&Keyboard Shortcuts", command::KeyboardShortcuts, false, true},
      {"&Help", "&About Kestrin Chess", command::About, false, true},
  };
  return table;
}

bool MenuChecked(int id) {
  if (IsWindowCommand(id)) return WindowCommandChecked(id);
  switch (id) {
  case command::ComputerBlack: return HumanSide == 1;
  case command::ComputerWhite: return HumanSide == 2;
  case command::TwoPlayer: return HumanSide == 3;
  case command::Selfplay: return HumanSide == 4;
  case command::SearchInfo: return settings.showSearchInfo != 0;
  case command::Ponder: return settings.ponderEnabled != 0;
  case command::WhitePov: return settings.whitePovEvals != 0;
  case command::Highlight: return settings.highlightLastMove != 0;
  case command::Flip: return controller.boardFlipped != 0;
  case command::HashOn: return searchSettings.hashingOn != 0;
  case command::Experiment: return controller.experiment != 0;
  default: break;
  }
  if ((id >= command::FirstPly && id <= command::UserLevel) || id == command::Ply26)
    return controller.levelItem == id;
  if (id >= command::FirstHashSize && id <= command::LastHashSize)
    return settings.hashSizeExponent + command::HashSizeIdOffset == id;
  return false;
}

bool MenuEnabled(int id) {
  if (IsWindowCommand(id)) return WindowCommandEnabled(id);
  for (const MenuItem& item : MenuTable())
    if (item.text && item.id == id)
      return item.menu == std::string_view("&Internet") ? NetCommandEnabled(id) : item.available;
  return false;
}

} // namespace kestrin
