#!/usr/bin/env bash
# Kills a compacting process at random moments many more times than the test
# suite does, and checks after each kill that the 10,000-day archive is whole.
# Usage: scripts/crash-compact.sh [trials] [build dir]
set -euo pipefail
trials=${1:-2000}
build=${2:-build/test}
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" --target tst_daodatabase_crash
TONALBA_CRASH_TRIALS=$trials TONALBA_LOCALE=it_IT QT_QPA_PLATFORM=offscreen \
  "$build/tests/data/tst_daodatabase_crash"
