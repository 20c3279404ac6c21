#!/usr/bin/env bash
# fuzz.sh [SECONDS]: fuzzes the stream-record walk with new random inputs for the given
# time (default 600 s), starting from the committed seeds. A crashing input is saved as
# crash-* in the current folder; add it to tests/fuzz/corpus once the walk is fixed, so
# that ./test.sh replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
./build.sh >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/host/tests/fuzz/stream_walk_fuzz -max_total_time="$seconds" -timeout=5 -rss_limit_mb=1024 \
  -print_final_stats=1 "$work" tests/fuzz/corpus
