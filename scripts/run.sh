#!/bin/sh
# Fresh Debian 12, as root: installs the packages, builds, starts Speclore.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh
exec build/bin/Speclore
