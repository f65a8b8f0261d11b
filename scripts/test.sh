#!/usr/bin/env bash
# Sets everything up, builds and runs every test: unit, widget and end-to-end tests
# (under a private X server and PulseAudio daemon), then the fuzz targets briefly. The
# formatting check comes first (it needs no build), static analysis of the core layers
# right after the build.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/check-format.sh"
"$here/scripts/build.sh" default
status=0
"$here/scripts/tidy.sh" "$here/build" || status=1

source "$here/scripts/test-env.sh"
vombrel_test_env_start
trap vombrel_test_env_stop EXIT

(cd "$here" && ctest --preset default) || status=1
"$here/scripts/fuzz.sh" "${VOMBREL_FUZZ_SECONDS:-5}" || status=1
exit $status
