#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a few seconds.
# Usage: scripts/fuzz.sh [seconds per target]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-5}
build="$here/build-fuzz"
"$here/scripts/build.sh" fuzz
status=0
for fuzzer in "$build"/bin/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds="$here/tests/fuzz/seeds/${name#fuzz_}"
  [ -d "$seeds" ] || seeds=""
  echo "fuzz: $name for ${seconds}s"
  # A failing input is kept beside the log (crash-..., timeout-...) to replay it.
  if ! "$fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/$name-" -print_final_stats=0 "$corpus" $seeds >"$build/$name.log" 2>&1; then
    echo "fuzz: $name FAILED"; tail -40 "$build/$name.log"; status=1
  fi
done
exit $status
