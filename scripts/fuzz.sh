#!/bin/sh
# Builds the libFuzzer targets in the sanitized build (scripts/build-sanitize.sh,
# build-sanitize/fuzz) and runs each for FUZZ_SECONDS (default 30) over its
# corpus in tests/fuzz/corpus/<target>.
set -eu
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-30}"
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan-suppressions.txt"
sh scripts/build-sanitize.sh fuzz_targets
status=0
for target in build-sanitize/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="tests/fuzz/corpus/$name"
  mkdir -p "$corpus"
  work=$(mktemp -d)
  echo "fuzzing $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
       "$work" "$corpus" > "build-sanitize/fuzz/$name.log" 2>&1; then
    echo "fuzz target $name failed:"; tail -40 "build-sanitize/fuzz/$name.log"; status=1
  fi
  rm -rf "$work"
done
exit $status
