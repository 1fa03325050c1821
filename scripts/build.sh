#!/usr/bin/env bash
# Builds the three builds of the one source tree:
#   build/native   the unit tests (Linux, g++)
#   build/i686     the product, dist/tovrin-i686.exe (Windows 2000 SP4 and later)
#   build/x86_64   the same program for wine64, dist/tovrin-x86_64.exe
# Usage: scripts/build.sh [native|windows|all]   (default all)
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-all}
jobs=$(nproc 2>/dev/null || echo 2)

if [[ $what == all || $what == native ]]; then
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build/native -j"$jobs"
fi
if [[ $what == all || $what == windows ]]; then
  mkdir -p dist
  for arch in i686 x86_64; do
    cmake -S . -B "build/$arch" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
    cmake --build "build/$arch" -j"$jobs"
    cp "build/$arch/tovrin.exe" "dist/tovrin-$arch.exe"
  done
fi
