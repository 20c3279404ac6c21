#!/usr/bin/env bash
# Builds the host and Windows trees and assembles dist/Tessaline/.
set -euo pipefail
cd "$(dirname "$0")"
./tools/ensure-deps.sh

jobs=${JOBS:-2}
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/host -j "$jobs"

./tools/assemble-dist.sh build/host/windows dist
