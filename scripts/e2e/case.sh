# One end-to-end case: run_case NAME ARCH (x86_64 or i686), with $work, $cases_dir and the helper program
# $work/e2e_helper.exe in place. Prints one verdict line, and the reasons when the case fails.
#
# A case is tests/e2e/cases/NAME.case (the set-up and what must have happened, as shell variables),
# NAME.input (the typed lines; lines starting with # are comments, an empty line is ENTER alone; the input ends
# where the file ends) and NAME.expected (the whole transcript, with the substitutions of expand_expected).

# shellcheck disable=SC2154  # $work and $cases_dir come from scripts/e2e.sh
E2E_BLOCKS_DIR=tests/e2e/blocks

# The policy values the run examines: id, registry key, value name.
E2E_POLICY_VALUES=(
  "firewall|HKLM\\Software\\Policies\\Microsoft\\WindowsFirewall\\StandardProfile|EnableFirewall"
  "wu-access|HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WindowsUpdate|DisableWindowsUpdateAccess"
  "wu-nowu|HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WindowsUpdate|NoWindowsUpdate"
  "explorer-nowu|HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer|NoWindowsUpdate"
)
# Values in the same keys that the run never names; they must survive every run.
E2E_DECOY_VALUES=(
  "HKLM\\Software\\Policies\\Microsoft\\WindowsFirewall\\StandardProfile|DoNotAllowExceptions|1"
  "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WindowsUpdate|TovrinE2eDecoy|1"
  "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer|NoDriveTypeAutoRun|145"
)
# The objects the run renames: id, path below drive_c.
E2E_RENAMED_OBJECTS=(
  "wu-log|windows/WindowsUpdate.log"
  "wu-old-log|windows/Windows Update.log"
  "catroot2|windows/system32/catroot2"
)
E2E_MONTHS='(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)'
E2E_TIMESTAMP_FORMAT="^$E2E_MONTHS-[0-3][0-9]-[0-9]{4}-[0-2][0-9]-[0-5][0-9]-[0-5][0-9]\$"
E2E_URL_CACHE_SEEDED=3

# Where the new name of a renamed object lands (a path below drive_c). Wine redirects a 32-bit program's
# C:\windows\system32 to syswow64, as 64-bit Windows does; catroot2 itself is exempt, so the folder is found in
# system32, but its new name is not, so a 32-bit run moves it to syswow64.
redirect() {
  local rel=$1
  if [[ ${X_ARCH:-} == i686 && ${rel,,} == windows/system32/* ]]; then rel=${rel:0:8}syswow64${rel:16}; fi
  echo "$rel"
}

# The typed lines of an input file, comments dropped.
case_input() {
  grep -v '^#' "$1" || true
}

# The registry values of the policy keys, one "key|name|type|data" a line, sorted.
policy_registry() {
  local prefix=$1 view=$2 key
  local keys=()
  for key in "${E2E_POLICY_VALUES[@]}"; do
    key=${key#*|}
    keys+=("${key%|*}")
  done
  printf '%s\n' "${keys[@]}" | sort -u | while IFS= read -r key; do
    local args=(reg query "$key")
    [[ -z $view ]] || args+=("/reg:$view")
    e2e_wine "$prefix" "${args[@]}" 2>/dev/null | tr -d '\r' |
      KEY=$key awk 'NF >= 3 && $0 ~ /^    / { print ENVIRON["KEY"] "|" $1 "|" $2 "|" $3 }'
  done | LC_ALL=C sort
}

service_state() {
  local prefix=$1 name=$2 out
  out=$(e2e_wine "$prefix" sc query "$name" 2>&1 | tr -d '\r') || true
  if [[ $out =~ STATE[[:space:]]*:[[:space:]]*[0-9]+[[:space:]]+([A-Z_]+) ]]; then
    echo "${BASH_REMATCH[1]}"
  else
    echo MISSING
  fi
}

# The path below drive_c of a Windows path, with each component matched without regard to case as Windows
# does (the personal temp folder is "temp" to the program and "Temp" on disk).
resolve_path() {
  local prefix=$1 rel out="" part match
  rel=$(e2e_drive_c_path "$2")
  local IFS=/
  for part in $rel; do
    match=$(find "$prefix/drive_c/${out}" -mindepth 1 -maxdepth 1 -iname "$part" -printf '%f\n' 2>/dev/null | head -n1)
    out+="${match:-$part}/"
  done
  echo "${out%/}"
}

# expand_expected TEMPLATE OUT: the expected transcript with its substitutions made.
#   {TIMESTAMP}        the run's time stamp, read from the names of the renamed objects
#   {DATE} {TIME}      the date and time lines' text for that same moment (the program shows the time it stamps)
#   {PROFILE}          the user's profile folder as the prefix's shell reports it (C:\users\<name>)
#   {CATALOGUE}        (whole line) tests/e2e/blocks/catalogue.txt, the walk over the 108 components
#   {IE_CACHE_PURGE}   (whole line) the purge's lines that follow from what the URL cache platform did
expand_expected() {
  local template=$1 out=$2
  X_CATALOGUE=$E2E_BLOCKS_DIR/catalogue.txt X_PURGE=$E2E_BLOCKS_DIR/$X_PURGE_BLOCK \
    X_TIMESTAMP=$X_TIMESTAMP X_DATE=$X_DATE X_TIME=$X_TIME X_PROFILE=$X_PROFILE awk '
    function emit_file(f,   line) {
      while ((getline line < f) > 0) print line
      close(f)
    }
    function put(s, name, value,   i, r) {
      r = ""
      while ((i = index(s, name)) > 0) { r = r substr(s, 1, i - 1) value; s = substr(s, i + length(name)) }
      return r s
    }
    $0 == "{CATALOGUE}" { emit_file(ENVIRON["X_CATALOGUE"]); next }
    $0 == "{IE_CACHE_PURGE}" { emit_file(ENVIRON["X_PURGE"]); next }
    {
      s = put($0, "{TIMESTAMP}", ENVIRON["X_TIMESTAMP"]); s = put(s, "{DATE}", ENVIRON["X_DATE"])
      s = put(s, "{TIME}", ENVIRON["X_TIME"])
      print put(s, "{PROFILE}", ENVIRON["X_PROFILE"])
    }' "$template" >"$out"
}

# compare_transcripts EXPECTED ACTUAL: line by line; prints the first difference.
compare_transcripts() {
  awk -v expected="$1" '
    { actual[NR] = $0 }
    END {
      n = 0
      while ((getline line < expected) > 0) {
        n++
        if (!(n in actual)) {
          printf "line %d: expected: %s\n         actual:   (the transcript ends after %d lines)\n", n, line, NR
          exit 1
        }
        if (actual[n] != line) { printf "line %d: expected: %s\n         actual:   %s\n", n, line, actual[n]; exit 1 }
      }
      if (NR > n) {
        printf "line %d: expected: (the end of the transcript)\n         actual:   %s\n", n + 1, actual[n + 1]
        exit 1
      }
    }' "$2"
}

# Fills X_TIMESTAMP from the renamed objects (all must carry the same one) and checks its format and that it
# falls within the run.
read_timestamp() {
  local prefix=$1 started=$2 ended=$3 row path dir base f stamps=() stamp
  for row in "${E2E_RENAMED_OBJECTS[@]}"; do
    path=${row#*|}
    dir=$prefix/drive_c/$(dirname "$(redirect "$path")")
    base=$(basename "$path")
    while IFS= read -r -d '' f; do
      f=$(basename "$f")
      stamps+=("${f:${#base}:$((${#f} - ${#base} - 4))}")
    done < <(find "$dir" -mindepth 1 -maxdepth 1 -name "$base*.old" -print0)
  done
  X_TIMESTAMP='' X_DATE='' X_TIME=''
  ((${#stamps[@]})) || return 0
  for stamp in "${stamps[@]}"; do
    [[ $stamp == "${stamps[0]}" ]] || { problem "renamed objects carry different time stamps: ${stamps[*]}"; return 0; }
  done
  X_TIMESTAMP=${stamps[0]}
  if [[ ! $X_TIMESTAMP =~ $E2E_TIMESTAMP_FORMAT ]]; then
    problem "time stamp \"$X_TIMESTAMP\" does not have the format Mon-DD-YYYY-HH-MM-SS"
    return 0
  fi
  local month day year hour minute second epoch
  IFS=- read -r month day year hour minute second <<<"$X_TIMESTAMP"
  epoch=$(date -u -d "$day $month $year $hour:$minute:$second" +%s)
  if ((epoch < started - 1 || epoch > ended + 1)); then
    problem "time stamp $X_TIMESTAMP is not the time of the run" \
      "(UTC $(date -u -d @"$started" +%T) to $(date -u -d @"$ended" +%T))"
  fi
  X_DATE=$(date -u -d @"$epoch" '+%A, %B %-d, %Y')
  X_TIME=$(date -u -d @"$epoch" '+%-H:%M')
}

problem() {
  problems+=("$*")
}

# The changes to drive_c between two snapshots that lie outside every object the transcript names.
unnamed_changes() {
  local before=$1 after=$2 transcript=$3 allowed=() line p changed
  while IFS= read -r p; do allowed+=("$(e2e_drive_c_path "$p" | tr '[:upper:]' '[:lower:]')"); done < <(
    named_objects "$transcript" | cut -d'|' -f2
    grep -q '^Flushing IE Temporary Internet Files' "$transcript" && echo "$X_CACHE"
    grep -q '^Flushing History\.\.\.' "$transcript" && echo "$X_HISTORY"
  )
  LC_ALL=C comm -3 "$before" "$after" | sed 's/^\t//' | cut -f1 | LC_ALL=C sort -u | while IFS= read -r changed; do
    local lc ok=no
    lc=$(tr '[:upper:]' '[:lower:]' <<<"$changed")
    for p in "${allowed[@]}"; do
      [[ -n $p ]] || continue
      if [[ $lc == "$p" || $lc == "$p"/* ]]; then ok=yes; break; fi
      if [[ -n $X_TIMESTAMP ]]; then
        local renamed
        renamed=$(redirect "$p$X_TIMESTAMP.old" | tr '[:upper:]' '[:lower:]')
        if [[ $lc == "$renamed" || $lc == "$renamed"/* ]]; then ok=yes; break; fi
      fi
    done
    [[ $ok == yes ]] || echo "$changed"
  done
}

# The snapshot lines of a path and everything below it, lower-cased (Windows paths ignore case).
snapshot_under() {
  P=$2 awk -F'\t' '{ p = tolower($1) }
    p == ENVIRON["P"] || index(p, ENVIRON["P"] "/") == 1 { print tolower($0) }' "$1"
}

# The first ten snapshot lines that differ between BEFORE and AFTER (texts), marked < and >.
snapshot_changes() {
  diff <(echo "$1") <(echo "$2") | grep '^[<>]' | head -n 10
}

# Each object the transcript names is changed as a whole or not at all: a flushed object is untouched, gone, or
# an empty folder (re-created), and untouched when the transcript says its deletion was cancelled; a renamed
# object has all its content, unchanged, under its new name.
check_named_objects() {
  local before=$1 after=$2 transcript=$3 kind path outcome p b a
  while IFS='|' read -r kind path outcome; do
    p=$(e2e_drive_c_path "$path" | tr '[:upper:]' '[:lower:]')
    b=$(snapshot_under "$before" "$p")
    a=$(snapshot_under "$after" "$p")
    if [[ $kind == flush && $outcome == *" was not cleaned: the operation was cancelled." ]]; then
      [[ $a == "$b" ]] ||
        problem "$path was changed, though its deletion was reported cancelled:"$'\n'"$(snapshot_changes "$b" "$a")"
    elif [[ $kind == flush ]]; then
      [[ $a == "$b" || -z $a || $a == "$p"$'\t'd ]] ||
        problem "$path was changed in part:"$'\n'"$(snapshot_changes "$b" "$a")"
    else
      local moved="" target
      if [[ -n $X_TIMESTAMP ]]; then
        target=$(redirect "$p$X_TIMESTAMP.old" | tr '[:upper:]' '[:lower:]')
        moved=$(snapshot_under "$after" "$target" |
          T=$target P=$p awk '{ print ENVIRON["P"] substr($0, length(ENVIRON["T"]) + 1) }')
      fi
      [[ -z $a && -n $b && $moved == "$b" ]] || [[ -z $moved && $a == "$b" ]] ||
        problem "$path was not renamed as a whole (entries before: $(grep -c . <<<"$b"), after under the old name:" \
          "$(grep -c . <<<"$a"), under the new name: $(grep -c . <<<"$moved"))"
    fi
  done < <(named_objects "$transcript")
}

# The objects a transcript names, one a line: rename|PATH|OUTCOME or flush|PATH|OUTCOME, where OUTCOME is the
# first line with text after the object's own line.
named_objects() {
  awk '/^(Renaming|Flushing) [A-Za-z]:\\.*\.\.\.$/ {
         if (kind != "") print kind "|" path "|"
         kind = $1 == "Renaming" ? "rename" : "flush"
         path = substr($0, length($1) + 2)
         path = substr(path, 1, length(path) - 3)
         next
       }
       kind != "" && NF { print kind "|" path "|" $0; kind = "" }
       END { if (kind != "") print kind "|" path "|" }' "$1"
}

# Every component the walk reports as absent must be absent from the folder the program loads it from, and
# every component present there must not be reported absent without a note.
check_catalogue() {
  local prefix=$1 transcript=$2 sysdir=$3 name outcome
  while IFS='|' read -r name outcome; do
    if [[ -z $(find "$prefix/drive_c/$sysdir" -maxdepth 1 -iname "$name" -print -quit) ]]; then
      [[ $outcome == "failed - file is non-present or unloadable!" ]] ||
        problem "catalogue: $name is not in C:\\${sysdir//\//\\} but its line says \"$outcome\""
    fi
  done < <(sed -n 's/^  Registering \(.*\)\.\.\. \(.*\)$/\1|\2/p' "$transcript")
}

# The Windows version line must show what the platform reported to another program of the same prefix.
check_version_line() {
  local transcript=$1 line platform major minor build csd
  line=$(grep -m1 -o 'Detected Windows Version   : .*' "$transcript" || true)
  read -r platform major minor build csd _ <<<"$X_VERSION"
  csd=$(sed -n 's/^[0-9]* [0-9]* [0-9]* [0-9]* "\(.*\)" [0-9]* [0-9]*$/\1/p' <<<"$X_VERSION")
  if [[ $platform == 2 && $major -ge 5 ]]; then
    [[ $line == *"$csd Build $build" ]] ||
      problem "version line \"$line\" does not end with what the platform reports: \"$csd Build $build\""
  elif [[ $platform == 2 ]]; then
    [[ $line == *" Build $build" ]] || problem "version line \"$line\" does not end with \" Build $build\""
  elif [[ $platform == 1 && $major == 4 && $minor == 10 ]]; then
    local name="Windows 98"
    [[ ${csd:1:1} == A ]] && name="Windows 98SE"
    [[ $line == *": $name" ]] || problem "version line \"$line\" does not name $name (CSD \"$csd\")"
  fi
}

# seed_case: the policy values, the files, the URL cache, the "Network Client" service and the held file.
seed_case() {
  local helper='C:\e2e\e2e_helper.exe' row id key value seed v i=0 access
  read -r -a access <<<"$CASE_ACCESS"
  e2e_seed_files "$prefix" "$(resolve_path "$prefix" "$X_COOKIES")" "$(resolve_path "$prefix" "$X_PROFILE\\temp")"
  local views=("")
  [[ $arch == i686 ]] && views+=(32)   # written in the 32-bit view as well, which a 32-bit program reads
  for row in "${E2E_POLICY_VALUES[@]}"; do
    IFS='|' read -r id key value <<<"$row"
    seed=$CASE_FIREWALL
    [[ $id == firewall ]] || { seed=${access[$i]}; i=$((i + 1)); }
    [[ $seed == none ]] && continue
    for v in "${views[@]}"; do e2e_reg_dword "$prefix" "$key" "$value" "$seed" "$v"; done
  done
  for row in "${E2E_DECOY_VALUES[@]}"; do
    IFS='|' read -r key value seed <<<"$row"
    for v in "${views[@]}"; do e2e_reg_dword "$prefix" "$key" "$value" "$seed" "$v"; done
  done
  e2e_wine "$prefix" "$helper" urlcache-seed "$E2E_URL_CACHE_SEEDED" >/dev/null || e2e_die "$name: no URL cache"
  case $CASE_NETWORK_CLIENT in
    stops | stopped)
      # Wine's stub service program runs under any name and stops when asked.
      e2e_wine "$prefix" sc create "Network Client" binpath= 'C:\windows\system32\wuauserv.exe' >/dev/null 2>&1 ;;
    refuses)
      e2e_wine "$prefix" sc create "Network Client" binpath= "$helper service" >/dev/null 2>&1 ;;
  esac
  if [[ $CASE_NETWORK_CLIENT == stops || $CASE_NETWORK_CLIENT == refuses ]]; then
    e2e_wine "$prefix" sc start "Network Client" >/dev/null 2>&1 || true
    [[ $(service_state "$prefix" "Network Client") == RUNNING ]] || e2e_die "$name: Network Client does not run"
  fi
  if [[ -n $CASE_HOLD ]]; then
    e2e_wine "$prefix" "$helper" hold "$CASE_HOLD" 'C:\e2e\held' >/dev/null 2>&1 &
    for _ in $(seq 100); do [[ -e $prefix/drive_c/e2e/held ]] && break; sleep 0.1; done
    [[ -e $prefix/drive_c/e2e/held ]] || e2e_die "$name: the helper could not hold $CASE_HOLD open"
  fi
}

# check_transcript: the whole transcript, and the lines whose expectation follows from what the platform did.
check_transcript() {
  local seeded_left=${1%% *}
  X_PURGE_BLOCK=
  if grep -q '^Flushing IE Temporary Internet Files' "$dir/transcript.txt"; then
    if [[ $seeded_left == 0 ]]; then
      X_PURGE_BLOCK=ie-cache-purge-done.txt
    elif [[ $seeded_left == "$E2E_URL_CACHE_SEEDED" ]]; then
      # Wine's group enumeration returns no handle and leaves the last error as it was, and its group delete
      # fails the same way: the group pass runs to its limit and the entry pass never starts.
      X_PURGE_BLOCK=ie-cache-purge-group-limit.txt
    else
      problem "the URL cache purge left $seeded_left of $E2E_URL_CACHE_SEEDED seeded entries"
    fi
  elif [[ $seeded_left != "$E2E_URL_CACHE_SEEDED" ]]; then
    problem "the URL cache lost seeded entries ($seeded_left of $E2E_URL_CACHE_SEEDED left) but was never purged"
  fi
  if grep -qE '\{(TIMESTAMP|DATE|TIME)\}' "$cases_dir/$name.expected" && [[ -z $X_TIMESTAMP ]]; then
    problem "the expected transcript holds the run's time stamp, but no object was renamed with one"
  fi
  expand_expected "$cases_dir/$name.expected" "$dir/expected.txt"
  local difference
  difference=$(compare_transcripts "$dir/expected.txt" "$dir/transcript.txt") ||
    problem "transcript differs from $cases_dir/$name.expected at $difference"
  ! grep -q . "$dir/stderr.txt" || problem "the program wrote to standard error: $(head -c 300 "$dir/stderr.txt")"
  check_version_line "$dir/transcript.txt"
  local sysdir=windows/system32
  [[ $arch == i686 ]] && sysdir=windows/syswow64
  check_catalogue "$prefix" "$dir/transcript.txt" "$sysdir"
}

# check_prefix NETWORK-CLIENT-STATE WUAUSERV-STATE BITS-STATE: what the run did to the prefix.
check_prefix() {
  local network_client=$1 wuauserv=$2 bits=$3 row id path key value
  for row in "${E2E_RENAMED_OBJECTS[@]}"; do
    IFS='|' read -r id path <<<"$row"
    local old=$prefix/drive_c/$path new
    new=$(redirect "$path")
    if [[ " $CASE_RENAMED " == *" $id "* ]]; then
      [[ -n $X_TIMESTAMP && -e $prefix/drive_c/$new$X_TIMESTAMP.old && ! -e $old ]] ||
        problem "$path was not renamed to $new{TIMESTAMP}.old"
    else
      [[ -e $old ]] || problem "$path is gone, but this run must not rename it"
    fi
  done
  # The policy values: gone where the case says "Y" was typed, every other value of those keys unchanged.
  local gone=()
  for row in "${E2E_POLICY_VALUES[@]}"; do
    IFS='|' read -r id key value <<<"$row"
    [[ " $CASE_DELETED " == *" $id "* ]] || continue
    gone+=("$key|$value")
    grep -qF "$key|$value|" "$dir/registry-before.txt" || problem "policy value $id is to be deleted but was not seeded"
  done
  local expected_after
  expected_after=$(GONE=$(printf '%s\n' "${gone[@]}") awk -F'|' '
    BEGIN { n = split(ENVIRON["GONE"], g, "\n"); for (i = 1; i <= n; i++) gone[g[i]] = 1 }
    !(($1 "|" $2) in gone)' "$dir/registry-before.txt")
  local found
  found=$(<"$dir/registry-after.txt")
  [[ $expected_after == "$found" ]] ||
    problem "policy values: expected after the run:"$'\n'"$expected_after"$'\n'"found:"$'\n'"$found"
  if [[ $CASE_NETWORK_CLIENT != none ]]; then
    if [[ $CASE_SERVICE_GONE == yes ]]; then
      [[ $network_client == MISSING ]] || problem "the Network Client service is still there ($network_client)"
    else
      [[ $network_client != MISSING ]] || problem "the Network Client service was deleted"
    fi
  fi
  # The critical services are started again after every run, also after a fatal failure.
  [[ $wuauserv == RUNNING && $bits == RUNNING ]] || problem "after the run wuauserv is $wuauserv and bits is $bits"
  check_named_objects "$dir/snapshot-before.txt" "$dir/snapshot-after.txt" "$dir/transcript.txt"
  local unnamed
  unnamed=$(unnamed_changes "$dir/snapshot-before.txt" "$dir/snapshot-after.txt" "$dir/transcript.txt")
  [[ -z $unnamed ]] || problem "changed outside the objects the run names:"$'\n'"$unnamed"
  e2e_check_cut_off "$prefix"
}

# run_case NAME ARCH [HOW]: HOW names the way 32-bit Wine runs an i686 build (qemu or wow64), for the reports.
run_case() {
  local name=$1 arch=$2 how=${3:-}
  local label=$arch${how:+-$how}
  local dir=$work/$name-$label prefix=$work/prefix-$name-$label helper='C:\e2e\e2e_helper.exe'
  local problems=()
  local CASE_TITLE CASE_VERSION CASE_FIREWALL=none CASE_ACCESS="none none none" CASE_NETWORK_CLIENT=none
  local CASE_HOLD="" CASE_DELETED="" CASE_RENAMED="" CASE_SERVICE_GONE=no
  # shellcheck disable=SC1090
  source "$cases_dir/$name.case"
  X_ARCH=$arch
  mkdir -p "$dir"
  e2e_copy_prefix "$work/prefix-template" "$prefix"
  e2e_wineserver "$prefix" -p   # keeps the prefix's services alive between the set-up and the run
  e2e_set_version "$prefix" "$CASE_VERSION"
  mkdir -p "$prefix/drive_c/e2e"
  cp "$work/e2e_helper.exe" "$prefix/drive_c/e2e/e2e_helper.exe"
  cp "dist/tovrin-$arch.exe" "$prefix/drive_c/e2e/tovrin.exe"

  # What the platform reports, asked through another program of the prefix before the run.
  local folders
  X_VERSION=$(e2e_query "$prefix" "$helper" version) || e2e_die "$name: the version cannot be read"
  folders=$(e2e_query "$prefix" "$helper" folders) || e2e_die "$name: the shell folders cannot be read"
  X_PROFILE=$(sed -n 's/^profile=//p' <<<"$folders")
  X_CACHE=$(sed -n 's/^cache=//p' <<<"$folders")
  X_HISTORY=$(sed -n 's/^history=//p' <<<"$folders")
  X_COOKIES=$(sed -n 's/^cookies=//p' <<<"$folders")

  seed_case
  local reg_view=""
  [[ $arch == i686 ]] && reg_view=32
  policy_registry "$prefix" "$reg_view" >"$dir/registry-before.txt"
  e2e_snapshot "$prefix" "$dir/snapshot-before.txt"
  e2e_check_cut_off "$prefix"

  # The run.
  case_input "$cases_dir/$name.input" >"$dir/input.txt"
  local started t0 seconds
  started=$(date +%s)
  t0=$(date +%s.%N)
  e2e_wine "$prefix" 'C:\e2e\tovrin.exe' <"$dir/input.txt" >"$dir/transcript.raw" 2>"$dir/stderr.txt" ||
    problem "exit status $? (the program always exits with 0)"
  seconds=$(T0=$t0 awk 'BEGIN { printf "%.1f", '"$(date +%s.%N)"' - ENVIRON["T0"] }')
  read_timestamp "$prefix" "$started" "$(date +%s)"

  # What the run left behind, and what it printed.
  tr -d '\r' <"$dir/transcript.raw" >"$dir/transcript.txt"
  e2e_snapshot "$prefix" "$dir/snapshot-after.txt"
  policy_registry "$prefix" "$reg_view" >"$dir/registry-after.txt"
  local urlcache_left
  urlcache_left=$(e2e_query "$prefix" "$helper" urlcache-count) || problem "the URL cache cannot be counted after the run"
  check_transcript "$urlcache_left"
  check_prefix "$(service_state "$prefix" "Network Client")" "$(service_state "$prefix" wuauserv)" \
    "$(service_state "$prefix" bits)"
  e2e_drop_prefix "$prefix"

  if [[ $name == xp-yes || $arch == i686 ]]; then
    echo "figure: wall time of the $name run, dist/tovrin-$arch.exe under Wine${how:+ ($how)}: $seconds s" \
      >"$work/figure-$label"
  fi
  if ((${#problems[@]})); then
    echo "FAIL $name ($label, $CASE_VERSION, $seconds s): $CASE_TITLE"
    printf '  - %s\n' "${problems[@]}"
    echo "  (transcript, expected text, snapshots: $dir; TOVRIN_E2E_KEEP=1 keeps them)"
    return 1
  fi
  echo "ok   $name ($label, $CASE_VERSION, $seconds s): $CASE_TITLE"
}
