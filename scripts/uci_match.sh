#!/usr/bin/env bash
# A match of kestrin-engine in UCI mode against Stockfish held to its lowest level (Skill Level
# 0), played by xboard on a virtual X server with both engines behind polyglot. Run by hand:
#   scripts/uci_match.sh BUILD_DIR [GAMES] [SECONDS] [INCREMENT]
# (default 20 games at 10 s + 0.1 s a move, colours alternating). Prints Kestrin's wins, draws
# and losses, the games lost on time and the illegal moves; the games stay in
# BUILD_DIR/uci_match/match.pgn. Needs xboard, polyglot, stockfish, xvfb and xauth.
set -euo pipefail
build=$(cd "${1:?usage: scripts/uci_match.sh BUILD_DIR [GAMES] [SECONDS] [INCREMENT]}" && pwd)
games=${2:-20}
seconds=${3:-10}
increment=${4:-0.1}
dir="$build/uci_match"
rm -rf "$dir"
mkdir -p "$dir/home"
cd "$dir"
cat > kestrin.ini <<INI
[PolyGlot]
EngineCommand = $build/kestrin-engine --home $dir/home
EngineDir = $dir
Book = false
[Engine]
INI
cat > stockfish.ini <<INI
[PolyGlot]
EngineCommand = /usr/games/stockfish
EngineDir = $dir
Book = false
[Engine]
Skill Level = 0
Threads = 1
INI
timeout $((games * (4 * seconds + 60) + 120)) xvfb-run -a /usr/games/xboard \
  -fcp "/usr/games/polyglot kestrin.ini" -fd "$dir" -scp "/usr/games/polyglot stockfish.ini" -sd "$dir" \
  -matchGames "$games" -tc "0:$seconds" -inc "$increment" -autoCallFlag true -popupExitMessage false \
  -saveGameFile match.pgn > xboard.log 2>&1
python3 - match.pgn <<'PY'
import re, sys
text = open(sys.argv[1]).read()
tally = {"win": 0, "draw": 0, "loss": 0}
on_time = illegal = 0
for game in re.split(r"(?=\[Event )", text)[1:]:
    white = re.search(r'\[White "([^"]*)"', game).group(1)
    result = re.search(r'\[Result "([^"]*)"', game).group(1)
    ending = (re.findall(r"\{([^}]*)\}\s*(?:1-0|0-1|1/2-1/2|\*)\s*$", game) or [""])[-1]
    kestrin_white = white.startswith("Kestrin")
    if result == "1/2-1/2":
        tally["draw"] += 1
    elif (result == "1-0") == kestrin_white:
        tally["win"] += 1
    else:
        tally["loss"] += 1
        on_time += "on time" in ending
    illegal += "llegal" in ending
    print(f"{'Kestrin' if kestrin_white else 'Stockfish'} - {'Stockfish' if kestrin_white else 'Kestrin'}: {result} {{{ending}}}")
print(f"Kestrin: {tally['win']} won, {tally['draw']} drawn, {tally['loss']} lost; "
      f"{on_time} lost on time; {illegal} games with an illegal move")
PY
