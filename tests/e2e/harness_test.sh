#!/usr/bin/env bash
# The suite's own checks must be able to fail: the transcript comparison, the substitutions, the time stamp
# check and the search for changes outside the named objects, each fed a case that must pass and cases that
# must fail. Needs no Wine; scripts/e2e.sh runs it first.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/e2e/lib.sh
source scripts/e2e/case.sh
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
failures=0
check() {  # check NAME EXPECTED-STATUS COMMAND...
  local name=$1 want=$2 got=0
  shift 2
  "$@" >"$t/out" 2>&1 || got=$?
  if [[ $got == "$want" ]]; then echo "harness test ok: $name"; else
    echo "harness test FAILED: $name: status $got, expected $want"; cat "$t/out"; failures=$((failures + 1))
  fi
}
expect_output() {  # expect_output NAME TEXT: the last check's output holds TEXT
  if grep -qF -- "$2" "$t/out"; then echo "harness test ok: $1"; else
    echo "harness test FAILED: $1: output lacks \"$2\":"; cat "$t/out"; failures=$((failures + 1))
  fi
}

printf 'one\ntwo\nthree\n' >"$t/expected"
printf 'one\ntwo\nthree\n' >"$t/same"
printf 'one\nTWO\nthree\n' >"$t/changed"
printf 'one\ntwo\n' >"$t/short"
printf 'one\ntwo\nthree\nfour\n' >"$t/long"
printf 'one\ntwo \nthree\n' >"$t/blank"
check "identical transcripts compare equal" 0 compare_transcripts "$t/expected" "$t/same"
check "a changed line is found" 1 compare_transcripts "$t/expected" "$t/changed"
expect_output "the first difference is named with its line" "line 2: expected: two"
check "a missing last line is found" 1 compare_transcripts "$t/expected" "$t/short"
expect_output "a missing line is reported as the end of the transcript" "the transcript ends after 2 lines"
check "an extra line is found" 1 compare_transcripts "$t/expected" "$t/long"
check "a trailing blank counts" 1 compare_transcripts "$t/expected" "$t/blank"

# Substitutions: values with backslashes stay as they are; block lines are replaced by their files.
mkdir -p "$t/blocks"
printf 'walk 1\nwalk 2\n' >"$t/blocks/catalogue.txt"
printf 'purge\n' >"$t/blocks/purge.txt"
printf '%s\n' 'at {TIMESTAMP}' 'Date: {DATE} Time: {TIME}' 'Flushing {PROFILE}\temp\...' '{CATALOGUE}' \
  '{IE_CACHE_PURGE}' >"$t/template"
printf '%s\n' 'at Mar-05-2026-14-07-09' 'Date: Thursday, March 5, 2026 Time: 14:07' 'Flushing C:\users\ci\temp\...' \
  'walk 1' 'walk 2' 'purge' >"$t/want"
E2E_BLOCKS_DIR=$t/blocks X_PURGE_BLOCK=purge.txt X_TIMESTAMP=Mar-05-2026-14-07-09 \
  X_DATE='Thursday, March 5, 2026' X_TIME=14:07 X_PROFILE='C:\users\ci' expand_expected "$t/template" "$t/expanded"
check "substitutions and blocks are expanded" 0 compare_transcripts "$t/want" "$t/expanded"

# The time stamp is read from the renamed objects, must have the format, and must be the time of the run.
stamp_case() {  # stamp_case NAME STARTED ENDED: runs read_timestamp on $t/p; prints the problems
  local problems=()
  read_timestamp "$t/p" "$2" "$3"
  printf '%s\n' "${problems[@]}" "stamp=$X_TIMESTAMP date=$X_DATE time=$X_TIME"
  ((${#problems[@]} == 0))
}
mkdir -p "$t/p/drive_c/windows/system32"
touch "$t/p/drive_c/windows/WindowsUpdate.logMar-05-2026-14-07-09.old"
mkdir "$t/p/drive_c/windows/system32/catroot2Mar-05-2026-14-07-09.old"
run_start=$(date -u -d '2026-03-05 14:07:08' +%s)
check "a time stamp of the run is accepted" 0 stamp_case ok "$run_start" $((run_start + 5))
expect_output "the date and time lines follow from the time stamp" "date=Thursday, March 5, 2026 time=14:07"
check "a time stamp outside the run is refused" 1 stamp_case late $((run_start + 60)) $((run_start + 90))
touch "$t/p/drive_c/windows/Windows Update.logMar-05-2026-14-07-10.old"
check "different time stamps on the renamed objects are refused" 1 stamp_case two "$run_start" $((run_start + 5))
rm "$t/p/drive_c/windows/"*.old && rmdir "$t/p/drive_c/windows/system32/"*.old
touch "$t/p/drive_c/windows/WindowsUpdate.log2026-03-05 14:07:09.old"
check "a time stamp of another format is refused" 1 stamp_case format "$run_start" $((run_start + 5))

# Changes outside the objects the transcript names are found; changes inside them are not.
snapshot() { printf '%s\n' "$@" | tr '|' '\t' | LC_ALL=C sort; }
snapshot 'windows/WindowsUpdate.log|f|10|1.0' 'windows/win.ini|f|5|1.0' 'windows/temp/a.tmp|f|1|1.0' >"$t/before"
snapshot 'windows/WindowsUpdate.logMar-05-2026-14-07-09.old|f|10|1.0' 'windows/win.ini|f|5|1.0' >"$t/inside"
snapshot 'windows/WindowsUpdate.logMar-05-2026-14-07-09.old|f|10|1.0' 'windows/win.ini|f|6|2.0' \
  'windows/temp/a.tmp|f|1|1.0' >"$t/outside"
printf '%s\n' 'Renaming C:\windows\WindowsUpdate.log...' 'Flushing C:\windows\temp\...' >"$t/transcript"
unnamed_case() {
  local out
  X_TIMESTAMP=Mar-05-2026-14-07-09 X_CACHE='' X_HISTORY=''
  out=$(unnamed_changes "$t/before" "$1" "$t/transcript")
  echo "$out"
  [[ -z $out ]]
}
check "renaming and flushing the named objects is no unnamed change" 0 unnamed_case "$t/inside"
check "a change to another file is found" 1 unnamed_case "$t/outside"
expect_output "the unnamed change is named" "windows/win.ini"

# Each named object changes as a whole or not at all.
named_case() {  # named_case AFTER: prints the problems
  local problems=()
  X_TIMESTAMP=Mar-05-2026-14-07-09
  check_named_objects "$t/named-before" "$1" "$t/named-transcript"
  printf '%s\n' "${problems[@]}"
  ((${#problems[@]} == 0))
}
printf '%s\n' 'Renaming C:\windows\system32\catroot2...' 'Flushing C:\windows\SoftwareDistribution\DataStore...' \
  >"$t/named-transcript"
snapshot 'windows/system32/catroot2|d' 'windows/system32/catroot2/edb.log|f|3|1.0' \
  'windows/SoftwareDistribution/DataStore|d' 'windows/SoftwareDistribution/DataStore/a.edb|f|2|1.0' \
  'windows/SoftwareDistribution/DataStore/b.log|f|2|1.0' >"$t/named-before"
snapshot 'windows/system32/catroot2Mar-05-2026-14-07-09.old|d' \
  'windows/system32/catroot2Mar-05-2026-14-07-09.old/edb.log|f|3|1.0' 'windows/SoftwareDistribution/DataStore|d' \
  >"$t/named-whole"
check "a whole rename and a deleted, re-created folder pass" 0 named_case "$t/named-whole"
snapshot 'windows/system32/catroot2Mar-05-2026-14-07-09.old|d' 'windows/system32/catroot2/edb.log|f|3|1.0' \
  'windows/SoftwareDistribution/DataStore|d' 'windows/SoftwareDistribution/DataStore/a.edb|f|2|1.0' >"$t/named-part"
check "a rename in part and a deletion in part are found" 1 named_case "$t/named-part"
expect_output "the rename in part is named" 'C:\windows\system32\catroot2 was not renamed as a whole'
expect_output "the deletion in part is named" 'C:\windows\SoftwareDistribution\DataStore was changed in part'
printf '%s\n' 'Renaming C:\windows\system32\catroot2...' '' 'The CatRoot2 Main Folder was cleaned successfully.' \
  'Flushing C:\windows\SoftwareDistribution\DataStore...' '' \
  'The Software Distribution - DataStore Folder was not cleaned: the operation was cancelled.' >"$t/named-transcript"
snapshot 'windows/system32/catroot2Mar-05-2026-14-07-09.old|d' \
  'windows/system32/catroot2Mar-05-2026-14-07-09.old/edb.log|f|3|1.0' 'windows/SoftwareDistribution/DataStore|d' \
  'windows/SoftwareDistribution/DataStore/a.edb|f|2|1.0' 'windows/SoftwareDistribution/DataStore/b.log|f|2|1.0' \
  >"$t/named-cancelled"
check "a cancelled deletion that left the folder untouched passes" 0 named_case "$t/named-cancelled"
check "a cancelled deletion whose folder was emptied is found" 1 named_case "$t/named-whole"
expect_output "the emptied folder is named" \
  'C:\windows\SoftwareDistribution\DataStore was changed, though its deletion was reported cancelled'

# A read-only question is asked again when Wine fails it, and what Wine printed is shown when it never answers.
mkdir -p "$t/qp/drive_c"
cat >"$t/flaky-wine" <<'WINE'
#!/usr/bin/env bash
n=$(($(cat "$FAILS_LEFT") - 1))
echo "$n" >"$FAILS_LEFT"
if ((n >= 0)); then echo "wine: could not start: attempt failed" >&2; exit 5; fi
printf 'answer=%s\r\n' "$*"
WINE
chmod +x "$t/flaky-wine"
query_case() (  # query_case FAILURES: e2e_query through a Wine that fails that many times first
  sleep() { :; }
  echo "$1" >"$t/fails-left"
  FAILS_LEFT=$t/fails-left WINE64=$t/flaky-wine e2e_query "$t/qp" helper folders
)
check "a question Wine fails twice is answered at the third attempt" 0 query_case 2
if [[ $(<"$t/out") == 'answer=helper folders' ]]; then echo "harness test ok: the answer alone, without carriage returns"; else
  echo "harness test FAILED: the answer is not alone or keeps its carriage return:"; cat -A "$t/out"
  failures=$((failures + 1))
fi
check "a question Wine fails three times is a failure" 1 query_case 3
expect_output "what Wine printed is shown" 'e2e:   wine: could not start: attempt failed'
expect_output "the last exit status is named" 'last exit status 5'

if ((failures)); then
  echo "harness test: $failures check(s) failed"
  exit 1
fi
echo "harness test: all checks passed"
