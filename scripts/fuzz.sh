#!/usr/bin/env bash
# Fuzzing with libFuzzer (clang), AddressSanitizer and UndefinedBehaviorSanitizer over the fake platform.
#   scripts/fuzz.sh --short          the bounded run of the test command (about a minute in all)
#   scripts/fuzz.sh SECONDS          each target for SECONDS seconds (a longer campaign)
# Inputs that once found a fault live in tests/fuzz/regressions/<target>/ and are replayed first, every time.
# New interesting inputs go to build/fuzz/corpus/<target>/ (not kept in the repository).
set -euo pipefail
cd "$(dirname "$0")/.."

case ${1:---short} in
  --short) declare -A seconds=([questions_fuzzer]=20 [run_fuzzer]=40) ;;
  *[!0-9]*) echo "usage: scripts/fuzz.sh --short | SECONDS" >&2; exit 2 ;;
  *) declare -A seconds=([questions_fuzzer]=$1 [run_fuzzer]=$1) ;;
esac

CXX=clang++ cmake -S . -B build/fuzz -DTOVRIN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
for target in "${!seconds[@]}"; do
  [[ -f tests/fuzz/$target.cpp ]] || continue
  cmake --build build/fuzz --target "$target" -j"$(nproc)" >/dev/null
  regressions=tests/fuzz/regressions/$target
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus" "$regressions"
  if compgen -G "$regressions/*" >/dev/null; then
    echo "$target: replaying $(ls "$regressions" | wc -l) regression inputs"
    build/fuzz/"$target" -timeout=10 "$regressions"/* 2>&1 | tail -n 1
  fi
  echo "$target: fuzzing for ${seconds[$target]} s"
  build/fuzz/"$target" -max_total_time="${seconds[$target]}" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$corpus" "$regressions" 2>&1 | grep -E '^stat::number_of_executed_units|^Done|ERROR|SUMMARY' || true
  # libFuzzer leaves a crash-* / timeout-* file behind when it found a fault.
  if compgen -G "crash-*" >/dev/null || compgen -G "timeout-*" >/dev/null || compgen -G "leak-*" >/dev/null; then
    echo "$target: fault found; the input is in $(ls crash-* timeout-* leak-* 2>/dev/null | tr '\n' ' ')" >&2
    exit 1
  fi
done
