// The main window's commands: their ids, and the menu table every window builds its menus from.
#pragma once

#include <vector>

namespace kestrin {

// Command ids of the main window's menus.
namespace command {
constexpr int New = 21;
constexpr int LoadPgn = 40009;
constexpr int NextPgnGame = 40010;
constexpr int PreviousPgnGame = 40024;
constexpr int AppendGame = 40011;
constexpr int Exit = 24;
constexpr int ComputerBlack = 41;
constexpr int ComputerWhite = 40;
constexpr int TwoPlayer = 42;
constexpr int Selfplay = 43;
constexpr int Analyze = 40055;
constexpr int CopyGameState = 101;
constexpr int PasteGameState = 102;
constexpr int UndoPasteGameState = 103;
constexpr int CopyTranscript = 40006;
constexpr int PasteTranscript = 40004;
constexpr int CopyPosition = 40058;
constexpr int PastePosition = 40051;
constexpr int SetupBoard = 46;
constexpr int UserLevel = 159;
constexpr int SearchInfo = 73;
constexpr int Ponder = 40049;
constexpr int FirstPly = 151; // "&1 ply" .. "&8 ply" are 151 .. 158
constexpr int LastPly = 158;
constexpr int Ply26 = 160;
constexpr int SetTimeControl = 61;
constexpr int ResetClock = 40057;
constexpr int PlayerInfo = 40023;
constexpr int Highlight = 71;
constexpr int Flip = 76;
constexpr int DefaultSize = 40053;
constexpr int WhitePov = 40059;
constexpr int NetNewGame = 40016;
constexpr int NetContinue = 40020;
constexpr int NetDraw = 40018;
constexpr int NetResign = 40019;
constexpr int NetJoinTable = 40026;
constexpr int NetConnect = 40012;
constexpr int NetStartServer = 40014;
constexpr int NetDisconnect = 40013;
constexpr int NetMyAddress = 40056;
constexpr int BookEdit = 40054;
constexpr int LoadBook = 40002;
constexpr int SaveBook = 40041;
constexpr int ClearBook = 40040;
constexpr int DisplayPv = 40003;
constexpr int PlayPv = 40060;
constexpr int DisplayTtEntry = 40061;
constexpr int BoardFlags = 40005;
constexpr int DisplayEval = 40052;
constexpr int Experiment = 40001;
constexpr int HashOn = 74;
constexpr int ClearHash = 75;
constexpr int FirstHashSize = 1234; // "6 MB" .. "192 MB": table size exponent = id - 1215
constexpr int LastHashSize = 1239;
constexpr int HashSizeIdOffset = 1215;
} // namespace command

struct MenuItem {
  const char* menu;  // the menu's title; items of one menu are consecutive
  const char* text;  // with "&" before the mnemonic; nullptr for a separator
  int id;
  bool checkable;
  bool available;    // false: shown disabled (a command this window does not offer yet)
  bool radio = false; // one of a group of which exactly one is checked (the game modes)
};

// Every menu item in display order.
const std::vector<MenuItem>& MenuTable();

// Whether the item `id` shows a check mark now, from the settings and the controller state.
bool MenuChecked(int id);
// Whether the command `id` can be chosen now.
bool MenuEnabled(int id);

} // namespace kestrin
