#!/usr/bin/env bash
# The Wine test rig. One private 32-bit prefix (Windows XP) and one Xvfb display per
# test run; everything it starts is stopped again by PID or by its own wineserver.
#
#   rig.sh setup   STATE                   make the template prefix, start Xvfb
#   rig.sh run     STATE [--fresh-prefix NAME [--dpi N]] -- PROGRAM [ARGS...]
#                                          run a Windows program (or a shell script, which
#                                          then finds WINEPREFIX, DISPLAY and RIG_* set)
#   rig.sh cleanup STATE                   stop every wineserver and the Xvfb it started, and
#                                          remove STATE
#
# --fresh-prefix gives the program a copy of the template prefix (so a wineserver) and an
# Xvfb of its own, both removed after it passes: two programs on one display or one
# wineserver take the focus, the capture and the pointer from each other, so a test's
# clicks and keys could reach another test's windows. --dpi sets that copy's screen to N
# pixels per inch (Wine's LogPixels).
set -u

die() { echo "rig: $*" >&2; exit 2; }

cmd=${1:-}; state=${2:-}
[ -n "$cmd" ] && [ -n "$state" ] || die "usage: rig.sh setup|run|cleanup STATE ..."
shift 2

export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Starts an Xvfb that writes its display to DIR/display and its PID to DIR/xvfb.pid. Xvfb
# takes a free display number itself and writes it once it accepts clients, so no two runs
# race for one; the read ends with Xvfb if it cannot start.
start_xvfb() {
  mkfifo "$1/display.fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display.fifo" >"$1/xvfb.log" 2>&1 &
  echo $! >"$1/xvfb.pid"
  local display=
  read -r -t 30 display <"$1/display.fifo"
  rm -f "$1/display.fifo"
  [ -n "$display" ] || die "Xvfb did not start, see $1/xvfb.log"
  echo ":$display" >"$1/display"
}

stop_xvfb() {
  [ -f "$1/xvfb.pid" ] && kill "$(cat "$1/xvfb.pid")" 2>/dev/null
  rm -f "$1/xvfb.pid"
}

stop_prefix() {
  [ -d "$1" ] && WINEPREFIX=$1 wineserver -k >/dev/null 2>&1
  return 0
}

case "$cmd" in
setup)
  "$0" cleanup "$state" >/dev/null 2>&1
  rm -rf "$state"
  mkdir -p "$state/fresh"
  prefix=$state/prefix
  WINEPREFIX=$prefix wineboot -i >"$state/wineboot.log" 2>&1 || die "wineboot failed, see $state/wineboot.log"
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine' /v Version /d winxp /f >>"$state/wineboot.log" 2>&1
  # No window manager runs on the display: unmanaged windows spare the X11 driver's wait
  # for one when a window closes.
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$state/wineboot.log" 2>&1
  WINEPREFIX=$prefix wineserver -w
  # Wine's own fonts (fonts-wine: Marlett draws the caption and scroll-bar buttons, Tahoma
  # is the dialog font) lie in /usr/share/wine/fonts, where Debian's Wine 8 never looks;
  # it loads them from the prefix's Fonts folder.
  cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null
  start_xvfb "$state"
  echo "rig: prefix $prefix, display $(cat "$state/display")"
  ;;

run)
  [ -d "$state/prefix" ] || die "no rig in $state: run setup first"
  prefix=$state/prefix
  fresh=
  displays=$state
  if [ "${1:-}" = "--fresh-prefix" ]; then
    fresh=$state/fresh/$2
    shift 2
    rm -rf "$fresh"
    cp -a "$prefix" "$fresh"
    prefix=$fresh
    if [ "${1:-}" = "--dpi" ]; then
      WINEPREFIX=$prefix wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$2" /f >/dev/null 2>&1
      WINEPREFIX=$prefix wineserver -w
      shift 2
    fi
    displays=$fresh.x
    mkdir -p "$displays"
    start_xvfb "$displays"
  fi
  [ "${1:-}" = "--" ] && shift
  [ $# -ge 1 ] || die "run: no program"
  export WINEPREFIX=$prefix
  DISPLAY=$(cat "$displays/display")
  export DISPLAY
  export RIG_STATE=$state
  case "$1" in
    *.exe) wine "$@" ;;
    *)     "$@" ;;
  esac
  rc=$?
  if [ -n "$fresh" ]; then
    stop_prefix "$fresh"
    [ "$displays" = "$state" ] || stop_xvfb "$displays"
    [ $rc -eq 0 ] && rm -rf "$fresh" "$fresh.x"
  fi
  exit $rc
  ;;

cleanup)
  stop_prefix "$state/prefix"
  for p in "$state"/fresh/*; do
    case "$p" in *.x) stop_xvfb "$p" ;; *) stop_prefix "$p" ;; esac
  done
  stop_xvfb "$state"
  rm -rf "$state"
  echo "rig: stopped and removed"
  ;;

*) die "unknown command $cmd" ;;
esac
