#!/usr/bin/env bash
# assemble-dist.sh WINDOWS_BUILD_DIR DIST_DIR: the one-file package, Tessaline-setup.exe, as the
# build made it of the shipped files; the folder it unpacks, kivsetup.exe beside kvz31/ with
# the page DLL, the uninstaller and vornex.dll; and that folder zipped.
set -euo pipefail
win=$1; dist=$2
out=$dist/Tessaline
rm -rf "$out" "$dist/Tessaline.zip" "$dist/Tessaline-setup.exe"
mkdir -p "$out/kvz31"
# Every file or nothing: an incomplete distribution would install an incomplete product.
copy() {
  [ -f "$1" ] || { echo "assemble-dist: $1 is missing; build first" >&2; exit 1; }
  cp "$1" "$2"
  made+=("$2${1##*/}")
}
made=()
copy "$win/installer/kivsetup.exe"  "$out/"
copy "$win/page/Kivrel3.dll"        "$out/kvz31/"
copy "$win/uninstaller/kivremove.exe" "$out/kvz31/"
copy "$win/vornex/vornex.dll"       "$out/kvz31/"
copy "$win/installer/Tessaline-setup.exe" "$dist/"
if command -v zip >/dev/null 2>&1 && [ -f "$out/kivsetup.exe" ]; then
  (cd "$dist" && zip -qr Tessaline.zip Tessaline)
  made+=("$dist/Tessaline.zip")
fi
echo "Made:"
for f in "${made[@]}"; do
  printf '  %-40s %8d bytes\n' "$f" "$(stat -c %s "$f")"
done
