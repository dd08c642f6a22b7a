#!/bin/sh
# The mesh tools for Windows write the same bytes as on Linux (binary-mode output, LF line ends):
# teapot.exe 8 writes the shipped data/teapot.tri, and obj2tri.exe writes from an OBJ file with
# CR LF line ends, polygons, negative indices and v/vt/vn corners what the Linux obj2tri writes.
#
#   tools_check.sh WINE TEAPOT_EXE OBJ2TRI_EXE LINUX_OBJ2TRI SOURCE_DIR WORK
set -eu
wine=$1 teapot=$2 obj2tri=$3 linux_obj2tri=$4 source=$5 work=$6
rm -rf "$work"
mkdir -p "$work"

"$wine" "$teapot" 8 "$work/teapot.tri" "$source/data/newell-teapot.txt" >/dev/null
cmp "$work/teapot.tri" "$source/data/teapot.tri"

printf '%s\r\n' '# a unit cube, its faces as quads' 'v -1 -1 -1' 'v 1 -1 -1' 'v 1 1 -1' \
  'v -1 1 -1' 'v -1 -1 1' 'v 1 -1 1' 'v 1 1 1' 'v -1 1 1' 'vt 0 0' 'vn 0 0 1' \
  'f 1 4 3 2' 'f 5 6 7 8' 'f 1/1 2/1 6/1 5/1' 'f 2//1 3//1 7//1 6//1' 'f -5 -1 -2 -6' \
  'f 1/1/1 5/1/1 8/1/1 4/1/1' 'v 0.1 1e-3 -2.5e+2' 'f 1 2 -1' >"$work/cube.obj"
"$linux_obj2tri" "$work/cube.obj" "$work/linux.tri" >/dev/null
"$wine" "$obj2tri" "$work/cube.obj" "$work/windows.tri" >/dev/null
cmp "$work/linux.tri" "$work/windows.tri"
echo "teapot.exe 8 and obj2tri.exe write the same bytes as on Linux"
