#!/usr/bin/env bash
# Configures and builds Vombrel. Usage: scripts/build.sh [build-folder] [cmake options...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
shift || true
cmake -S "$here" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
