#!/usr/bin/env bash
# Builds Kestrin Chess (optimised) and starts a game against it in xboard.
# Any arguments go to xboard (for example -tc 10 -inc 5 for ten minutes plus five seconds a move).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh xboard
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIN_TESTS=OFF >/dev/null
cmake --build build
# Debian installs xboard in /usr/games, which is not on every PATH.
xboard=$(command -v xboard || echo /usr/games/xboard)
exec "$xboard" -fcp "$PWD/build/kestrin-engine" -fd "$PWD/build" "$@"
