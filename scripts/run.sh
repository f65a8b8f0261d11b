#!/usr/bin/env bash
# Sets everything up, builds and starts the player. Arguments go to the player.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" default
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: built build/bin/vombrel, but there is no display to show it on;" >&2
  echo "run: start this command from a desktop session (or set DISPLAY)." >&2
  exit 1
fi
exec "$here/build/bin/vombrel" "$@"
