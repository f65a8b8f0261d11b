#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over the sources of the core layers, two
# files at a time; fails on any finding. Uses the compile commands of a configured build
# (configures build/ with the default preset when there is none).
# Usage: scripts/tidy.sh [build folder] [layer folders...]
#   scripts/tidy.sh                      # support playlist mediainfo players wave shell
#   scripts/tidy.sh build wave           # one layer
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
shift || true
layers=("$@")
[ ${#layers[@]} -gt 0 ] || layers=(support playlist mediainfo players wave shell)
command -v clang-tidy >/dev/null || { echo "tidy: clang-tidy is not installed (scripts/install-deps.sh)"; exit 1; }
if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
pattern="^$here/($(IFS='|'; echo "${layers[*]}"))/[^/]*\.cpp\$"
mapfile -t files < <(python3 -c 'import json,sys; print("\n".join(sorted({e["file"] for e in json.load(open(sys.argv[1]))})))' \
  "$build/compile_commands.json" | grep -E "$pattern")
[ ${#files[@]} -gt 0 ] || { echo "tidy: no sources of ${layers[*]} in $build/compile_commands.json"; exit 1; }
echo "tidy: ${#files[@]} files of ${layers[*]}"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
printf '%s\0' "${files[@]}" | xargs -0 -P2 -n1 clang-tidy -p "$build" --quiet >"$log" 2>&1 || status=1
# Each finding once: a header's finding is reported by every source that includes it.
grep -E '(warning|error): ' "$log" | grep -v '^Error while processing' | sort -u || true
if [ $status -ne 0 ]; then
  echo "tidy: findings above (fix them, or silence one at its line: // NOLINT(check): reason)"
  exit 1
fi
echo "tidy: clean"
