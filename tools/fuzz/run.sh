#!/bin/sh
# Builds the native fuzzers and runs each for a bounded time over the seed
# corpus in the repository (new inputs go to the build folder, not the repo).
#   run.sh BUILD_DIR [SECONDS_FOR_VERSION] [SECONDS_FOR_GROUP_ICON]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$1
version_seconds=${2:-40}
group_seconds=${3:-15}

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 --target fuzz_version fuzz_group_icon >/dev/null

status=0
run() {
  target=$1
  seconds=$2
  work="$build/corpus/$target"
  log="$build/fuzz_$target.log"
  rm -rf "$build/artifacts"
  mkdir -p "$work" "$build/artifacts"
  if "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$target-" "$work" "$here/corpus/$target" >"$log" 2>&1; then
    echo "fuzz_$target: $(grep -E '^stat::number_of_executed_units' "$log" | tr -d ' ') in ${seconds}s"
  else
    echo "fuzz_$target FAILED (log: $log)"
    grep -E '==ERROR|SUMMARY|Test unit written' "$log" || tail -20 "$log"
    status=1
  fi
}

run version "$version_seconds"
run group_icon "$group_seconds"
exit "$status"
