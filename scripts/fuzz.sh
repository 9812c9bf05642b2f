#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 20), starting from its seed
# corpus in fuzz/corpus/<name>/. A crash, a leak or a hang fails the run; the input that
# caused it is left in build-fuzz/findings/<name>/. Prints executions and coverage per harness.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD # the harnesses work in a scratch folder of their own: every path they get is absolute
seconds=${1:-20}
# clang and its fuzzer runtime (Debian ships it with clang; the versioned runtime package
# only where it is split out).
scripts/deps.sh clang
dir=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRIN_FUZZ=ON \
  -DKESTRIN_TESTS=OFF >/dev/null
harnesses=()
for source in fuzz/*_fuzz.cpp; do harnesses+=("$(basename "$source" .cpp)"); done
cmake --build "$dir" --target "${harnesses[@]}"
status=0
for name in "${harnesses[@]}"; do
  corpus="$root/$dir/corpus/$name"
  findings="$root/$dir/findings/$name"
  mkdir -p "$corpus" "$findings"
  seeds="$root/fuzz/corpus/${name%_fuzz}"
  # New inputs go to the build folder's corpus; the committed seeds are only read.
  if "$dir/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -close_fd_mask=1 \
       -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$seeds" > "$dir/$name.log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/$name.log" | grep -o '[0-9]*$')
    cov=$(grep -o 'cov: [0-9]*' "$dir/$name.log" | tail -1)
    echo "$name: $runs executions, $cov"
  else
    echo "$name: FAILED, see $dir/$name.log and $findings/" >&2
    tail -30 "$dir/$name.log" >&2
    status=1
  fi
done
exit $status
