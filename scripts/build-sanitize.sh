#!/bin/sh
# Configures and builds the sanitized build into build-sanitize/ with clang:
# everything but the windows, the benchmarks and the reader process (see
# jet/reader/CMakeLists.txt) instrumented with AddressSanitizer and
# UndefinedBehaviorSanitizer, with assertions on, and the libFuzzer targets
# linked from the same objects. -O1 and line tables only keep the build
# short and the reports readable.
# Arguments name the targets to build (default all).
# The stricter warnings are the plain build's (gcc's) to enforce: clang's
# differ in detail, and a fix for one compiler's view should not be asked
# for twice. SPECLORE_CMAKE_ARGS adds configuration arguments (a compiler
# launcher, say).
set -eu
cd "$(dirname "$0")/.."
cmake ${SPECLORE_CMAKE_ARGS:-} -S . -B build-sanitize -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DSPECLORE_SANITIZE=ON -DSPECLORE_FUZZ=ON -DSPECLORE_BUILD_GUI=OFF -DSPECLORE_BUILD_BENCH=OFF \
  -DSPECLORE_WERROR=OFF
if [ $# -gt 0 ]; then set -- --target "$@"; fi
cmake --build build-sanitize -j"$(nproc)" "$@"
