#!/bin/sh
# Fresh Debian 12, as root: installs the packages, builds, runs every test,
# then runs each fuzz target for a bounded time over its committed corpus.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)"
sh scripts/fuzz.sh
