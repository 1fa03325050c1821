#!/usr/bin/env bash
# Runs every test of Tovrin: installs what is missing, builds the three builds, runs the unit tests (plain and
# under AddressSanitizer and UndefinedBehaviorSanitizer), a short fuzzing run, the Windows 2000 import gate and
# the end-to-end suite under Wine, then prints the figures (sizes, run time) without judging them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh test
scripts/build.sh all

echo "== unit tests"
ctest --test-dir build/native --output-on-failure -j2

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DTOVRIN_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build/sanitize --output-on-failure -j2

if [[ -x scripts/fuzz.sh ]]; then
  echo "== fuzzing (short run)"
  scripts/fuzz.sh --short
fi

if [[ -x tools/nt5-gate/run-gate.sh ]]; then
  echo "== Windows 2000 import gate"
  tools/nt5-gate/run-gate.sh "$root/dist/tovrin-i686.exe"
fi

if [[ -x scripts/e2e.sh ]]; then
  echo "== end-to-end runs under Wine"
  scripts/e2e.sh
fi

echo "== figures"
for arch in i686 x86_64; do
  echo "size dist/tovrin-$arch.exe: $(stat -c %s "dist/tovrin-$arch.exe") bytes"
done
