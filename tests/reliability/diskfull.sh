#!/bin/sh
# A real full disk: a small tmpfs in a mount namespace of the test's own,
# filled to a few sizes below what each command needs (the journal of an
# import, a header change, a prepared report, a compaction). Every command
# either does its work or says it could not, and the archive and the old
# prepared report stay as they were. Exits 77 (skipped) where no mount
# namespace can be had.
#   diskfull.sh <tonalba-cli> <diario.frf>
set -eu
cli=$1
template=$2
if [ -z "${TONALBA_IN_NAMESPACE:-}" ]; then
    if [ "$(id -u)" -eq 0 ] && unshare -m true 2>/dev/null; then
        exec env TONALBA_IN_NAMESPACE=1 unshare -m sh "$0" "$@"
    fi
    if unshare -Urm true 2>/dev/null; then
        exec env TONALBA_IN_NAMESPACE=1 unshare -Urm sh "$0" "$@"
    fi
    echo "diskfull: no mount namespace here"
    exit 77
fi

export TONALBA_LOCALE=it_IT QT_QPA_PLATFORM=offscreen
outside=$(mktemp -d)
disk=$(mktemp -d)
trap 'umount "$disk" 2>/dev/null; rm -rf "$outside" "$disk"' EXIT
mount -t tmpfs -o size=3m tmpfs "$disk"

# 400 days with notes, and a few more to import.
awk 'BEGIN { print "Data;SX_MIN_1;SX_MAX_1;Peso;Note";
             for (i = 0; i < 400; i++) printf "%04d-%02d-%02d;80;%d;70,5;nota %d con parole che riempiono la riga\n",
                 2020 + int(i / 336), int(i / 28) % 12 + 1, i % 28 + 1, 120 + i % 30, i }' > "$outside/giorni.csv"
awk 'BEGIN { print "Data;SX_MIN_1;SX_MAX_1;Peso;Note";
             for (i = 0; i < 60; i++) printf "2024-%02d-%02d;85;130;71;aggiunto %d\n", int(i / 28) + 1, i % 28 + 1, i }' \
    > "$outside/nuovi.csv"

fails=0
check() {   # what, expected export file
    "$cli" export "$disk/arc.mdb" > "$outside/now.csv" 2> "$outside/err" || { echo "FAIL $1: export: $(cat "$outside/err")"; fails=$((fails + 1)); return; }
    cmp -s "$outside/now.csv" "$2" || { echo "FAIL $1: the diary changed"; fails=$((fails + 1)); }
}

for free_kb in 0 4 16 64; do
    rm -f "$disk"/* "$disk"/.[!.]* 2>/dev/null || true
    "$cli" new "$disk/arc.mdb" >/dev/null
    "$cli" import "$disk/arc.mdb" "$outside/giorni.csv"
    "$cli" report build "$template" --archive "$disk/arc.mdb" --frp "$disk/periodo.frp" 2>/dev/null
    cp "$disk/periodo.frp" "$outside/periodo.frp"
    "$cli" export "$disk/arc.mdb" > "$outside/before.csv"
    # Fill the disk, then give back what this round leaves free.
    dd if=/dev/zero of="$disk/riempimento" bs=4k 2>/dev/null || true
    [ "$free_kb" -eq 0 ] || truncate -s "-${free_kb}K" "$disk/riempimento"

    for cmd in import header compact frp; do
        case $cmd in
            import) "$cli" import "$disk/arc.mdb" "$outside/nuovi.csv" > /dev/null 2> "$outside/msg" && ok=1 || ok=0 ;;
            header) "$cli" header "$disk/arc.mdb" --set "Terapia=$(head -c 3000 /dev/zero | tr '\0' t)" > /dev/null 2> "$outside/msg" && ok=1 || ok=0 ;;
            compact) "$cli" compact "$disk/arc.mdb" > /dev/null 2> "$outside/msg" && ok=1 || ok=0 ;;
            frp) "$cli" report build "$template" --archive "$disk/arc.mdb" --frp "$disk/periodo.frp" > /dev/null 2> "$outside/msg" && ok=1 || ok=0 ;;
        esac
        what="$cmd with $free_kb KB free"
        if [ $ok -eq 0 ]; then
            [ -s "$outside/msg" ] || { echo "FAIL $what: failed without a word"; fails=$((fails + 1)); }
            grep -q "savepoint" "$outside/msg" && { echo "FAIL $what: $(cat "$outside/msg")"; fails=$((fails + 1)); }
            case $cmd in
                frp) cmp -s "$disk/periodo.frp" "$outside/periodo.frp" || { echo "FAIL $what: the old prepared report was lost"; fails=$((fails + 1)); } ;;
                *) check "$what" "$outside/before.csv" ;;
            esac
            echo "ok   $what: refused ($(head -c 120 "$outside/msg" | tr '\n' ' '))"
        else
            echo "ok   $what: done"
            "$cli" export "$disk/arc.mdb" > "$outside/before.csv"
            cp "$disk/periodo.frp" "$outside/periodo.frp"
        fi
        if ls -a "$disk" | grep -q '\.part$\|\.tmp$\|-journal$'; then
            echo "FAIL $what: left $(ls -a "$disk" | grep '\.part$\|\.tmp$\|-journal$' | tr '\n' ' ')"
            fails=$((fails + 1))
        fi
    done
done
[ $fails -eq 0 ] && echo "diskfull: every case passed"
exit $((fails > 0))
