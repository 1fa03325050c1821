#!/usr/bin/env bash
# The Windows 2000 gate: builds the checker (natively, into build/nt5-gate), proves on small executables that it
# passes a program built like the product and fails ones that would not load on Windows 2000 SP4, then checks
# the given executables (default dist/tovrin-i686.exe). Exit status 0 only when all of that holds.
# Usage: tools/nt5-gate/run-gate.sh [FILE...]
# Needs cmake, g++ and the mingw-w64 win32 compilers (i686 and x86_64), installed with apt-get when run as root.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
files=("$@")
((${#files[@]})) || files=("$root/dist/tovrin-i686.exe")

missing=()
for p in cmake g++ make g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  [[ $(id -u) -eq 0 ]] || { echo "nt5-gate: missing packages: ${missing[*]}" >&2; exit 2; }
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S "$here" -B "$root/build/nt5-gate" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/nt5-gate" -j"$(nproc 2>/dev/null || echo 2)" >/dev/null
gate=$root/build/nt5-gate/nt5-gate

"$here/test/gate_test.sh" "$gate"
"$gate" "${files[@]}"
