#!/usr/bin/env bash
# check_pe.sh FILE DLL...: a shipped program is a GUI-subsystem PE for NT4 and later,
# stripped, and imports nothing but the given DLLs, which every Windows has.
set -u
file=$1; shift
allowed=" $* "
[ -f "$file" ] || { echo "missing: $file"; exit 1; }
dump=$(i686-w64-mingw32-objdump -p "$file") || exit 1
fail=0

subsystem=$(awk '/^Subsystem/ {print $2}' <<<"$dump")
[ "$subsystem" = 00000002 ] || { echo "subsystem: expected 00000002 (Windows GUI), got $subsystem"; fail=1; }

os=$(awk '/^MajorOSystemVersion/ {print $2}' <<<"$dump")
[ "$os" = 4 ] || { echo "MajorOSystemVersion: expected 4, got $os"; fail=1; }

while read -r dll; do
  [[ "$allowed" == *" $dll "* ]] || { echo "imports $dll, expected only:$allowed"; fail=1; }
done < <(awk '/DLL Name:/ {print $3}' <<<"$dump")

if i686-w64-mingw32-objdump -h "$file" | grep -qE '\.debug|\.stab'; then
  echo "not stripped: debug sections present"; fail=1
fi
exit $fail
