#!/usr/bin/env bash
# CPU and memory of vombrel playing a 640 x 360 video in its window and full screen, beside
# other installed video players, under the test environment's private X server and sound
# server. Usage: build/bin/vombrel-video-bench   (BENCH_PLAY_SECONDS, BENCH_VIDEO_CODEC)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "@VOMBREL_SOURCE_DIR@/scripts/test-env.sh"
vombrel_test_env_start
trap vombrel_test_env_stop EXIT
VOMBREL_BIN="$here/vombrel" python3 "$here/vombrel-video-bench.py"
