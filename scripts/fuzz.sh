#!/usr/bin/env bash
# Builds every libFuzzer target of tests/fuzz (clang, ORUNA_FUZZ=ON) and runs
# each for a while. Usage: scripts/fuzz.sh [seconds per target, default 60] [build dir]
# Corpora grow in <build dir>/corpus/<target>; crashes land in <build dir>/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=${2:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$dir" -DORUNA_FUZZ=ON > "$dir.configure.log" 2>&1 ||
  { cat "$dir.configure.log"; exit 1; }
cmake --build "$dir" --target fuzzers -j"$(nproc)"

# Seeds: the bitmap tests write every file they generate when asked to, so
# the bitmap fuzzer starts from valid files of each layout. Uses a normal
# build's test program when one exists.
seed_fuzz_bitmap() {
  local test_bin
  test_bin=$(ls build/bin/bitmap_reader_test build-*/bin/bitmap_reader_test 2>/dev/null | head -n1 || true)
  [ -n "$test_bin" ] || { echo "no bitmap_reader_test built: fuzz_bitmap starts without seeds"; return; }
  ORUNA_BITMAP_SEED_DIR="$1" "$test_bin" --gtest_brief=1 > /dev/null
}

# The button property fuzzer starts from the dialog's stored button files.
seed_fuzz_bag() {
  cp saver/settings_dialog/*.bag "$1"/
}

status=0
mkdir -p "$dir/artifacts"
for bin in "$dir"/bin/fuzz_*; do
  [ -x "$bin" ] || continue
  name=$(basename "$bin")
  corpus="$dir/corpus/$name" seeds="$dir/seeds/$name"
  mkdir -p "$corpus" "$seeds"
  if declare -F "seed_$name" > /dev/null && [ -z "$(ls -A "$seeds")" ]; then "seed_$name" "$seeds"; fi
  echo "== $name for ${seconds}s"
  "$bin" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$dir/artifacts/$name-" "$corpus" "$seeds" 2>&1 | tail -n 15 || status=1
done
exit $status
