#!/usr/bin/env bash
# Builds everything and runs every test: host tests, the fuzz target over its committed
# seeds, and the Windows-side tests under Wine. Ends with ctest's summary line.
set -euo pipefail
cd "$(dirname "$0")"
./build.sh
cd build/host
ctest -j "${JOBS:-2}" --output-on-failure
