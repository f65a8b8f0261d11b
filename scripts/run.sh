#!/usr/bin/env bash
# Sets everything up, builds and starts the player. Arguments go to the player.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec "$here/build/bin/vombrel" "$@"
