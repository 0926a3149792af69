#!/usr/bin/env bash
# Checks the Debian package as a user meets it: lintian, installing it, the
# installed files, the tool and the program run by an unprivileged user with
# a fresh home (first start under Xvfb, with a screenshot), the desktop entry
# and the metadata, then removing it and looking for anything left.
# Usage: scripts/package-check.sh [build folder holding tonalba_*.deb]
# It installs and removes the package on this machine: not part of `make test`.
set -euo pipefail

build=$(cd "${1:-build/package}" && pwd)
deb=$(ls -1 "$build"/tonalba_*.deb | tail -n 1)
user=tonalbacheck
home=/tmp/$user-home
display=:91
shot=$build/package-check-first-start.png

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  as_root=(sudo -n)
else
  echo "package-check installs a package: run it as root or with sudo" >&2
  exit 1
fi

step() { printf '\n== %s\n' "$*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }
as_user() { "${as_root[@]}" runuser -u "$user" -- env HOME="$home" XDG_RUNTIME_DIR="$home/run" "$@"; }

xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && "${as_root[@]}" kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  "${as_root[@]}" userdel -r "$user" >/dev/null 2>&1 || true
  "${as_root[@]}" rm -rf "$home"
}
trap cleanup EXIT

step "Package: $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'

step "lintian (errors fail, warnings are listed)"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

step "Installing"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
version=$(dpkg-query -W -f='${Version}' tonalba)
echo "installed tonalba $version"

step "Installed files"
files=(
  /usr/bin/tonalba /usr/bin/tonalba-cli
  /usr/share/tonalba/diario.frf /usr/share/tonalba/manuale.pdf /usr/share/tonalba/schedario.mdb
  /usr/share/applications/tonalba.desktop
  /usr/share/icons/hicolor/scalable/apps/tonalba.svg
  /usr/share/metainfo/org.tonalba.Tonalba.metainfo.xml
  /usr/share/man/man1/tonalba.1.gz /usr/share/man/man1/tonalba-cli.1.gz
  /usr/share/doc/tonalba/copyright /usr/share/doc/tonalba/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do files+=("/usr/share/icons/hicolor/${size}x${size}/apps/tonalba.png"); done
for f in "${files[@]}"; do
  [ -s "$f" ] || fail "missing: $f"
  echo "ok $f"
done
for b in /usr/bin/tonalba /usr/bin/tonalba-cli; do
  file -L "$b" | grep -q ', stripped' || fail "$b is not stripped"
done
echo "ok binaries stripped"
[ "$(tonalba-cli --version)" = "tonalba-cli $version" ] || fail "tonalba-cli --version says $(tonalba-cli --version)"
echo "ok tonalba-cli --version: $(tonalba-cli --version)"
man -l /usr/share/man/man1/tonalba.1.gz 2>/dev/null | grep -q 'diary of blood pressure' || fail "tonalba(1) does not read"
man -l /usr/share/man/man1/tonalba-cli.1.gz 2>/dev/null | grep -q 'command-line tool' || fail "tonalba-cli(1) does not read"
echo "ok man pages"

step "Desktop entry and AppStream metadata"
desktop-file-validate /usr/share/applications/tonalba.desktop || fail "desktop entry"
grep -q '^Exec=tonalba$' /usr/share/applications/tonalba.desktop || fail "Exec takes no file argument"
appstreamcli validate --no-net /usr/share/metainfo/org.tonalba.Tonalba.metainfo.xml || fail "metainfo"

step "A user with a fresh home: the tool"
"${as_root[@]}" userdel -r "$user" >/dev/null 2>&1 || true
"${as_root[@]}" rm -rf "$home"
"${as_root[@]}" useradd --home-dir "$home" --create-home --shell /bin/sh "$user"
as_user mkdir -m 700 -p "$home/run"
as_user tonalba-cli new "$home/rossi.mdb" --locale it_IT
printf 'Data;SX_MIN_1;SX_MAX_1;SX_PULS_1;Peso\n01/03/2026;80;130;70;72\n02/03/2026;82;135;72;72,5\n' \
  | as_user tee "$home/giorni.csv" >/dev/null
as_user tonalba-cli import "$home/rossi.mdb" "$home/giorni.csv" --locale it_IT
as_user tonalba-cli export "$home/rossi.mdb" --locale it_IT | head -n 3
as_user tonalba-cli print "$home/rossi.mdb" --pdf "$home/rossi.pdf" --locale it_IT
as_user head -c 5 "$home/rossi.pdf" | grep -q '%PDF' || fail "print wrote no PDF"
pdftotext "$home/rossi.pdf" - | grep -q '02/03/2026' || fail "the printed period misses a day"
echo "ok new, import, export, print (installed template)"

step "The program's first start"
Xvfb "$display" -screen 0 1024x768x24 -ac -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
as_user env DISPLAY="$display" TONALBA_LOCALE=it_IT tonalba >"$build/package-check-app.log" 2>&1 &
app_pid=$!
window=
for _ in $(seq 1 40); do
  window=$(DISPLAY="$display" xdotool search --name '^Tonalba 01\.02 - ' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || fail "no window titled 'Tonalba 01.02 - ...' (log: $build/package-check-app.log)"
title=$(DISPLAY="$display" xdotool getwindowname "$window")
echo "window title: $title"
[ "$title" = "Tonalba 01.02 - SCHEDARIO" ] || fail "unexpected title: $title"
sleep 1
DISPLAY="$display" import -window root "$shot"
echo "screenshot: $shot"
staged="$home/.local/share/tonalba"
for f in diario.frf manuale.pdf tonalba.html schedario.mdb; do
  "${as_root[@]}" test -s "$staged/$f" || fail "not staged: $staged/$f"
  echo "ok staged $staged/$f"
done
DISPLAY="$display" xdotool windowactivate --sync "$window" key alt+F4 2>/dev/null || true
for _ in $(seq 1 20); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.5; done
kill "$app_pid" 2>/dev/null || true
app_pid=

step "Removing"
mapfile -t owned < <(dpkg -L tonalba | while read -r f; do [ -f "$f" ] && echo "$f"; done)
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq tonalba >/dev/null
for f in "${owned[@]}"; do [ ! -e "$f" ] || fail "left behind: $f"; done
echo "ok ${#owned[@]} files removed, none left"
"${as_root[@]}" test -s "$staged/schedario.mdb" || fail "the user's archive went with the package"
echo "ok the user's folder stays: $staged"

step "package-check passed"
