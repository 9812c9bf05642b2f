#!/usr/bin/env bash
# Builds Kestrin Chess (optimised) and opens its window.
# Any arguments go to the program (for example --home DIR for another settings folder).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh qt6-base-dev
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIN_TESTS=OFF >/dev/null
cmake --build build
# Standard input stays with the terminal: a line arriving there would start the engine mode.
exec build/kestrin "$@"
