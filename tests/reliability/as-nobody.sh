#!/bin/sh
# Runs a test as an unprivileged user, so that file permissions bind: as root
# a read-only archive or folder is writable all the same. Exits 77 (skipped)
# where that cannot be done: not root (the plain run already binds them), no
# setpriv, or a build folder the user cannot reach.
set -eu
[ "$(id -u)" -eq 0 ] || exit 77
command -v setpriv >/dev/null 2>&1 || exit 77
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
as_nobody test -x "$1" || exit 77
home=$(mktemp -d)
chmod 0777 "$home"
status=0
as_nobody env HOME="$home" TMPDIR="$home" XDG_RUNTIME_DIR="$home" "$@" || status=$?
rm -rf "$home"
exit $status
