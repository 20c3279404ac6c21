#!/usr/bin/env bash
# run-under-wine.sh PREFIX PROGRAM [ARGS...]: runs a build-time Windows program in a
# private 32-bit prefix of the build tree (made on first use) and waits for that
# prefix's wineserver to end, so the build leaves nothing running.
set -eu
prefix=$1; shift
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
if [ ! -f "$prefix/system.reg" ]; then
  rm -rf "$prefix"
  wineboot -i >/dev/null 2>&1 || { echo "run-under-wine: wineboot failed in $prefix" >&2; exit 1; }
fi
rc=0
wine "$@" || rc=$?
wineserver -w
exit $rc
