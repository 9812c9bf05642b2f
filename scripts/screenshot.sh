#!/usr/bin/env bash
# Makes a picture of the window a few moves into a game against the computer, on a virtual X server.
# usage: scripts/screenshot.sh [OUT.png]   (default docs/window.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/window.png}
scripts/deps.sh qt6-base-dev xvfb xdotool x11-apps
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIN_TESTS=OFF >/dev/null
cmake --build build
mkdir -p "$(dirname "$out")"
scripts/window_e2e.py build --screenshot "$out"
