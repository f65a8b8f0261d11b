#!/usr/bin/env bash
# Start-up, memory, CPU and hand-over figures of vombrel beside other installed players,
# under the test environment's private X server and sound server and a D-Bus session.
# Usage: build/bin/vombrel-app-bench [--quick] [--runs N] [--play-seconds S] [--soak-seconds S]
#        (--help lists every option; about 4 minutes with the defaults and two peers)
#        The track-change soak alone, 1,000 changes of half-second files (about 17 minutes):
#        build/bin/vombrel-app-bench --soak-only --soak-tracks 1000 --soak-track-seconds 0.5
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "@VOMBREL_SOURCE_DIR@/scripts/test-env.sh"
vombrel_test_env_start
trap vombrel_test_env_stop EXIT
VOMBREL_BIN="${VOMBREL_BIN:-$here/vombrel}" dbus-run-session -- python3 "$here/vombrel-app-bench.py" "$@"
