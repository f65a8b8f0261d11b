#!/usr/bin/env bash
# Configures and builds Vombrel.
# Usage: scripts/build.sh [preset] [cmake options...]
#   preset: default (build/), sanitizers (build-asan/), fuzz (build-fuzz/) or release
#   (build-release/), as CMakePresets.json defines them; default when left out.
# The older form scripts/build.sh <build-folder> [cmake options...] still works.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
target=${1:-default}
shift || true
case "$target" in
  default|sanitizers|fuzz|release)
    cmake --preset "$target" "$@" >/dev/null
    cmake --build --preset "$target" --parallel "$(nproc)" ;;
  *)
    cmake -S "$here" -B "$target" -G Ninja "$@" >/dev/null
    cmake --build "$target" --parallel "$(nproc)" ;;
esac
