#!/usr/bin/env bash
# Builds the libFuzzer harnesses (preset `fuzz`, clang) and runs each one for FUZZ_SECONDS
# seconds on its seed corpus (tests/fuzz/corpus/<name>, with <name>.dict when present),
# FUZZ_JOBS harnesses at a time. New inputs go to a scratch copy of the corpus, so the stored
# seeds stay small. Prints a table: harness, executions, seconds, crashes; exits 1 when any
# harness crashed (the input is kept in build/fuzz/findings/<name>/).
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${FUZZ_SECONDS:-60}
JOBS=${FUZZ_JOBS:-2}
LAUNCHER=()
if command -v ccache >/dev/null; then LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
[ -f build/fuzz/build.ninja ] || cmake --preset fuzz "${LAUNCHER[@]}" >/dev/null
cmake --build --preset fuzz -j "${FUZZ_BUILD_JOBS:-2}"

out=build/fuzz/runs
rm -rf "$out" && mkdir -p "$out" build/fuzz/findings
run_one() {
  local name=$1
  local work=$out/$name
  mkdir -p "$work/corpus" "build/fuzz/findings/$name"
  cp tests/fuzz/corpus/"$name"/* "$work/corpus/" 2>/dev/null || true
  local dict=()
  [ -f "tests/fuzz/$name.dict" ] && dict=(-dict="tests/fuzz/$name.dict")
  local start=$(date +%s)
  set +e
  ASAN_OPTIONS=detect_leaks=1 build/fuzz/tests/fuzz/fuzz_"$name" "$work/corpus" "${dict[@]}" \
    -max_total_time="$SECONDS_EACH" -rss_limit_mb=1024 -max_len=4096 -timeout=10 \
    -artifact_prefix="build/fuzz/findings/$name/" -print_final_stats=1 >"$work/log" 2>&1
  local rc=$?
  set -e
  local end=$(date +%s)
  local execs
  execs=$(grep -E '^stat::number_of_executed_units' "$work/log" | awk '{print $2}' | tail -1)
  local crashes=0
  [ $rc -ne 0 ] && crashes=1
  echo "$name ${execs:-0} $((end - start)) $crashes" >"$work/result"
}
export -f run_one
export out SECONDS_EACH
names=$(cd tests/fuzz && ls *_fuzz.cpp | sed 's/_fuzz\.cpp$//')
printf '%s\n' $names | xargs -P "$JOBS" -I{} bash -c 'run_one {}'

printf '%-20s %12s %8s %8s\n' harness executions seconds crashes
failed=0
for n in $names; do
  read -r name execs secs crashes <"$out/$n/result"
  printf '%-20s %12s %8s %8s\n' "$name" "$execs" "$secs" "$crashes"
  if [ "$crashes" != 0 ]; then
    failed=1
    echo "  see $out/$n/log and build/fuzz/findings/$n/" >&2
  fi
done
exit $failed
