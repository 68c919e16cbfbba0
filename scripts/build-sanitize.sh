#!/bin/sh
# Configures and builds the sanitized build into build-sanitize/ with clang:
# everything but the benchmarks and the reader process (see
# jet/reader/CMakeLists.txt) instrumented with AddressSanitizer and
# UndefinedBehaviorSanitizer, with assertions on, and the libFuzzer targets
# linked from the same objects. Qt's own libraries stay as Debian builds
# them; the windows' code and tests are instrumented. -O1 and line tables
# only keep the build short and the reports readable.
# Arguments name the targets to build (default all).
# SPECLORE_WERROR=ON (as the test command sets it) makes the stricter
# warnings errors here too, as in the plain build. SPECLORE_CMAKE_ARGS adds
# configuration arguments (a compiler launcher, say).
set -eu
cd "$(dirname "$0")/.."
cmake ${SPECLORE_CMAKE_ARGS:-} -S . -B build-sanitize -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DSPECLORE_SANITIZE=ON -DSPECLORE_FUZZ=ON -DSPECLORE_BUILD_GUI=ON -DSPECLORE_BUILD_BENCH=OFF \
  -DSPECLORE_WERROR="${SPECLORE_WERROR:-OFF}"
if [ $# -gt 0 ]; then set -- --target "$@"; fi
cmake --build build-sanitize -j"$(nproc)" "$@"
