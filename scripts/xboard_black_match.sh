#!/usr/bin/env bash
# Plays GAMES games (default 10) under xboard on a virtual display, Fairy-Max White and Kestrin
# Black, with xboard adjudicating a loss from the engines' scores. Prints per game xboard's
# result and reason, Kestrin's last score as it sent it, and the game Kestrin saved itself.
# Usage: scripts/xboard_black_match.sh BUILD_DIR [GAMES]
set -euo pipefail
build=$(realpath "${1:?build directory}")
games=${2:-10}
work=$(mktemp -d)
echo "work folder: $work"
cd "$work"
timeout $((games * 120 + 60)) xvfb-run -a /usr/games/xboard -fcp /usr/games/fairymax \
  -scp "$build/kestrin-engine --home $work" -matchGames "$games" -sameColorGames "$games" -tc 0:10 -inc 0.1 \
  -adjudicateLossThreshold -500 -autoCallFlag true -popupExitMessage false -saveGameFile match.pgn \
  -debugMode true -nameOfDebugFile debug.log > xboard.log 2>&1 || true
python3 - "$work" <<'PY'
import re, sys, os
work = sys.argv[1]
match = open(os.path.join(work, "match.pgn")).read().split("[Event ")[1:]
ours = open(os.path.join(work, "WinboardGames.pgn")).read().split("[Event ")[1:] if os.path.exists(os.path.join(work, "WinboardGames.pgn")) else []
print(f"xboard saved {len(match)} games, Kestrin saved {len(ours)}")
for i, game in enumerate(match):
    result = re.search(r'\[Result "([^"]*)"\]', game).group(1)
    reason = re.search(r'\{([^}]*)\}\s*(1-0|0-1|1/2-1/2|\*)\s*$', game)
    print(f"game {i + 1}: {result} {reason.group(1) if reason else ''}")
for i, game in enumerate(ours):
    white = re.search(r'\[White "([^"]*)"\]', game).group(1)
    black = re.search(r'\[Black "([^"]*)"\]', game).group(1)
    result = re.search(r'\[Result "([^"]*)"\]', game).group(1)
    print(f"Kestrin's game {i + 1}: {white} - {black} {result}")
# Kestrin's thinking lines as xboard received them (second engine): the score of the last one per move.
scores = [int(m.group(1)) for m in re.finditer(r'^\d+ <second ?: *\d+ (-?\d+) \d+ \d+', open(os.path.join(work, "debug.log"), errors="replace").read(), re.M)]
print(f"Kestrin thinking lines: {len(scores)}, above +500: {sum(s > 500 for s in scores)}, below -500: {sum(s < -500 for s in scores)}")
PY
