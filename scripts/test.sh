#!/usr/bin/env bash
# Builds Kestrin Chess and runs every test:
#   release  an optimised build with the whole suite (the xboard match last, on its own);
#   asan     AddressSanitizer + UndefinedBehaviorSanitizer (float conversions included), suites
#            named *Slow* and the match skipped;
#   tsan     ThreadSanitizer over the engine-thread tests and the protocol sessions (which run a
#            ThreadSanitizer build of the engine program).
# KESTRIN_TEST_BUILDS selects builds, e.g. KESTRIN_TEST_BUILDS=release for a quick run.
set -euo pipefail
cd "$(dirname "$0")/.."
# xboard, Fairy-Max and a virtual display for the match against a real interface.
scripts/deps.sh xboard fairymax xvfb xauth
builds=${KESTRIN_TEST_BUILDS:-release asan tsan}
jobs=$(nproc)
for kind in $builds; do
  target=()
  case $kind in
    release) dir=build-test; flags=(-DCMAKE_BUILD_TYPE=Release); select=(-LE interop) ;;
    asan) dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DKESTRIN_SANITIZE=address,undefined,float-cast-overflow")
          select=(-LE interop -E Slow) ;;
    tsan) dir=build-tsan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DKESTRIN_SANITIZE=thread")
          select=(-R 'search\.EngineThread|winboard\..*Session'); target=(--target test_search test_winboard) ;;
    *) echo "unknown build kind: $kind" >&2; exit 2 ;;
  esac
  echo "== $kind build"
  cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
  cmake --build "$dir" "${target[@]}"
  echo "== $kind tests"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" "${select[@]}")
  if [ "$kind" = release ]; then
    (cd "$dir" && ctest --output-on-failure -L interop)
  fi
done
