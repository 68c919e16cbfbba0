#!/bin/sh
# Builds the test suite without the windows with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/ (everything but the reader
# process, see jet/reader/CMakeLists.txt) and runs it: the engines, the
# cipher library, the catalog run, the settings and the command line. Any
# report fails the test it happens in. The window tests are left to the plain
# build.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPECLORE_SANITIZE=ON \
  -DSPECLORE_BUILD_BENCH=OFF -DSPECLORE_BUILD_GUI=OFF
cmake --build build-sanitize -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan-suppressions.txt"
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
