#!/usr/bin/env bash
# Shows Tessaline at work under Wine and saves screenshots:
#   demo-out/installer.png     the installer's window
#   demo-out/streams-page.png  the Properties dialog of a download on its Streams tab,
#                              after a View
# Wine counts as Windows Vista or later and has no alternate data streams, so the demo
# uses the test rig's builds: Windows XP version facts and emulated streams.
set -euo pipefail
cd "$(dirname "$0")"
out=$PWD/demo-out
mkdir -p "$out"
echo "Building (log: demo-out/build.log)..."
./build.sh >"$out/build.log" 2>&1 || { tail -20 "$out/build.log"; exit 1; }
echo "Starting a throw-away Wine prefix under Xvfb..."

rig=$out/rig
win=build/host/windows
rm -f "$out"/*.png
# The rig goes however the demo ends.
trap 'tests/wine/rig.sh cleanup "$rig" >/dev/null 2>&1' EXIT
trap 'exit 130' INT TERM HUP
tests/wine/rig.sh setup "$rig" >/dev/null

# Each run in a prefix of its own has a display of its own: the shot is taken of that one.
shoot() { DISPLAY=$(cat "$rig/fresh/$1.x/display") import -window root "$2"; echo "  $2"; }

echo "Screenshots:"

# The installer's window, as it opens on Windows XP.
installer=$win/tests/wine/xp/kivsetup.exe
tests/wine/rig.sh run "$rig" --fresh-prefix installer -- "$installer" >/dev/null 2>&1 &
pid=$!
sleep 5
shoot installer "$out/installer.png"
WINEPREFIX=$rig/fresh/installer wineserver -k >/dev/null 2>&1 || true
wait $pid 2>/dev/null || true

# Tessaline installed through that window, then the shell's Properties dialog of a download: the Streams tab,
# Zone.Identifier selected and viewed. The installer tests' demo says when it is shown, and keeps it so.
log=$out/streams-page.log
tests/wine/rig.sh run "$rig" --fresh-prefix page -- "$win/tests/wine/xp/installer_tests.exe" \
  --gtest_also_run_disabled_tests --gtest_filter=Installer.DISABLED_Demo >"$log" 2>&1 &
pid=$!
for _ in $(seq 600); do
  grep -q '^demo: shown' "$log" && break
  kill -0 $pid 2>/dev/null || { cat "$log" >&2; echo "demo: no Properties dialog" >&2; exit 1; }
  sleep 0.1
done
grep -q '^demo: shown' "$log" || { echo "demo: timed out" >&2; exit 1; }
sleep 1
shoot page "$out/streams-page.png"
WINEPREFIX=$rig/fresh/page wineserver -k >/dev/null 2>&1 || true
wait $pid 2>/dev/null || true
