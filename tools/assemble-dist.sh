#!/usr/bin/env bash
# assemble-dist.sh WINDOWS_BUILD_DIR DIST_DIR: the distribution folder as the one-file
# package unpacks it, kivsetup.exe beside kvz31/ with the page DLL, the uninstaller and
# vornex.dll; that package, Tessaline-setup.exe, made of those files; and the folder zipped.
set -euo pipefail
win=$1; dist=$2
out=$dist/Tessaline
package=$dist/Tessaline-setup.exe
rm -rf "$out" "$dist/Tessaline.zip" "$package"
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
# makensis works in the script's folder: every path it gets is absolute.
here=$(realpath "$out")
makensis -V1 -WX -DKIVSETUP="$here/kivsetup.exe" -DKIVREL3="$here/kvz31/Kivrel3.dll" \
  -DKIVREMOVE="$here/kvz31/kivremove.exe" -DVORNEX="$here/kvz31/vornex.dll" \
  -DOUTFILE="$(realpath "$dist")/Tessaline-setup.exe" \
  "$(dirname "$0")/../installer/package/Tessaline-setup.nsi"
made+=("$package")
if command -v zip >/dev/null 2>&1 && [ -f "$out/kivsetup.exe" ]; then
  (cd "$dist" && zip -qr Tessaline.zip Tessaline)
  made+=("$dist/Tessaline.zip")
fi
echo "Made:"
for f in "${made[@]}"; do
  printf '  %-40s %8d bytes\n' "$f" "$(stat -c %s "$f")"
done
