#!/bin/sh
# Fresh Debian 12, as root: installs the packages, builds, starts Speclore.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: starting Speclore on a virtual X server (xvfb-run); stop it with Ctrl+C" >&2
  exec xvfb-run -a build/bin/Speclore
fi
exec build/bin/Speclore
