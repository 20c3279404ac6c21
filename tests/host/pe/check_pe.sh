#!/usr/bin/env bash
# check_pe.sh FILE...: each shipped file loads on Windows NT4, 2000 and XP: PE subsystem and
# OS version at most 4.0 (NT4's loader refuses a later one), imports from Windows' own DLLs
# only (no libstdc++, libgcc or winpthread DLL), stripped, a program in the GUI subsystem (no
# console opens), and no implicit TLS data, which XP does not set up for a DLL loaded with
# LoadLibrary: the .tls section holds only the C runtime's two markers.
set -u
system=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll ole32.dll oleaut32.dll msvcrt.dll ntdll.dll "
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

  while read -r dll; do
    [[ "$system" == *" ${dll,,} "* ]] || bad "imports $dll, which is not Windows' own"
  done < <(awk '/DLL Name:/ {print $3}' <<<"$dump")

  sections=$(i686-w64-mingw32-objdump -h "$file")
  grep -qE '\.debug|\.stab' <<<"$sections" && bad "not stripped"
  tls=$(awk '$2 == ".tls" {print $3}' <<<"$sections")
  [ -z "$tls" ] || [ $((16#$tls)) -le 8 ] || bad ".tls holds $((16#$tls)) bytes: implicit TLS data"
done
exit $fail
