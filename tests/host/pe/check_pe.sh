#!/usr/bin/env bash
# check_pe.sh [--target nt4|2000|xp] FILE...: each file loads on its target Windows (the oldest,
# NT4, when none is named) and every one after it: PE subsystem and OS version at most 4.0
# (NT4's loader refuses a later one), only calls that imports.txt lists as present on the
# target (so Windows' own DLLs only: no libstdc++, libgcc or winpthread DLL), stripped, a
# program in the GUI subsystem (no console opens), and no implicit TLS data, which XP does
# not set up for a DLL loaded with LoadLibrary: the .tls section holds only the C runtime's
# two markers.
set -u
target=nt4
if [ "${1:-}" = --target ]; then target=$2; shift 2; fi
rank() { case $1 in nt4) echo 0 ;; 2000) echo 1 ;; xp) echo 2 ;; *) echo 99 ;; esac; }
[ "$(rank "$target")" -lt 99 ] || { echo "check_pe: unknown target $target"; exit 2; }

declare -A since
while read -r dll call oldest; do
  [[ -z "$dll" || "$dll" == \#* ]] || since[$dll/$call]=$oldest
done <"$(dirname "$0")/imports.txt"

fail=0
bad() { echo "$file: $*"; fail=1; }
at_most_4_0() { [ "$1" -lt 4 ] || { [ "$1" -eq 4 ] && [ "$2" -eq 0 ]; }; }

for file in "$@"; do
  [ -f "$file" ] || { bad "missing"; continue; }
  dump=$(i686-w64-mingw32-objdump -p "$file") || { bad "not a PE file"; continue; }
  field() { awk -v f="$1" '$1 == f {print $2}' <<<"$dump"; }

  at_most_4_0 "$(field MajorSubsystemVersion)" "$(field MinorSubsystemVersion)" ||
    bad "subsystem version $(field MajorSubsystemVersion).$(field MinorSubsystemVersion), above 4.0"
  at_most_4_0 "$(field MajorOSystemVersion)" "$(field MinorOSystemVersion)" ||
    bad "OS version $(field MajorOSystemVersion).$(field MinorOSystemVersion), above 4.0"

  case "$file" in
    *.exe) [ "$(field Subsystem)" = 00000002 ] || bad "subsystem $(field Subsystem), not the GUI's (2)" ;;
  esac

  # Imports by name ("DLL Name:" then one line a call: address, hint, name); by ordinal as "#n".
  while read -r dll call; do
    oldest=${since[$dll/$call]:-}
    if [ -z "$oldest" ]; then
      bad "imports $call from $dll, which imports.txt does not list for any target"
    elif [ "$(rank "$oldest")" -gt "$(rank "$target")" ]; then
      bad "imports $call from $dll, which $target lacks (it came with $oldest)"
    fi
  done < <(awk '/DLL Name:/ {dll = tolower($3)}
                /^\t[0-9a-f]+\t +[0-9]+ / {print dll, ($3 != "" ? $3 : "#" $2)}' <<<"$dump")

  sections=$(i686-w64-mingw32-objdump -h "$file")
  grep -qE '\.debug|\.stab' <<<"$sections" && bad "not stripped"
  tls=$(awk '$2 == ".tls" {print $3}' <<<"$sections")
  [ -z "$tls" ] || [ $((16#$tls)) -le 8 ] || bad ".tls holds $((16#$tls)) bytes: implicit TLS data"
done
exit $fail
