#!/usr/bin/env bash
# Puts the bundled files beside the program, only where they are missing:
# a user's archive, template or settings are never replaced.
set -euo pipefail
dir=$1
cli=${2:-}
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$dir"
for f in diario.frf manuale.pdf; do
  if [ -f "$top/resources/$f" ] && [ ! -e "$dir/$f" ]; then cp "$top/resources/$f" "$dir/$f"; fi
done
# The template the build generated (beside the tool's build folder), when none is there yet.
if [ -n "$cli" ]; then
  generated=$(dirname "$(dirname "$cli")")/resources/diario.frf
  if [ -f "$generated" ] && [ ! -e "$dir/diario.frf" ]; then cp "$generated" "$dir/diario.frf"; fi
fi
if ! ls "$dir"/*.mdb >/dev/null 2>&1 && [ -n "$cli" ] && [ -x "$cli" ]; then
  "$cli" new "$dir/schedario.mdb" >/dev/null 2>&1 || true
fi
