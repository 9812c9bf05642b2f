#!/usr/bin/env bash
# Builds Kestrin Chess and runs every test: an optimised build with the whole suite, then
# a build with AddressSanitizer and UndefinedBehaviorSanitizer (suites named *Slow* skipped).
# KESTRIN_TEST_BUILDS selects builds, e.g. KESTRIN_TEST_BUILDS=release for a quick run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
builds=${KESTRIN_TEST_BUILDS:-release asan}
jobs=$(nproc)
for kind in $builds; do
  case $kind in
    release) dir=build-test; flags=(-DCMAKE_BUILD_TYPE=Release); exclude=() ;;
    asan) dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DKESTRIN_SANITIZE=address,undefined")
          exclude=(-E Slow) ;;
    *) echo "unknown build kind: $kind" >&2; exit 2 ;;
  esac
  echo "== $kind build"
  cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
  cmake --build "$dir"
  echo "== $kind tests"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" "${exclude[@]}")
done
