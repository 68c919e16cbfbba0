#!/bin/sh
# Builds the sanitized build (scripts/build-sanitize.sh) and runs the whole
# test suite in it, the windows' tests offscreen, under AddressSanitizer and
# UndefinedBehaviorSanitizer. Any report fails the test it happens in.
set -eu
cd "$(dirname "$0")/.."
sh scripts/build-sanitize.sh
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan-suppressions.txt"
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
