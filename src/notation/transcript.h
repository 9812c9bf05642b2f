// The move list of the side panel, kept here as lines of text (one per full move) that a
// window mirrors when told the list changed; and the whole record as plain text.
#pragma once

#include <string>
#include <vector>

namespace kestrin {

struct GameHistory;

// After a move (flag 1) adds or completes the line of the move just made; with either
// flag selects the line of the game position's move.
void AddTranscriptLine(int flag);
// Refills the list for n + 1 recorded plies; callers pass the game position's ply minus 2.
void RebuildTranscript(int n);
// Cuts the list back to the game position's move before the engine plays from inside the record.
void TrimTranscript();
void ClearTranscript();

// A copy of the lines, and the selected line (-1 when none), for whoever draws them.
std::vector<std::string> TranscriptLines();
int TranscriptSelection();

// The record's moves, one full move per line ("1. e2-e4  e7-e5  \n2. Ng1-f3 "); a game that
// began with Black to move opens with "1... ". Stops before a ply once `limit` characters are written.
std::string RecordMoveText(const GameHistory& record, std::size_t limit = std::string::npos);
// The same (nullptr: the main record) in `buffer`, always
// zero-terminated, stopping before a move that might not fit; returns the length.
int TranscriptToText(const GameHistory* history, char* buffer, int bufferSize);

} // namespace kestrin
