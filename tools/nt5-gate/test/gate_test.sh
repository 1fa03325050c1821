#!/usr/bin/env bash
# Proves that the Windows 2000 gate passes a program built like the product and fails the ones that would not
# load on Windows 2000 SP4. Builds the samples with the mingw-w64 cross compilers (win32 thread model).
# Usage: tools/nt5-gate/test/gate_test.sh GATE   (GATE: the built nt5-gate program)
set -euo pipefail
gate=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

i686='i686-w64-mingw32-g++-win32'
x64='x86_64-w64-mingw32-g++-win32'
nt5_header=-Wl,--major-subsystem-version,5,--minor-subsystem-version,0,--major-os-version,5,--minor-os-version,0
libs=(-lshell32 -lshlwapi -ladvapi32)

# Compile once, link per case.
$i686 -Os -c "$here/sample_main.cpp" -o main-i686.o
$x64 -Os -c "$here/sample_main.cpp" -o main-x64.o
for extra in none tick64 shcreatedirectory; do $i686 -Os -c "$here/sample_$extra.cpp" -o "$extra-i686.o"; done
$x64 -Os -c "$here/sample_none.cpp" -o none-x64.o

# name | link command (objects and flags) | expected exit status | text the verdict must contain
static=(-static -s "$nt5_header")
cases=(
  "product-like|$i686 main-i686.o none-i686.o ${static[*]}|0|PASS: "
  "GetTickCount64|$i686 main-i686.o tick64-i686.o ${static[*]}|1|kernel32.dll!GetTickCount64: not exported by name"
  "SHCreateDirectory|$i686 main-i686.o shcreatedirectory-i686.o ${static[*]}|1|shell32.dll!SHCreateDirectory: not expo"
  "subsystem-6.0|$i686 main-i686.o none-i686.o -static -s -Wl,--major-subsystem-version,6|1|subsystem version 6.0"
  "os-version-5.1|$i686 main-i686.o none-i686.o ${static[*]},--minor-os-version,1|1|OS version 5.1 is above 5.0"
  "shared-runtime|$i686 main-i686.o none-i686.o -s $nt5_header|1|libstdc++-6.dll is not a Windows 2000 system"
  "x86_64|$x64 main-x64.o none-x64.o ${static[*]}|1|machine 0x8664 is not i386"
)

failures=0
for row in "${cases[@]}"; do
  IFS='|' read -r name link expected_status expected_text <<<"$row"
  # shellcheck disable=SC2086
  $link -o "$name.exe" "${libs[@]}"
  set +e
  verdict=$("$gate" "$name.exe")
  status=$?
  set -e
  if [[ $status != "$expected_status" || $verdict != *"$expected_text"* ]]; then
    echo "gate test FAILED: $name: expected status $expected_status and \"$expected_text\", got status $status:"
    echo "$verdict"
    failures=$((failures + 1))
  else
    echo "gate test ok: $name (status $status)"
  fi
done

# A file that is not an executable is an error, never a pass.
echo "not a PE file" >text.exe
set +e
"$gate" text.exe >/dev/null
status=$?
set -e
if [[ $status != 2 ]]; then
  echo "gate test FAILED: not-a-PE-file: status $status, expected 2"
  failures=$((failures + 1))
else
  echo "gate test ok: not-a-PE-file (status 2)"
fi

if ((failures)); then
  echo "gate test: $failures case(s) failed"
  exit 1
fi
echo "gate test: all cases passed"
