#!/usr/bin/env bash
# Starts the diary, or says plainly why it cannot on a machine without a display.
set -euo pipefail
exe=${1:?usage: run-app.sh PROGRAM [arguments]}
shift || true
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
Tonalba needs a graphical display, and this session has none (DISPLAY is not set).
Without a display you can:
  - run it in a virtual display:   xvfb-run -a $exe
  - use the command-line tool:     build/release/tools/tonalba-cli --help
    (export an archive, print a period report to PDF)
MSG
  exit 1
fi
# The program runs in its own folder; the path given may be relative to here.
exe=$(readlink -f "$exe")
cd "$(dirname "$exe")"
exec "$exe" "$@"
