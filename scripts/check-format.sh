#!/usr/bin/env bash
# Checks that every project C++ file is formatted by .clang-format (no build needed).
# Prints the files that are not and fails; `scripts/check-format.sh --fix` formats them.
# The public plug-in header keeps its own layout: plug-in authors copy it as it is.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed (scripts/install-deps.sh)"; exit 1; }
folders=(support playlist mediainfo players wave shell platform toolkit app tools tests bench)
mapfile -t files < <(git ls-files -- "${folders[@]/%//*.cpp}" "${folders[@]/%//*.h}" \
  | grep -v '^players/vombrel_player_plugin\.h$')
if [ "${1:-}" = "--fix" ]; then
  printf '%s\0' "${files[@]}" | xargs -0 -P2 -n 32 clang-format -i
  exit 0
fi
# clang-format names each offending file in its errors; each batch prints only those
# names, in one write, so that the two parallel batches never mix their lines.
mapfile -t bad < <(printf '%s\0' "${files[@]}" | xargs -0 -P2 -n 32 sh -c '
  names=$(clang-format --dry-run --Werror --ferror-limit=1 "$@" 2>&1 >/dev/null |
          sed -n "s/^\(.*\):[0-9]*:[0-9]*: error: .*/\1/p")
  [ -z "$names" ] || printf "%s\n" "$names"' check-format | sort -u)
if [ ${#bad[@]} -gt 0 ]; then
  echo "check-format: not formatted (run scripts/check-format.sh --fix):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "check-format: ${#files[@]} files formatted"
