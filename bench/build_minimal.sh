#!/bin/sh
# Builds bench/minimal.c as a 32-bit Windows GUI program like lumra.exe (static, no DLL of its
# own): build/bench-wine/minimal.exe, or the path given.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../build/bench-wine/minimal.exe}
mkdir -p "$(dirname "$out")"
i686-w64-mingw32-gcc -O2 -Wall -Wextra -mwindows -static -o "$out" "$here/minimal.c"
echo "$out"
