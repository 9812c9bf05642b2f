// Basic codes of the board: squares, pieces, sides, moves.
#pragma once

#include <cstdint>

namespace kestrin {

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using u64 = std::uint64_t;
using i16 = std::int16_t;
using i32 = std::int32_t;

// Sides.
constexpr int White = 1;
constexpr int Black = 2;

// Piece codes: code & 7 is the type, 8 and up on a playing square is Black.
constexpr u8 Empty = 0;
constexpr u8 OffBoard = 8;
constexpr int Pawn = 2;
constexpr int Bishop = 3;
constexpr int Knight = 4;
constexpr int Rook = 5;
constexpr int Queen = 6;
constexpr int King = 7;
constexpr int BlackOffset = 8;

constexpr u8 WhitePawn = 2, WhiteBishop = 3, WhiteKnight = 4, WhiteRook = 5, WhiteQueen = 6, WhiteKing = 7;
constexpr u8 BlackPawn = 10, BlackBishop = 11, BlackKnight = 12, BlackRook = 13, BlackQueen = 14, BlackKing = 15;

// Text form of a code at index code + 8; index 2..7 are the move-text piece letters.
constexpr const char* PieceCharacters = "..pBNRQK..PBNRQK..pbnrqk.";
inline char PieceChar(int code) { return PieceCharacters[code + 8]; }

// Squares of the 10-wide mailbox: a8 = 22, h8 = 29, a1 = 92, h1 = 99.
constexpr int BoardSize = 122;
constexpr u8 NoSquare = 1;     // empty piece-list slot
constexpr u8 NoEpSquare = 120; // no en-passant square

constexpr int SquareOf(int file, int rowFromTop) { return 22 + file + 10 * rowFromTop; }
constexpr int SquareAt(int file, int rank) { return 22 + file + 10 * (8 - rank); }

constexpr int A8 = 22, B8 = 23, C8 = 24, D8 = 25, E8 = 26, F8 = 27, G8 = 28, H8 = 29;
constexpr int A1 = 92, B1 = 93, C1 = 94, D1 = 95, E1 = 96, F1 = 97, G1 = 98, H1 = 99;

// Moves: from (or a castling code) in bits 0-7, to in 8-15, piece-list slot in 16-23.
using Move = u32;
constexpr int CastleWhiteShort = 124;
constexpr int CastleWhiteLong = 125;
constexpr int CastleBlackShort = 126;
constexpr int CastleBlackLong = 127;
constexpr int FirstCastleCode = 120; // any from-field at or above this is castling
constexpr int KingSlot = 15;
constexpr int QueenSlot = 14;

constexpr int MoveFrom(Move m) { return m & 0xFF; }
constexpr int MoveTo(Move m) { return (m >> 8) & 0xFF; }
constexpr int MoveSlot(Move m) { return (m >> 16) & 0xFF; }
constexpr bool IsCastling(Move m) { return MoveFrom(m) >= FirstCastleCode; }
constexpr Move MakeMoveWord(int from, int to, int slot) { return Move(from | (to << 8) | (slot << 16)); }

// The short form the search keeps (hash move, killers, best move): from | to << 8.
constexpr u16 NoMove16 = 0xFFFF;
constexpr u16 LowMove(Move m) { return static_cast<u16>(m & 0xFFFF); }

// Move classes returned by MakeMove.
constexpr u32 ClassOrdinary = 31001;
constexpr u32 ClassEnPassant = 30997;
constexpr u32 ClassPawnTo7th = 31002;
constexpr u32 ClassPawnTo6th = 31003;
constexpr u32 ClassCastling = 0;

} // namespace kestrin
