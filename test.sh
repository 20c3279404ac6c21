#!/usr/bin/env bash
# Builds everything and runs every test: host tests, the fuzz target over its committed
# seeds, and the Windows-side tests under Wine. Ends with ctest's summary line.
set -euo pipefail
cd "$(dirname "$0")"
./build.sh
# The Wine rig the tests make goes however the run ends (ctest's own cleanup removes it too).
trap 'tests/wine/rig.sh cleanup build/host/wine-rig >/dev/null 2>&1' EXIT
trap 'exit 130' INT TERM HUP
(cd build/host && ctest -j "${JOBS:-2}" --output-on-failure)
