#!/bin/sh
# Fresh Debian 12, as root: installs the packages, builds with the stricter
# warnings as errors, runs every test, builds and checks the Debian package,
# runs the suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then runs each fuzz target for a bounded time over its committed corpus.
# Every step runs even when one before it failed, so that one run reports
# them all; the exit status is non-zero when any failed.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
export SPECLORE_WERROR=ON
sh scripts/build.sh
export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir build --output-on-failure -j"$(nproc)" || status=1
sh tests/package/check-package.sh || status=1
sh scripts/sanitize.sh || status=1
sh scripts/fuzz.sh || status=1
exit $status
