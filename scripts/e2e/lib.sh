# Wine prefixes for Tovrin's end-to-end runs: shared by scripts/e2e.sh (the suite) and scripts/run.sh.
# Source it; it defines functions and a few variables and runs nothing.
#
# Every Wine call goes through e2e_wine: current directory inside drive_c, WINEDEBUG=-all, TZ=UTC, no display
# (so that nothing can wait for a click), and the prefix given explicitly. A prefix is cut off from the host
# before any program of the project runs in it: dosdevices/z: and the user-folder links into the Linux home are
# removed (the folder links replaced by empty folders).

# shellcheck disable=SC2034  # used by the scripts that source this file
E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WINE64=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
[[ -x $WINE64 ]] || WINE64=$(command -v wine64 2>/dev/null || echo /usr/lib/wine/wine64)
[[ -x $WINESERVER ]] || WINESERVER=$(command -v wineserver 2>/dev/null || echo /usr/lib/wine/wineserver)

e2e_die() {
  echo "e2e: $*" >&2
  exit 1
}

# Installs the Debian packages given that are missing (as root); fails with their names otherwise.
e2e_require_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  [[ $(id -u) -eq 0 ]] || e2e_die "missing packages: ${missing[*]} (run as root to have them installed)"
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  echo "e2e: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  # wine32's post-install step may print an "Exec format error" from gdk-pixbuf on this kernel; it is harmless.
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# e2e_wine PREFIX ARG...: wine64 in PREFIX, started from inside its drive_c, output as the program gives it.
# (QEMU_RESERVED_VA matters only to 32-bit Wine under qemu-user, which cannot map its shared user data without.)
e2e_wine() {
  local prefix=$1
  shift
  (cd "$prefix/drive_c" && env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all TZ=UTC LC_ALL=C \
    QEMU_RESERVED_VA=0xffff0000 "$WINE64" "$@")
}

# e2e_query PREFIX ARG...: a call that may be repeated without harm (a question, or a write that replaces a value)
# to a program of the prefix, made up to three times. Under load (the qemu-user case runs alongside) Wine once failed
# such a question in a prefix that answered it a moment later. The program's output goes to standard output without
# carriage returns; after the last failed attempt, what Wine printed goes to standard error.
e2e_query() {
  local prefix=$1 attempt out err status
  shift
  err=$(mktemp)
  for attempt in 1 2 3; do
    if out=$(e2e_wine "$prefix" "$@" 2>"$err" | tr -d '\r'); then
      rm -f "$err"
      printf '%s\n' "$out"
      return 0
    else
      status=$?
    fi
    if ((attempt < 3)); then sleep "$attempt"; fi
  done
  echo "e2e: '$*' failed three times in $prefix (last exit status $status):" >&2
  sed 's/^/e2e:   /' "$err" >&2
  rm -f "$err"
  return 1
}

e2e_wineserver() {
  local prefix=$1
  shift
  WINEPREFIX="$prefix" "$WINESERVER" "$@"
}

# Stops everything that runs in PREFIX (its wineserver and the services with it) and deletes it.
e2e_drop_prefix() {
  local prefix=$1
  [[ -d $prefix ]] || return 0
  e2e_wineserver "$prefix" -k 2>/dev/null || true
  e2e_wineserver "$prefix" -w 2>/dev/null || true
  rm -rf "$prefix"
}

# The one user folder of the prefix (drive_c/users/<name>, next to Public).
e2e_user_name() {
  local prefix=$1 d names=()
  for d in "$prefix"/drive_c/users/*/; do
    d=$(basename "$d")
    [[ $d == Public ]] || names+=("$d")
  done
  ((${#names[@]} == 1)) || e2e_die "expected one user folder in $prefix/drive_c/users, found: ${names[*]:-none}"
  echo "${names[0]}"
}

# Prints, NUL-separated, every link in PREFIX's drive_c that points out of the prefix.
e2e_links_out_of_prefix() {
  local prefix=$1 link
  while IFS= read -r -d '' link; do
    case $(readlink -f "$link") in
      "$prefix"/*) ;;
      *) printf '%s\0' "$link" ;;
    esac
  done < <(find "$prefix/drive_c" -type l -print0)
}

e2e_cut_links() {
  local prefix=$1 link
  rm -f "$prefix/dosdevices/z:"
  # The user folders (Desktop, Documents, Downloads, Music, Pictures, Videos, and Templates under AppData) are
  # links into the Linux home: each becomes an empty folder of its own.
  while IFS= read -r -d '' link; do
    rm "$link" && mkdir "$link"
  done < <(e2e_links_out_of_prefix "$prefix")
}

# Fails unless PREFIX has no way out to the host's files: no drive but C: (Wine's other dosdevices entries are
# serial and parallel ports), and no link in drive_c to anything outside the prefix.
e2e_check_cut_off() {
  local prefix=$1 link
  for link in "$prefix"/dosdevices/[a-zA-Z]:; do
    [[ -e $link || -L $link ]] || continue
    [[ $link == */c: && $(readlink -f "$link") == "$prefix/drive_c" ]] || e2e_die "$prefix has the drive $link"
  done
  while IFS= read -r -d '' link; do
    e2e_die "$link points out of the prefix, to $(readlink -f "$link")"
  done < <(e2e_links_out_of_prefix "$prefix")
}

# e2e_make_prefix DIR: a new prefix, set up and cut off from the host (about 20 s).
e2e_make_prefix() {
  local prefix=$1
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  (cd / && env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all TZ=UTC LC_ALL=C \
    "$WINE64" wineboot -i) >/dev/null 2>&1 || e2e_die "wineboot failed for $prefix"
  e2e_wineserver "$prefix" -w
  e2e_cut_links "$prefix"
  e2e_check_cut_off "$prefix"
}

# e2e_copy_prefix TEMPLATE DIR: a throwaway copy of a finished prefix.
e2e_copy_prefix() {
  local template=$1 prefix=$2
  rm -rf "$prefix"
  cp -a "$template" "$prefix"
  e2e_cut_links "$prefix"
  e2e_check_cut_off "$prefix"
}

# e2e_set_version PREFIX VERSION: winxp, win2k, win2003, nt40, win98, ... for every program of the prefix.
e2e_set_version() {
  local prefix=$1 version=$2
  e2e_query "$prefix" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null ||
    e2e_die "cannot set the Windows version $version"
}

# e2e_reg_dword PREFIX KEY NAME VALUE [VIEW]: a REG_DWORD value (VIEW 32 writes the 32-bit registry view).
e2e_reg_dword() {
  local prefix=$1 key=$2 name=$3 value=$4 view=${5:-}
  local args=(reg add "$key" /v "$name" /t REG_DWORD /d "$value" /f)
  [[ -z $view ]] || args+=("/reg:$view")
  e2e_query "$prefix" "${args[@]}" >/dev/null || e2e_die "cannot write $key\\$name"
}

# Puts a few stale objects where the repair looks for them: the Windows Update logs, SoftwareDistribution
# caches, catroot2, a HOSTS file with a hijacked entry, and files in the temp and Cookies folders.
# The Cookies folder and the personal temp folder are the ones the prefix's shell reports (e2e_helper folders).
e2e_seed_files() {
  local prefix=$1 cookies_dir=$2 user_temp_dir=$3
  local c=$prefix/drive_c win=$prefix/drive_c/windows
  printf 'stale Windows Update log\r\n' >"$win/WindowsUpdate.log"
  printf 'stale log of an older Windows Update client\r\n' >"$win/Windows Update.log"
  mkdir -p "$win/SoftwareDistribution/DataStore/Logs" "$win/SoftwareDistribution/Download/4f2a0c"
  printf 'datastore\r\n' >"$win/SoftwareDistribution/DataStore/DataStore.edb"
  printf 'datastore log\r\n' >"$win/SoftwareDistribution/DataStore/Logs/edb.log"
  printf 'half-downloaded update\r\n' >"$win/SoftwareDistribution/Download/4f2a0c/update.cab"
  mkdir -p "$win/system32/catroot2/{F750E6C3-38EE-11D1-85E5-00C04FC295EE}"
  printf 'catalogue database\r\n' >"$win/system32/catroot2/{F750E6C3-38EE-11D1-85E5-00C04FC295EE}/catdb"
  printf 'catalogue log\r\n' >"$win/system32/catroot2/edb.log"
  mkdir -p "$win/system32/drivers/etc"
  printf '127.0.0.1 localhost\r\n10.66.66.66 update.microsoft.com\r\n' >"$win/system32/drivers/etc/hosts"
  mkdir -p "$win/temp" "$c/$user_temp_dir" "$c/$cookies_dir"
  printf 'stale\r\n' >"$win/temp/tovrin-e2e-stale.tmp"
  printf 'stale\r\n' >"$c/$user_temp_dir/tovrin-e2e-stale.tmp"
  printf 'cookie\r\n' >"$c/$cookies_dir/user@tovrin.test.txt"
}

# A Windows path (C:\...) as a path below drive_c, with forward slashes and without a trailing one.
e2e_drive_c_path() {
  local p=${1#[Cc]:\\}
  p=${p//\\//}
  echo "${p%/}"
}

# e2e_snapshot PREFIX OUT: every file and folder of drive_c with type, size and modification time (folders
# with type only: their times change whenever an entry in them does). The suite's own folder C:\e2e is left out.
e2e_snapshot() {
  local prefix=$1 out=$2
  (cd "$prefix/drive_c" &&
    find . -path ./e2e -prune -o -type d -printf '%P\td\n' -o -printf '%P\t%y\t%s\t%T@\n') |
    LC_ALL=C sort >"$out"
}
