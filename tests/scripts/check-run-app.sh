#!/usr/bin/env bash
# What `make run` does, on a program already built: stage the bundled files
# into a fresh application folder, start the diary through scripts/run-app.sh
# with a relative path (as the Makefile passes it) in a virtual display, see
# its main window come up, and close it as a user would.
# Usage: check-run-app.sh PROGRAM CLI
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
program=$(readlink -f "$1")
cli=$(readlink -f "$2")
for tool in xvfb-run xdotool python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/app"
cp "$program" "$work/app/tonalba"
"$top/scripts/stage-app.sh" "$work/app" "$cli"
[ -f "$work/app/schedario.mdb" ] || { echo "staging made no archive" >&2; exit 1; }

cat > "$work/inside.sh" <<INSIDE
set -u
cd "$work"
# A relative path, as the Makefile's RUN_DIR is.
TONALBA_LOCALE=it_IT "$top/scripts/run-app.sh" app/tonalba > "$work/out.log" 2>&1 &
pid=\$!
window=
for _ in \$(seq 1 150); do
  window=\$(xdotool search --onlyvisible --name 'SCHEDARIO' 2>/dev/null | head -n 1)
  [ -n "\$window" ] && break
  kill -0 \$pid 2>/dev/null || break
  sleep 0.2
done
if [ -z "\$window" ]; then
  echo "the main window did not come up" >&2
  cat "$work/out.log" >&2
  kill \$pid 2>/dev/null
  exit 1
fi
echo "main window: \$(xdotool getwindowname "\$window")"
python3 "$top/tests/scripts/x11close.py" "\$window"
for _ in \$(seq 1 100); do
  kill -0 \$pid 2>/dev/null || break
  sleep 0.1
done
if kill -0 \$pid 2>/dev/null; then
  echo "the program did not end after its window was closed" >&2
  kill \$pid
  exit 1
fi
wait \$pid
status=\$?
[ \$status -eq 0 ] || { echo "the program ended with status \$status" >&2; cat "$work/out.log" >&2; exit 1; }
INSIDE
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/inside.sh"
# Closing saved the window's placement beside the program.
[ -f "$work/app/diario.ini" ] || { echo "closing the window saved no diario.ini" >&2; exit 1; }
echo "ok"
