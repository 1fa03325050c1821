#!/usr/bin/env bash
# Runs Tovrin for you to answer: the x86_64 build of the program (built first if it is missing or older than the
# sources), under wine64, in a throwaway Windows XP prefix that has no Z: drive and no links into your home, and
# that holds a few stale objects to repair (Windows Update logs, SoftwareDistribution caches, catroot2, a
# hijacked HOSTS file, temp files, a cookie, policy values that block Windows Update and switch the firewall off).
# The prefix is deleted afterwards (TOVRIN_RUN_KEEP=1 keeps it). No display is used: Wine then shows no dialog,
# and answers each shell deletion as cancelled.
# Usage: scripts/run.sh        (as root on a fresh Debian machine it installs wine64 and the compilers first)
set -euo pipefail
# shellcheck source=SCRIPTDIR/e2e/lib.sh
source "$(dirname "$0")/e2e/lib.sh"
cd "$E2E_ROOT"

e2e_require_packages cmake make g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 wine64

exe=dist/tovrin-x86_64.exe
if [[ ! -f $exe ]] || [[ -n $(find CMakeLists.txt cmake run detect services cleanup ie policy datetime registration \
  platform -newer "$exe" -type f -print -quit 2>/dev/null) ]]; then
  echo "run: building the program (scripts/build.sh windows)"
  scripts/build.sh windows >/dev/null
fi

prefix=$(mktemp -d "${TMPDIR:-/tmp}/tovrin-run.XXXXXX")/prefix
finish() {
  if [[ ${TOVRIN_RUN_KEEP:-} == 1 ]]; then
    e2e_wineserver "$prefix" -k 2>/dev/null || true
    echo "run: the prefix is kept at $prefix"
  else
    e2e_drop_prefix "$prefix"
    rmdir "$(dirname "$prefix")" 2>/dev/null || true
  fi
}
trap finish EXIT

echo "run: making a throwaway Windows XP prefix at $prefix (Z: removed, stale objects seeded) and running $exe in it"
e2e_make_prefix "$prefix"
e2e_set_version "$prefix" winxp
user=$(e2e_user_name "$prefix")
# Wine's layout: the Cookies folder, and the personal temp folder that the program finds as <profile>\temp.
e2e_seed_files "$prefix" "users/$user/AppData/Local/Microsoft/Windows/INetCookies" "users/$user/Temp"
e2e_reg_dword "$prefix" 'HKLM\Software\Policies\Microsoft\WindowsFirewall\StandardProfile' EnableFirewall 0
e2e_reg_dword "$prefix" 'HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\WindowsUpdate' NoWindowsUpdate 1
e2e_reg_dword "$prefix" 'HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer' NoWindowsUpdate 1
cp "$exe" "$prefix/drive_c/tovrin.exe"
e2e_check_cut_off "$prefix"

# Started by its C: path (Z: is gone), in the terminal's own time zone.
(cd "$prefix/drive_c" &&
  env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all "$WINE64" 'C:\tovrin.exe')
