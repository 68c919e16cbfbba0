#!/bin/sh
# Installs every Debian package that building, running and testing Speclore needs.
# Used by both README commands and by CI, so the list lives here only.
set -eu
export DEBIAN_FRONTEND=noninteractive
PACKAGES="
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev nlohmann-json3-dev
  mdbtools mdbtools-dev libglib2.0-dev
  libsqlite3-dev
  clang libclang-rt-14-dev
  python3 python3-xlrd python3-xlwt
  libreoffice-calc-nogui
  xvfb xauth fonts-ipafont-gothic
"
apt-get update
# shellcheck disable=SC2086
apt-get install -y --no-install-recommends $PACKAGES
