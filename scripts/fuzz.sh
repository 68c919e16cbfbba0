#!/bin/sh
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# FUZZ_SECONDS (default 30) over its corpus in tests/fuzz/corpus/<target>.
set -eu
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-30}"
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan-suppressions.txt"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DSPECLORE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz -j"$(nproc)"
status=0
for target in build-fuzz/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="tests/fuzz/corpus/$name"
  mkdir -p "$corpus"
  work=$(mktemp -d)
  echo "fuzzing $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
       "$work" "$corpus" > "build-fuzz/$name.log" 2>&1; then
    echo "fuzz target $name failed:"; tail -40 "build-fuzz/$name.log"; status=1
  fi
  rm -rf "$work"
done
exit $status
