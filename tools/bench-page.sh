#!/usr/bin/env bash
# bench-page.sh: times opening the Streams page over 1,000, 10,000 and 60,000 emulated
# streams under Wine, with Windows XP's facts, against the same property sheet holding a
# sorted list box filled with the same lines; prints both times and their ratio; then the
# time of Initialize over selections of 1,000, 10,000 and 100,000 items. A benchmark, not a
# test: ctest does not run it. Takes a few minutes (60,000 files are made).
set -euo pipefail
cd "$(dirname "$0")/.."
./build.sh >/dev/null
cmake --build build/host/windows --target page_bench >/dev/null
rig=$(mktemp -d)
trap 'tests/wine/rig.sh cleanup "$rig" >/dev/null 2>&1; rm -rf "$rig"' EXIT
tests/wine/rig.sh setup "$rig" >/dev/null
tests/wine/rig.sh run "$rig" -- build/host/windows/tests/wine/xp/page_bench.exe
