#!/bin/sh
# Builds the fuzz targets of the readers of outside input (templates,
# expressions, prepared reports, page metafiles, the settings file, the CSV of
# days) with clang (libFuzzer, ASan, UBSan) in build/fuzz and runs each one.
#   scripts/fuzz-report.sh           short fixed run: seed corpus, -seed=1, -runs=$FUZZ_RUNS (default 2000)
#   scripts/fuzz-report.sh SECONDS   explore for SECONDS per target; new inputs go to build/fuzz/corpus-<target>
# FUZZ_TARGETS="fuzz_emf fuzz_csv" limits the run to those targets; JOBS sets the build's parallelism.
# Each input is held to libFuzzer's own limits (10 s, 2 GB): past them is a finding too.
# Exits non-zero on the first finding (the input is left in build/fuzz).
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-}"
runs="${FUZZ_RUNS:-2000}"
# folder under tests/ and target; the seeds are in tests/<folder>/corpus/<target>
all="report/fuzz_template report/fuzz_frt report/fuzz_expr fuzz/fuzz_frp fuzz/fuzz_emf fuzz/fuzz_ini fuzz/fuzz_csv"
limits="-timeout=10 -rss_limit_mb=2048 -max_len=8192"

entries=""
for entry in $all; do
    case " ${FUZZ_TARGETS:-${entry#*/}} " in
        *" ${entry#*/} "*) entries="$entries $entry" ;;
    esac
done
[ -n "$entries" ] || { echo "fuzz-report.sh: no target among: ${FUZZ_TARGETS:-}" >&2; exit 2; }
names=""
for entry in $entries; do names="$names ${entry#*/}"; done

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTONALBA_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build build/fuzz --target $names -j "${JOBS:-2}"

export QT_QPA_PLATFORM=offscreen
export TONALBA_LOCALE=it_IT
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for entry in $entries; do
    target="${entry#*/}"
    seeds="../../tests/${entry%/*}/corpus/$target"
    binary="../../build/fuzz/tests/$entry"
    # Files other programs wrote, read where they lie (never copied into the tree).
    outside=""
    case "$target" in
        fuzz_emf) outside="emf/good emf/corrupted" ;;
        fuzz_csv) outside="monitors" ;;
    esac
    for folder in $outside; do
        if [ -d "../shared/testdata/$folder" ]; then seeds="$seeds ../../../shared/testdata/$folder"; fi
    done
    if [ -n "$seconds" ]; then
        work="build/fuzz/corpus-$target"
        mkdir -p "$work"
        echo "== $target: $seconds s"
        # shellcheck disable=SC2086 # $limits and $seeds are lists
        (cd build/fuzz && "$binary" -max_total_time="$seconds" $limits -print_final_stats=1 "../../$work" $seeds)
    else
        # New inputs go to the first folder: a scratch one, never the seeds in the tree.
        scratch="build/fuzz/scratch-$target"
        rm -rf "$scratch"
        mkdir -p "$scratch"
        echo "== $target: $runs runs"
        # shellcheck disable=SC2086
        (cd build/fuzz && "$binary" -seed=1 -runs="$runs" $limits "../../$scratch" $seeds)
    fi
done
