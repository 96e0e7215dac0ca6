#!/usr/bin/env bash
# Builds every libFuzzer target of tests/fuzz (clang, ORUNA_FUZZ=ON) and runs
# each for a while.
#   scripts/fuzz.sh [seconds per target, default 60] [build dir] [runs] [parallel]
# With runs > 0 a target also stops after that many executions; with
# "parallel" all targets run at once (each at the lowest priority), their
# output in <build dir>/fuzz-<target>.log, else one after another.
# Corpora grow in <build dir>/corpus/<target>; crashes land in <build dir>/artifacts.
# ORUNA_FUZZ_TARGETS="fuzz_bitmap fuzz_ini" runs only those targets;
# ORUNA_FUZZ_MEMORY_MB (default 256) is the memory an input may cost.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=${2:-build-fuzz}
runs=${3:-0}
parallel=${4:-}

CC=clang CXX=clang++ cmake -S . -B "$dir" -DORUNA_FUZZ=ON > "$dir.configure.log" 2>&1 ||
  { cat "$dir.configure.log"; exit 1; }
targets=${ORUNA_FUZZ_TARGETS:-}
cmake --build "$dir" --target ${targets:-fuzzers} -j"$(nproc)"

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

# Writes each C string literal of the given test sources whose text matches
# the Perl pattern $2 into a seed file of its own in $1 (escapes decoded).
seed_from_test_strings() {
  local seeds=$1 pattern=$2
  shift 2
  perl -e '
    my ($dir, $pattern, $n) = (shift, shift, 0);
    my %esc = (n => "\n", r => "\r", t => "\t", 0 => "\0", "\\" => "\\", q(") => q("), "\x27" => "\x27");
    while (my $line = <>) {
      while ($line =~ /"((?:[^"\\]|\\.)*)"/g) {
        (my $text = $1) =~ s{\\(x[0-9A-Fa-f]{1,2}|.)}{length($1) > 1 ? chr(hex(substr($1, 1))) : ($esc{$1} // $1)}ge;
        next unless $text =~ /$pattern/;
        open(my $out, ">:raw", sprintf("%s/test-%04d", $dir, $n++)) or die;
        print $out $text;
      }
    }' "$seeds" "$pattern" "$@"
}
seed_fuzz_ini() { seed_from_test_strings "$1" '\[.*\]' tests/saver/settings/*.cpp; }
seed_fuzz_args() { seed_from_test_strings "$1" '^[-/]' tests/saver/startup/command_line_test.cpp; }
seed_fuzz_mci() { seed_from_test_strings "$1" '^(open|status|play|stop|close|set|eject) ' tests/saver/music/*.cpp; }

# Run-time checks of the fuzz builds: a smaller quarantine of freed blocks
# than ASan's 256 MiB default (this still catches a use after free within
# thousands of runs) more than doubles the speed of targets that allocate
# much, such as the settings file's text conversions.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}
# A run counts as hung after this many seconds of wall time. Targets run in
# parallel at the lowest priority on a busy machine can wait that long for
# the processor, so they get more.
timeout=10
[ "$parallel" = parallel ] && timeout=60

# Memory per input: each parser bounds what an input may cost, and a run
# that needs more than this (resident, or in one allocation) is a finding.
memory_mb=${ORUNA_FUZZ_MEMORY_MB:-256}

# Runs one target; its final statistics and any finding end its output.
run_target() {
  local bin=$1 name corpus seeds
  name=$(basename "$bin")
  corpus="$dir/corpus/$name" seeds="$dir/seeds/$name"
  mkdir -p "$corpus" "$seeds"
  if declare -F "seed_$name" > /dev/null && [ -z "$(ls -A "$seeds")" ]; then "seed_$name" "$seeds"; fi
  echo "== $name for ${seconds}s"
  "$bin" -max_total_time="$seconds" -runs="$((runs > 0 ? runs : -1))" -rss_limit_mb="$memory_mb" -malloc_limit_mb="$memory_mb" -timeout="$timeout" \
    -print_final_stats=1 -artifact_prefix="$dir/artifacts/$name-" "$corpus" "$seeds" 2>&1
}

status=0
mkdir -p "$dir/artifacts"
pids=()
for bin in "$dir"/bin/fuzz_*; do
  [ -x "$bin" ] || continue
  [ -z "$targets" ] || [[ " $targets " == *" $(basename "$bin") "* ]] || continue
  if [ "$parallel" = parallel ]; then
    nice -n 19 bash -c "$(declare -f); $(declare -p dir seconds runs timeout memory_mb); run_target '$bin'" \
      > "$dir/fuzz-$(basename "$bin").log" 2>&1 &
    pids+=($!)
  else
    run_target "$bin" | tail -n 15 || status=1
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
if [ "$parallel" = parallel ]; then
  for log in "$dir"/fuzz-*.log; do tail -n 15 "$log"; done
fi
exit $status
