#!/bin/sh
# Builds the report engine's fuzz targets with clang (libFuzzer, ASan, UBSan)
# in build/fuzz and runs each one.
#   scripts/fuzz-report.sh           short fixed run: seed corpus, -seed=1, -runs=$FUZZ_RUNS (default 2000)
#   scripts/fuzz-report.sh SECONDS   explore for SECONDS per target; new inputs go to build/fuzz/corpus-<target>
# Exits non-zero on the first finding (the crashing input is left in build/fuzz).
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-}"
runs="${FUZZ_RUNS:-2000}"
targets="fuzz_template fuzz_expr"

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTONALBA_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build build/fuzz --target $targets -j "${JOBS:-2}"

export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for target in $targets; do
    seeds="tests/report/corpus/$target"
    binary="build/fuzz/tests/report/$target"
    if [ -n "$seconds" ]; then
        work="build/fuzz/corpus-$target"
        mkdir -p "$work"
        echo "== $target: $seconds s"
        (cd build/fuzz && "../../$binary" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
            "../../$work" "../../$seeds")
    else
        # New inputs go to the first folder: a scratch one, never the seeds in the tree.
        scratch="build/fuzz/scratch-$target"
        rm -rf "$scratch"
        mkdir -p "$scratch"
        echo "== $target: $runs runs"
        (cd build/fuzz && "../../$binary" -seed=1 -runs="$runs" -max_len=8192 "../../$scratch" "../../$seeds")
    fi
done
