#!/bin/sh
# cliptrace.exe makes the same triangles and the same reference trace as the Linux cliptrace,
# number for number (Windows' standard output, in text mode, ends its lines with CR LF), and
# checks the Linux reference trace as right, bit for bit.
#
#   cliptrace_check.sh WINE CLIPTRACE_EXE LINUX_CLIPTRACE WORK
set -eu
wine=$1 exe=$2 linux=$3 work=$4
rm -rf "$work"
mkdir -p "$work"

"$linux" triangles --hard --count 300 --seed 11 >"$work/linux-triangles.jsonl"
"$wine" "$exe" triangles --hard --count 300 --seed 11 | tr -d '\r' >"$work/windows-triangles.jsonl"
cmp "$work/linux-triangles.jsonl" "$work/windows-triangles.jsonl"

"$linux" reference "$work/linux-triangles.jsonl" >"$work/linux-reference.jsonl"
"$wine" "$exe" reference "$work/linux-triangles.jsonl" | tr -d '\r' >"$work/windows-reference.jsonl"
cmp "$work/linux-reference.jsonl" "$work/windows-reference.jsonl"

"$wine" "$exe" check "$work/linux-triangles.jsonl" "$work/linux-reference.jsonl" --exact >/dev/null
echo "cliptrace.exe makes the same triangles and trace as on Linux, and checks them right"
