#!/usr/bin/env bash
# Builds Kestrin Chess (optimised) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIN_TESTS=OFF >/dev/null
cmake --build build
exec build/kestrin-engine perft 5
