#!/usr/bin/env bash
# same_bytes.sh SCRIPT WORK KIVSETUP KIVREL3 KIVREMOVE VORNEX: makes the package twice, of
# copies of the files dated a year apart, and compares the two.
set -eu
script=$1 work=$2; shift 2
rm -rf "$work"
for run in 1 2; do
  mkdir -p "$work/$run"
  cp "$@" "$work/$run/"
  touch -d "202$run-06-01 12:00" "$work/$run"/*
  makensis -V1 -WX -DKIVSETUP="$work/$run/kivsetup.exe" -DKIVREL3="$work/$run/Kivrel3.dll" \
    -DKIVREMOVE="$work/$run/kivremove.exe" -DVORNEX="$work/$run/vornex.dll" \
    -DOUTFILE="$work/$run.exe" "$script"
done
cmp "$work/1.exe" "$work/2.exe"
