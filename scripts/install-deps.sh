#!/usr/bin/env bash
# Installs what building and testing Tovrin needs on a Debian machine (as root). Installs only what is missing.
# Usage: scripts/install-deps.sh [build|test|run]
#   build  compilers, CMake, GoogleTest
#   test   build + Wine (64- and 32-bit, the latter run through qemu-user), clang for sanitizers and fuzzing
#   run    build + wine64
set -euo pipefail
what=${1:-test}

packages=(cmake g++ make googletest libgtest-dev libgmock-dev g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32)
case $what in
  test) packages+=(wine wine64 clang libclang-rt-14-dev python3 qemu-user binutils-mingw-w64-i686) ;;
  run) packages+=(wine wine64) ;;
esac

need_i386=no
[[ $what == test ]] && need_i386=yes

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [[ $need_i386 == yes ]] && ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
  missing+=(wine32:i386)
fi
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  if [[ $need_i386 == yes ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # wine32's post-install step may print an "Exec format error" from gdk-pixbuf on this kernel; it is harmless.
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
