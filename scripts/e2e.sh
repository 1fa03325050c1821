#!/usr/bin/env bash
# Tovrin's end-to-end suite: the real program, in throwaway Wine prefixes, fed typed answers, its whole
# transcript compared line by line with the expected one, and the prefix inspected afterwards (tests/e2e/).
#
# Usage: scripts/e2e.sh [x86_64|i686|all] [CASE...]     (default: all, every case)
#   x86_64  every case (tests/e2e/cases/*.case) with dist/tovrin-x86_64.exe under wine64
#   i686    the product itself, dist/tovrin-i686.exe, under 32-bit Wine: the complete XP case in Wine's WoW64
#           mode, and one more case through qemu-user (alongside the x86_64 cases: it takes minutes)
#   all     both; then the figures
# Environment:
#   TOVRIN_E2E_KEEP=1           keep the work folder (transcripts, snapshots; prefixes are always deleted)
#   TOVRIN_E2E_I686_CASE=NAME   the case the i686 build runs in WoW64 mode (default xp-yes)
#   TOVRIN_E2E_QEMU_CASE=NAME   the case the i686 build runs through qemu-user (default xp-stop-step3, whose run
#                               starts no other program). Each 32-bit process takes one to two minutes to start
#                               there; a complete run starts five (the program, cmd.exe and ipconfig, cmd.exe and
#                               rundll32 after "Y" to the IE reinstall): xp-yes takes about 10 minutes.
#                               An empty value skips the qemu-user run.
#
# Needs dist/tovrin-x86_64.exe and dist/tovrin-i686.exe (scripts/build.sh windows). Installs wine64 and the
# mingw-w64 compiler (and for i686 wine32:i386 and qemu-user) with apt-get when run as root and they are missing.
set -euo pipefail
# shellcheck source=SCRIPTDIR/e2e/lib.sh
source "$(dirname "$0")/e2e/lib.sh"
cd "$E2E_ROOT"

what=all
case ${1:-} in x86_64 | i686 | all) what=$1 && shift ;; esac
cases_dir=tests/e2e/cases
if (($#)); then selected=("$@"); else
  selected=()
  for f in "$cases_dir"/*.case; do selected+=("$(basename "$f" .case)"); done
fi
wow64_case=${TOVRIN_E2E_I686_CASE-xp-yes}
qemu_case=${TOVRIN_E2E_QEMU_CASE-xp-stop-step3}
[[ $what != x86_64 ]] || { wow64_case=; qemu_case=; }
[[ $what != i686 ]] || selected=()

e2e_require_packages wine64 g++-mingw-w64-x86-64-win32
[[ -z $wow64_case$qemu_case ]] || e2e_require_packages wine32:i386
[[ -z $qemu_case ]] || e2e_require_packages qemu-user
for name in "${selected[@]}" $wow64_case $qemu_case; do
  [[ -f $cases_dir/$name.case ]] || e2e_die "no case $cases_dir/$name.case"
done
((${#selected[@]} == 0)) || [[ -f dist/tovrin-x86_64.exe ]] ||
  e2e_die "dist/tovrin-x86_64.exe is missing: run scripts/build.sh windows first"
[[ -z $wow64_case$qemu_case || -f dist/tovrin-i686.exe ]] ||
  e2e_die "dist/tovrin-i686.exe is missing: run scripts/build.sh windows first"

source scripts/e2e/qemu.sh
source scripts/e2e/case.sh
work=$(mktemp -d /tmp/tovrin-e2e.XXXXXX)
cleanup() {
  local p
  for p in "$work"/prefix-*; do e2e_drop_prefix "$p"; done
  e2e_qemu_restore
  if [[ ${TOVRIN_E2E_KEEP:-} == 1 ]]; then echo "e2e: work folder kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

harness=$(tests/e2e/harness_test.sh) || { echo "$harness"; exit 1; }
echo "e2e: ${harness##*$'\n'}"

echo "e2e: building the helper program"
x86_64-w64-mingw32-g++-win32 -O2 -static -s -o "$work/e2e_helper.exe" tests/e2e/helper/e2e_helper.cpp \
  -lwininet -ladvapi32 -lshell32

# One template prefix per suite run, copied per case. With qemu-user off, the 64-bit wineboot lays out the 32-bit
# side itself in seconds; with it on, it runs that half under emulation for minutes, to the same files and registry.
[[ $(e2e_qemu_state) != enabled || $(id -u) -ne 0 ]] || e2e_qemu_use wow64
echo "e2e: making the template prefix"
t0=$(date +%s)
e2e_make_prefix "$work/prefix-template"
echo "e2e: template ready in $(($(date +%s) - t0)) s"

failed=()
passed=0
record() {  # record LABEL COMMAND...: runs one case and counts it
  local label=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed+=("$label"); fi
}
# A case runs in a subshell of its own: a set-up that dies fails that case, and the others still run.
run_case_alone() {
  (run_case "$@")
}

if [[ -n $wow64_case ]]; then
  e2e_qemu_use wow64
  record "$wow64_case (i686, wow64)" run_case_alone "$wow64_case" i686 wow64
fi
qemu_pid=
if [[ -n $qemu_case ]]; then
  e2e_qemu_use qemu
  echo "e2e: $qemu_case with dist/tovrin-i686.exe through qemu-user runs alongside (minutes)"
  (run_case "$qemu_case" i686 qemu >"$work/qemu.log" 2>&1) &
  qemu_pid=$!
fi
for name in "${selected[@]}"; do
  record "$name (x86_64)" run_case_alone "$name" x86_64
done
if [[ -n $qemu_pid ]]; then
  record "$qemu_case (i686, qemu)" wait "$qemu_pid"
  cat "$work/qemu.log"
fi

echo "== e2e figures"
cat "$work"/figure-* 2>/dev/null || true
echo "== e2e: $passed passed, ${#failed[@]} failed${failed[*]:+: ${failed[*]}}"
((${#failed[@]} == 0))
