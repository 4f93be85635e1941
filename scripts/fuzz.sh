#!/usr/bin/env bash
# Builds every fuzz target with clang's libFuzzer (and AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each in turn for FUZZ_SECONDS seconds,
# starting from its seed corpus in fuzz/corpus/<target>/. New inputs go to
# BUILD_DIR/fuzz-corpus/<target>/ and failures to BUILD_DIR/fuzz-artifacts/,
# never into the source tree: a failing input is added to the seed corpus by
# hand once the fault is fixed. Ends with one line of figures per target.
#
# Usage: scripts/fuzz.sh [BUILD_DIR]   (default build-fuzz)
# Environment: FUZZ_SECONDS (default 60), FUZZ_TARGETS (names, default all),
# JOBS (build jobs, default 1).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
jobs=${JOBS:-1}
clangxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$clangxx" ]; then
  echo "fuzz: clang++ is needed (scripts/install-deps.sh installs clang-14)" >&2
  exit 1
fi

if [ -n "${FUZZ_TARGETS:-}" ]; then
  read -r -a targets <<<"$FUZZ_TARGETS"
else
  targets=()
  for source in fuzz/fuzz_*.cpp; do
    name=${source#fuzz/fuzz_}
    targets+=("${name%.cpp}")
  done
fi

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$clangxx" \
  -DGLENVARY_FUZZ=ON -DGLENVARY_BUILD_GUI=OFF -DGLENVARY_BENCH=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build_dir" -j "$jobs" --target "${targets[@]/#/glenvary_fuzz_}"

summary=()
failed=0
for name in "${targets[@]}"; do
  corpus="$build_dir/fuzz-corpus/$name"
  log="$build_dir/fuzz-logs/$name.log"
  mkdir -p "$corpus" "$build_dir/fuzz-artifacts" "$build_dir/fuzz-logs"
  echo "fuzz: $name for ${seconds} s"
  status=0
  "$build_dir/fuzz/glenvary_fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build_dir/fuzz-artifacts/$name-" "$corpus" "fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  coverage=$(grep -E '^#[0-9]+' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+' || true)
  if [ "$status" -eq 0 ]; then
    result=ok
  else
    result="FAILED (see $log)"
    failed=1
  fi
  summary+=("$(printf '%-14s %12s runs  %-22s %s' "$name" "${runs:-?}" "${coverage:-cov: ? ft: ?}" "$result")")
done
printf '%s\n' "${summary[@]}"
exit "$failed"
