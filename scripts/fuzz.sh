#!/usr/bin/env bash
# Builds the libFuzzer targets (clang) and runs each for a bounded time.
# Usage: scripts/fuzz.sh [SECONDS per target, default 60]
# Corpora grow in build-fuzz/corpus/; a crashing input is written to fuzz/crashes/ and the
# script fails. Keep each fixed one in fuzz/regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/setup.sh fuzz
targets=$(cd build-fuzz/bin && ls fuzz_* | sed 's/^fuzz_//')
mkdir -p fuzz/crashes
status=0
for t in $targets; do
  corpus=build-fuzz/corpus/$t
  mkdir -p "$corpus"
  echo "== fuzz_$t for ${seconds}s"
  if ! build-fuzz/bin/fuzz_"$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=5 \
      -dict=fuzz/fuzz.dict -artifact_prefix=fuzz/crashes/"$t"- -print_final_stats=1 \
      "$corpus" build-fuzz/fuzz-seeds/"$t" fuzz/regressions/"$t" 2>build-fuzz/fuzz_"$t".log; then
    status=1
    tail -40 build-fuzz/fuzz_"$t".log
  fi
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units)' build-fuzz/fuzz_"$t".log || true
done
exit $status
