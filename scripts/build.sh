#!/bin/sh
# Configures and builds everything into build/; build/bin is the program's folder.
# SPECLORE_WERROR=ON (as the test command sets it) adds the stricter warnings
# as errors; a user's build only warns, so that a newer compiler's new
# warnings cannot stop it.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPECLORE_WERROR="${SPECLORE_WERROR:-OFF}"
cmake --build build -j"$(nproc)"
