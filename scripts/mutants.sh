#!/usr/bin/env bash
# Planted faults: how many of them does the test suite catch?
#
#   scripts/mutants.sh [--tree DIR] [--only ID,ID...] [--list]
#
# Copies the source tree (default: the repository this script is in; build folders and .git left
# out) to ${TMPDIR:-/tmp}/kestrin-mutants, builds it once (Release, Ninja) and runs the suite once
# untouched. Then, one fault at a time: puts the fault in, rebuilds, runs
#   ctest -LE interop --stop-on-failure --timeout 300 -j 2
# and puts the file back. Each fault ends as
#   killed       it built and a test failed (or a generator run by the build refused it);
#   survived     it built and every test passed;
#   not applied  its text is not found exactly once: the code has moved under it, mend the list;
#   no build     it does not compile: mend the list.
# The kill rate is killed / (killed + survived). The run is a measurement: it exits 0 whatever
# the faults do, and never writes to the tree it copies from.
# --list shows the faults and whether each one's text is still found exactly once, without building.
set -uo pipefail

usage() { sed -n '4p' "$0" | sed 's/^# *//'; }

script_dir=$(cd "$(dirname "$0")" && pwd)
tree=$(cd "$script_dir/.." && pwd)
only=""
list_only=0
while [ $# -gt 0 ]; do
  case $1 in
    --tree) [ $# -ge 2 ] || { usage >&2; exit 2; }; tree=$2; shift 2 ;;
    --tree=*) tree=${1#--tree=}; shift ;;
    --only) [ $# -ge 2 ] || { usage >&2; exit 2; }; only=$2; shift 2 ;;
    --only=*) only=${1#--only=}; shift ;;
    --list) list_only=1; shift ;;
    -h|--help) usage; exit 0 ;;
    *) echo "mutants.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
done
if [ ! -f "$tree/CMakeLists.txt" ] || [ ! -d "$tree/src" ]; then
  echo "mutants.sh: $tree is not a Kestrin Chess source tree" >&2
  exit 2
fi
tree=$(cd "$tree" && pwd)

# ---------------------------------------------------------------------------------------------
# The faults: id, subsystem, file, text found exactly once in it, its replacement, what goes wrong.
ids=() areas=() files=() olds=() news=() descs=()
fault() { ids+=("$1"); areas+=("$2"); files+=("$3"); olds+=("$4"); news+=("$5"); descs+=("$6"); }

fault attacks-black-pawn "board attacks" src/board/attacks.cpp \
  'pawnB = Offset == 0 ? 11 : -9;' \
  'pawnB = Offset == 0 ? 11 : -10;' \
  "a Black pawn is taken to attack the square straight ahead instead of one diagonal"
fault attacks-pin-line "board attacks" src/board/attacks.cpp \
  'if (d == 0 || d == DirectionOf(king, to)) return 0;' \
  'if (d == 0) return 0;' \
  "a pinned man moving along its pin line is refused as exposing its king"
fault tables-knight-step "board tables" src/board/tables.cpp \
  'for (int d : {-21, -19, -12, -8, 8, 12, 19, 21}) KnightStep[d] = 1;' \
  'for (int d : {-21, -19, -12, -8, 8, 12, 21}) KnightStep[d] = 1;' \
  "the knight-step table lacks +19, so one direction of knight check goes unseen"
fault tables-black-placement "board tables" src/board/tables.cpp \
  'PieceSquareTable[type + BlackOffset][SquareOf(file, 7 - row)] = -value;' \
  'PieceSquareTable[type + BlackOffset][SquareOf(file, row)] = -value;' \
  "Black's piece placement values are not mirrored top to bottom"

fault movegen-h7-double-step "move generation" src/board/movegen.cpp \
  'from >= 82 : from <= 41; }' \
  'from >= 82 : from <= 38; }' \
  "the h7 pawn may not make its double step"
fault movegen-castle-b1 "move generation" src/board/movegen.cpp \
  'b[B1 + shift] == Empty && ' \
  '' \
  "long castling is allowed with a man standing on b1/b8"
fault movegen-castle-f1 "move generation" src/board/movegen.cpp \
  '!IsSquareAttacked(p, F1 + shift, Side))' \
  '!IsSquareAttacked(p, G1 + shift, Side))' \
  "short castling is allowed across an attacked f1/f8"
fault movegen-capture-promotion "move generation" src/board/movegen.cpp \
  'if (C::OnSeventh(from) && board[from + C::Forward] == Empty) out.Capture(partial, from + C::Forward);' \
  '' \
  "the capture generator leaves out pawn pushes that promote"

fault makemove-corner-capture "making moves" src/board/makemove.cpp \
  'if (from == shortCorner || to == shortCorner) state |= 2;' \
  'if (from == shortCorner) state |= 2;' \
  "taking the rook in its h-corner leaves that side its short castling right"
fault makemove-ep-square "making moves" src/board/makemove.cpp \
  'p.epSquare = u8(from - 10);' \
  'p.epSquare = u8(from - 11);' \
  "White's double step records the wrong en-passant square"
fault makemove-capture-clock "making moves" src/board/makemove.cpp \
  $'p.irreversiblePly = static_cast<u16>(p.plyCount + 1);\n    const bool whiteVictim' \
  'const bool whiteVictim' \
  "a capture does not restart the fifty-move count"
fault makemove-black-promotion "making moves" src/board/makemove.cpp \
  'p.materialScore = static_cast<i16>(p.materialScore + 100 - PieceValue[promotionType]);' \
  'p.materialScore = static_cast<i16>(p.materialScore - 100 - PieceValue[promotionType]);' \
  "a Black promotion counts the vanished pawn the wrong way in the material score"

fault gameend-fifty-moves "game-end rules" src/board/gameend.cpp \
  '} else if (position.plyCount - position.irreversiblePly >= 100) {' \
  '} else if (position.plyCount - position.irreversiblePly > 100) {' \
  "the fifty-move draw comes one ply late"
fault gameend-two-minors "game-end rules" src/board/gameend.cpp \
  '(p.whitePieces == 0 || p.blackPieces == 0) && pieces <= 1 &&' \
  '(p.whitePieces == 0 || p.blackPieces == 0) && pieces <= 2 &&' \
  "king and two minor pieces against a bare king is called a draw"
fault gameend-mate-winner "game-end rules" src/board/gameend.cpp \
  'result = position.sideToMove == Black ? WhiteWon : BlackWon;' \
  'result = position.sideToMove == Black ? BlackWon : WhiteWon;' \
  "a checkmate is scored as a win for the mated side"
fault gameend-repetition "game-end rules" src/board/gameend.cpp \
  '} else if (repetitions > 1) {' \
  '} else if (repetitions > 0) {' \
  "the game is drawn when a position stands for the second time, not the third"

fault moveentry-file-hint "move entry" src/notation/moveentry.cpp \
  'if (fileGiven) return FileOf[mFrom] == fromFile + 1;' \
  'if (fileGiven) return FileOf[mFrom] == fromFile;' \
  "a file naming which man moves (Nbd2) picks the man one file to the left"
fault moveentry-black-long-castle "move entry" src/notation/moveentry.cpp \
  'to = step > 0 ? G8 : C8;' \
  'to = step > 0 ? G8 : B8;' \
  "Black's long castling entered as a king move is refused"

fault keys-castling-rook "keys/transposition table" src/board/keys.cpp \
  'for (int i = 0; i < 4; ++i) {' \
  'for (int i = 0; i < 2; ++i) {' \
  "the incremental key leaves out the castling rook and the pawn taken en passant"
fault tt-bound-swap "keys/transposition table" src/search/transposition.cpp \
  'e.bound = value <= alpha ? BoundUpper : value >= beta ? BoundLower : BoundExact;' \
  'e.bound = value <= alpha ? BoundLower : value >= beta ? BoundUpper : BoundExact;' \
  "table entries keep upper and lower bounds the wrong way round"
fault tt-replacement "keys/transposition table" src/search/transposition.cpp \
  'TTEntry& e = depth < bucket->a.depth && bucket->a.age == generation ? bucket->b : bucket->a;' \
  'TTEntry& e = depth > bucket->a.depth && bucket->a.age == generation ? bucket->b : bucket->a;' \
  "a shallow result of the running search overwrites the deeper entry"
fault tt-mate-distance "keys/transposition table" src/search/transposition.cpp \
  '(15 - ply - size) & 0xFF' \
  '(16 - ply - size) & 0xFF' \
  "mate scores come back from the table one ply off"

fault ordering-worst-first "move ordering" src/search/ordering.cpp \
  'while (j >= first && scores[j] < s) {' \
  'while (j >= first && scores[j] > s) {' \
  "captures and history-ordered moves are tried worst first"
fault ordering-killer-captures "move ordering" src/search/ordering.cpp \
  'if (p.board[to] != Empty) return;' \
  'if (p.board[to] == Empty) return;' \
  "captures instead of quiet moves become killers and earn history"

fault quiescence-check-flag "quiescence" src/search/quiescence.cpp \
  'search.plies[q + 1].list.inCheck = static_cast<u32>(CountChecksGiven(side, pos, m, moveClass));' \
  'search.plies[q + 1].list.inCheck = 0;' \
  "a capture that gives check leaves the reply's check flag clear, so illegal replies are searched"
fault quiescence-black-futility "quiescence" src/search/quiescence.cpp \
  '(w >= 2 && estimate >= beta + DeltaMargin)' \
  '(w >= 2 && estimate >= beta - DeltaMargin)' \
  "Black passes over captures that could still bring the score under beta"

fault search-stalemate "main search" src/search/alphabeta.cpp \
  'else if (best == NoScoreWhite * sign) return search.drawScore;' \
  'else if (best == NoScoreWhite * sign) return best;' \
  "a stalemate inside the search scores as a loss for the stalemated side"
fault search-mate-score "main search" src/search/alphabeta.cpp \
  'return (p - MateValue) * sign;' \
  'return (p + 1 - MateValue) * sign;' \
  "a mate found by the search is scored one ply further off than it is"
fault search-null-in-check "main search" src/search/alphabeta.cpp \
  'node.list.inCheck == 0 && depth >= 3' \
  'depth >= 3' \
  "the null move is tried while in check"

fault think-white-clock "think/time" src/search/think.cpp \
  '(side == White ? whiteUsed : blackUsed);' \
  '(side == White ? blackUsed : whiteUsed);' \
  "White's time for a move is budgeted from the time Black has used"
fault think-null-move-endings "think/time" src/search/think.cpp \
  '(p.whitePieces == 0 || p.blackPieces == 0) ? 1 : 0;' \
  '(p.whitePieces == 0 || p.blackPieces == 0) ? 0 : 0;' \
  "the null move stays on against a bare king, where zugzwang decides the mate"

fault eval-black-shield "evaluation" src/eval/evaluate.cpp \
  'if (pawn(blackKing + 10, blackKing + 20)) shields -= 16;' \
  'if (pawn(blackKing + 10, blackKing + 20)) shields += 16;' \
  "a pawn in front of Black's castled king counts against Black"
fault eval-rook-files "evaluation" src/eval/evaluate.cpp \
  '((enemyFiles & bit) ? 15 : 25)' \
  '((enemyFiles & bit) ? 25 : 15)' \
  "a rook on a half-open file scores more than one on an open file"
fault eval-queen-tropism "evaluation" src/eval/evaluate.cpp \
  'score -= QueenTropism[KingDistance(b[QueenSlot], whiteKing)];' \
  'score -= QueenTropism[KingDistance(b[QueenSlot], blackKing)];' \
  "Black's queen is drawn toward its own king instead of White's"

fault pawns-black-passed "pawn structure" src/eval/pawns.cpp \
  'term += PassedPawnBonus[9 - r];' \
  'term += PassedPawnBonus[r];' \
  "a Black passed pawn earns the bonus of its rank counted from White's side"
fault pawns-doubled "pawn structure" src/eval/pawns.cpp \
  'penalty += 15 * (own.count[f] - 1);' \
  'penalty += 15 * own.count[f];' \
  "every pawn pays the doubled-pawn penalty, not only the extra ones on a file"

fault endgame-kbn-corner "endgame rules" src/eval/endgame.cpp \
  'return IsLightSquare(bishopSquare) ? KbnCorner[loneKing] : KbnCorner[MirroredSquare(loneKing)];' \
  'return IsLightSquare(bishopSquare) ? KbnCorner[MirroredSquare(loneKing)] : KbnCorner[loneKing];' \
  "bishop and knight drive the lone king to the corner the bishop cannot cover"
fault endgame-rook-pawn-bishop "endgame rules" src/eval/endgame.cpp \
  '(whiteHasBishop && !IsLightSquare(whiteBishop))) && (pawns.flags & WhitePawnsOnA)' \
  '(whiteHasBishop && IsLightSquare(whiteBishop))) && (pawns.flags & WhitePawnsOnA)' \
  "an a-pawn with the bishop that covers a8 is scored as a draw, the wrong bishop as a win"

fault kpk-black-side-to-move "KPK" src/eval/kpk.cpp \
  'pawn, p.sideToMove == Black, score, -500);' \
  'pawn, p.sideToMove == White, score, -500);' \
  "a Black king-and-pawn ending is looked up with the other side to move"

fault fen-black-long-castle "FEN" src/notation/fen.cpp \
  "case 'q': p.castleState[1] &= 2; break;" \
  "case 'q': p.castleState[1] &= 1; break;" \
  "the FEN castling letter q gives Black the short castling right"
fault fen-ep-square "FEN" src/notation/fen.cpp \
  'int pawnSquare = whiteToMove ? ep + 10 : ep - 10;' \
  'int pawnSquare = whiteToMove ? ep - 10 : ep + 10;' \
  "a FEN en-passant square is never accepted"

fault movetext-castle-side "move text" src/notation/movetext.cpp \
  '(at(3) == '\''-'\'' && IsCastlingMark(at(4)) ? -2 : 2)' \
  '(at(3) == '\''-'\'' && IsCastlingMark(at(4)) ? 2 : -2)' \
  "O-O is read as O-O-O and the other way round"
fault movetext-bishop-promotion "move text" src/notation/movetext.cpp \
  'if (promotion >= Bishop && promotion <= Queen) PromotionChoice = promotion;' \
  'if (promotion > Bishop && promotion <= Queen) PromotionChoice = promotion;' \
  "a promotion written =B makes a queen"
fault movetext-capture-mark "move text" src/notation/movetext.cpp \
  "*out++ = before.board[to] != Empty ? 'x' : '-';" \
  "*out++ = before.board[to] == Empty ? 'x' : '-';" \
  "recorded moves mark captures with - and quiet moves with x"

fault pgn-variations "PGN reading/writing" src/notation/movetextblock.cpp \
  "case '(': SkipNested('(', ')'); return true;" \
  '' \
  "the moves of a (variation) are played as moves of the game"
fault pgn-append-replaces "PGN reading/writing" src/notation/pgn.cpp \
  'if (append == 1) {' \
  'if (append == 2) {' \
  "saving a game to the end of a file wipes the games already in it"

fault pgntag-result-written "PGN tags" src/notation/pgn.cpp \
  'case 2: return "0-1";' \
  'case 2: return "1-0";' \
  "a game Black won is saved with the Result tag 1-0"
fault pgntag-current-ply "PGN tags" src/notation/pgn.cpp \
  'PositionAtPly(gamePosition, info.currentPly);' \
  'PositionAtPly(gamePosition, info.currentPly - 1);' \
  "a loaded game stands one ply before the one its Current Ply tag names"
fault pgntag-elo-side "PGN tags" src/notation/pgn.cpp \
  'white = players.playerName, black = PgnEngineName, whiteElo = players.eloRating;' \
  'white = players.playerName, black = PgnEngineName, blackElo = players.eloRating;' \
  "a human playing White has the rating written as BlackElo"

fault history-clock-side "transcript/history" src/notation/history.cpp \
  '(ply % 2 == 1 ? whiteUsed : blackUsed).fetch_add(elapsed);' \
  '(ply % 2 == 0 ? whiteUsed : blackUsed).fetch_add(elapsed);' \
  "the time a move took is charged to the other side's clock"
fault history-replay-ply "transcript/history" src/notation/history.cpp \
  'for (int k = 1; k < n && k <= count; ++k)' \
  'for (int k = 1; k <= n && k <= count; ++k)' \
  "going back to ply n replays one move too many"
fault transcript-move-numbers "transcript/history" src/notation/transcript.cpp \
  'i / 2 + 1)' \
  'i / 2)' \
  "the game text copied out numbers the moves from 0"

fault book-choice-black "opening book" src/book/bookchoice.cpp \
  'if (white ? value >= 0 : value <= 0) kept[keptCount++] = i;' \
  'if (white ? value >= 0 : value >= 0) kept[keptCount++] = i;' \
  "Black plays book moves marked good for White"
fault book-save-sign "opening book" src/book/book.cpp \
  'PutU16(record + 6, static_cast<u16>(value));' \
  'PutU16(record + 6, static_cast<u16>(-value));' \
  "a saved book file holds every value with its sign turned"

fault bookbuild-winner "book building" src/book/bookbuild.cpp \
  'const bool moverWon = position.sideToMove == Black ? whiteWon : blackWon;' \
  'const bool moverWon = position.sideToMove == Black ? blackWon : whiteWon;' \
  "positions of the winning side are taken from the loser's moves"
fault bookbuild-first-move "book building" src/book/bookbuild.cpp \
  'if (i < 2 * fromMove - 2) continue;' \
  'if (i < 2 * fromMove - 1) continue;' \
  "White's move at the first move of the range is left out of the book"
fault bookbuild-threshold "book building" src/book/book.cpp \
  'if (value >= 100 + threshold) value = 0;' \
  'if (value > 100 + threshold) value = 0;' \
  "positions met exactly the required number of times are left out of the book"

fault winboard-undo "winboard protocol" src/winboard/protocol.cpp \
  'if (is("undo")) TakeBackPlies(1);' \
  'if (is("undo")) TakeBackPlies(2);' \
  "undo takes back two plies"
fault winboard-go-side "winboard protocol" src/winboard/protocol.cpp \
  'HumanSide = playingSide = GameCopy().sideToMove == Black ? 1 : 2;' \
  'HumanSide = playingSide = GameCopy().sideToMove == Black ? 2 : 1;' \
  "go gives the engine the side that is not to move, so it never moves"
fault winboard-force "winboard protocol" src/winboard/protocol.cpp \
  $'if (is("force")) {\n    HumanSide = 3;' \
  $'if (is("force")) {\n    HumanSide = 1;' \
  "after force the engine still answers White's moves"
fault winboard-result-code "winboard protocol" src/winboard/protocol.cpp \
  'line.find("0-1") != std::string_view::npos ? BlackWon' \
  'line.find("0-1") != std::string_view::npos ? WhiteWon' \
  "a result 0-1 is saved as a White win"
fault winboard-mate-report "winboard protocol" src/winboard/output.cpp \
  'SendLine(p.sideToMove == Black ? "1-0 {White Mates}\n" : "0-1 {Black Mates}\n");' \
  'SendLine(p.sideToMove == White ? "1-0 {White Mates}\n" : "0-1 {Black Mates}\n");' \
  "a checkmate is announced with the mated side as the winner"
fault winboard-features "winboard protocol" src/winboard/output.cpp \
  'name=1 setboard=1 ping=1' \
  'name=1 ping=1' \
  "the feature line leaves out setboard, so an interface sets positions some other way"

fault settings-field-order "settings file" src/platform/settings.cpp \
  '&s.ponderEnabled,  &s.showSearchInfo,' \
  '&s.showSearchInfo,  &s.ponderEnabled,' \
  "the settings reader takes the ponder and search-information lines in swapped order"
fault settings-apply-increment "settings file" src/search/limits.cpp \
  'searchSettings.timeIncrement = settings.secondsPerMove;' \
  'searchSettings.timeIncrement = settings.gameMinutes;' \
  "the increment put in force is the game's minutes"

fault engine-ponder-hit "engine thread" src/search/engine.cpp \
  'sizeof(Position)) == 0 ? 2 : 3;' \
  'sizeof(Position)) == 0 ? 3 : 2;' \
  "a ponder hit is taken for a miss and a miss for a hit"
fault engine-move-now "engine thread" src/search/engine.cpp \
  'if (moveNow) AbortFlag = 1;' \
  'if (moveNow) AbortFlag = 3;' \
  "move now cancels the search without playing a move"
fault engine-whose-turn "engine thread" src/search/engine.cpp \
  '(human == 4 || human != GameSnapshot().sideToMove)' \
  '(human == 4 || human == GameSnapshot().sideToMove)' \
  "the engine thread plays when it is the human's turn"

# ---------------------------------------------------------------------------------------------

# How often `old` occurs in a file (0 when the file is missing).
occurrences() { # file old
  [ -f "$1" ] || { echo 0; return; }
  OLD=$2 perl -e '
    local $/; open my $h, "<", $ARGV[0] or die; my $t = <$h>; close $h;
    my ($n, $p) = (0, 0);
    while (($p = index($t, $ENV{OLD}, $p)) >= 0) { $n++; $p++; }
    print $n;' "$1"
}

# Replaces the single occurrence of `old` by `new`.
replace_once() { # file old new
  OLD=$2 NEW=$3 perl -e '
    local $/; open my $h, "<", $ARGV[0] or exit 3; my $t = <$h>; close $h;
    my $at = index($t, $ENV{OLD});
    exit 1 if $at < 0 || index($t, $ENV{OLD}, $at + 1) >= 0;
    substr($t, $at, length $ENV{OLD}) = $ENV{NEW};
    open $h, ">", $ARGV[0] or exit 3; print $h $t; close $h or exit 3;' "$1"
}

selected=()
if [ -n "$only" ]; then
  IFS=, read -r -a wanted <<<"$only"
  for w in "${wanted[@]}"; do
    found=-1
    for i in "${!ids[@]}"; do [ "${ids[$i]}" = "$w" ] && found=$i; done
    if [ "$found" -lt 0 ]; then
      echo "mutants.sh: no fault named $w (see --list)" >&2
      exit 2
    fi
    selected+=("$found")
  done
else
  selected=("${!ids[@]}")
fi

if [ "$list_only" = 1 ]; then
  printf '%-28s %-26s %-34s %s\n' id subsystem file "text found"
  for i in "${selected[@]}"; do
    n=$(occurrences "$tree/${files[$i]}" "${olds[$i]}")
    case $n in 1) state="once" ;; 0) state="NOT FOUND" ;; *) state="$n TIMES" ;; esac
    printf '%-28s %-26s %-34s %s\n' "${ids[$i]}" "${areas[$i]}" "${files[$i]}" "$state"
    printf '    %s\n' "${descs[$i]}"
  done
  echo "${#selected[@]} faults"
  exit 0
fi

# ---------------------------------------------------------------------------------------------
scratch=${TMPDIR:-/tmp}/kestrin-mutants
src=$scratch/src
build=$src/build # inside the copy: some tests look for data/ above their working folder
logs=$scratch/logs
lock=$scratch.lock

if ! mkdir "$lock" 2>/dev/null; then
  holder=$(cat "$lock/pid" 2>/dev/null || true)
  if [ -n "$holder" ] && kill -0 "$holder" 2>/dev/null; then
    echo "mutants.sh: another run (process $holder) is using $scratch; set TMPDIR to run beside it" >&2
    exit 2
  fi
  rm -rf "$lock" && mkdir "$lock" || { echo "mutants.sh: cannot lock $scratch" >&2; exit 2; }
fi
echo $$ >"$lock/pid"
backup=$scratch/backup
restore_file=""
cleanup() {
  [ -n "$restore_file" ] && [ -f "$backup" ] && cp "$backup" "$restore_file"
  rm -rf "$lock"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -rf "$src" "$build" "$logs"
mkdir -p "$src" "$logs"

# The tree without .git and without build folders (build*, or any folder holding a CMake cache).
excludes=(--anchored --exclude=./.git --exclude='./build*' --exclude='./cmake-build*')
for d in "$tree"/*/ "$tree"/.[!.]*/; do
  [ -f "$d/CMakeCache.txt" ] && excludes+=("--exclude=./$(basename "$d")")
done
if ! (cd "$tree" && tar cf - "${excludes[@]}" .) | (cd "$src" && tar xf -); then
  echo "mutants.sh: cannot copy $tree to $src" >&2
  exit 1
fi

echo "== source: $tree"
echo "== scratch: $scratch (logs in $logs)"
started=$(date +%s)

# Compiling the program and its generators tells "no build" apart from a generator (KPK bitbase,
# default book) or test discovery that refuses the fault during the full build.
compile_targets=(--target kestrin_core kestrin-engine kpkgen makebook)
build_program() { timeout 1800 cmake --build "$build" "${compile_targets[@]}" -j 2; }
build_all() { timeout 1800 cmake --build "$build" -j 2; }
run_suite() { (cd "$build" && timeout 3600 ctest -LE interop --stop-on-failure --timeout 300 -j 2 --output-on-failure); }

# The first test ctest reports as failed, and how (a timeout or a crash is said so).
first_failure() { # log
  local line name how
  line=$(grep -E 'Test +#[0-9]+: [^ ]+ .*\*\*\*' "$1" | head -n1)
  name=$(echo "$line" | grep -oE 'Test +#[0-9]+: [^ ]+' | sed -E 's/Test +#[0-9]+: //')
  how=$(echo "$line" | sed -E 's/.*\*\*\*//; s/ +[0-9.]+ sec$//')
  [ -n "$name" ] || name=$(grep -oE '^[[:space:]]*[0-9]+ - [^ ]+' "$1" | head -n1 | sed -E 's/^[[:space:]]*[0-9]+ - //')
  case $how in Failed|"") echo "${name:-see log}" ;; *) echo "${name:-see log}: $how" ;; esac
}

echo "== configuring and building the untouched tree"
if ! cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >"$logs/build.log" 2>&1 ||
   ! build_all >>"$logs/build.log" 2>&1; then
  echo "mutants.sh: the untouched tree does not build; see $logs/build.log" >&2
  exit 1
fi
echo "== running the suite on the untouched tree"
if ! run_suite >"$logs/untouched.log" 2>&1; then
  echo "mutants.sh: the suite fails on the untouched tree ($(first_failure "$logs/untouched.log")); a fault" \
       "run would mean nothing. See $logs/untouched.log" >&2
  exit 1
fi
grep -E 'tests passed' "$logs/untouched.log" | tail -n1 | sed 's/^/   /'

results=() details=()
total=${#selected[@]}
k=0
for i in "${selected[@]}"; do
  k=$((k + 1))
  id=${ids[$i]}
  file=$src/${files[$i]}
  log=$logs/$id.log
  detail=""
  t0=$(date +%s)
  if [ "$(occurrences "$file" "${olds[$i]}")" != 1 ]; then
    result="not applied"
    detail="text found $(occurrences "$file" "${olds[$i]}") times"
  else
    cp "$file" "$backup"
    restore_file=$file
    replace_once "$file" "${olds[$i]}" "${news[$i]}"
    if ! build_program >"$log" 2>&1; then
      result="no build"
      detail=$(grep -m1 -E 'error:' "$log" | sed -E 's/^[^ ]*src\///' | cut -c1-100)
    elif ! build_all >>"$log" 2>&1; then
      result="killed"
      detail="by the build (generator or test discovery)"
    elif run_suite >>"$log" 2>&1; then
      result="survived"
    else
      result="killed"
      detail=$(first_failure "$log")
    fi
    # A fresh time stamp, so that the next build compiles the file again.
    cp "$backup" "$file"
    restore_file=""
  fi
  results[$i]=$result
  details[$i]=$detail
  printf '[%d/%d] %-28s %-12s %s (%ds)\n' "$k" "$total" "$id" "$result" "$detail" $(($(date +%s) - t0))
done

# ---------------------------------------------------------------------------------------------
killed=0 survived=0 missing=0 broken=0 at_build=0
echo
printf '%-28s %-26s %-12s %s\n' id subsystem result description
for i in "${selected[@]}"; do
  case ${results[$i]} in
    killed) killed=$((killed + 1)); case ${details[$i]} in "by the build"*) at_build=$((at_build + 1)) ;; esac ;;
    survived) survived=$((survived + 1)) ;;
    "not applied") missing=$((missing + 1)) ;;
    "no build") broken=$((broken + 1)) ;;
  esac
  line=${descs[$i]}
  [ -n "${details[$i]}" ] && line="$line [${details[$i]}]"
  printf '%-28s %-26s %-12s %s\n' "${ids[$i]}" "${areas[$i]}" "${results[$i]}" "$line"
done
applied=$((killed + survived))
echo
echo "faults: $total   killed: $killed ($at_build by the build's own generators)   survived: $survived   not applied: $missing   no build: $broken"
if [ "$applied" -gt 0 ]; then
  echo "kill rate: $killed / $applied = $(awk -v k="$killed" -v a="$applied" 'BEGIN { printf "%.1f%%", 100 * k / a }')"
else
  echo "kill rate: no fault was built and tested"
fi
echo "time: $((($(date +%s) - started) / 60)) min"
exit 0
