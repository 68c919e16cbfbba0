#!/bin/sh
# Installs every Debian package that building, running and testing Speclore needs.
# Used by both README commands and by CI, so the list lives here only.
set -eu
export DEBIAN_FRONTEND=noninteractive
PACKAGES="
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev qt6-translations-l10n qt6-wayland
  libgtest-dev nlohmann-json3-dev
  mdbtools mdbtools-dev libglib2.0-dev libseccomp-dev libssl-dev
  clang libclang-rt-14-dev
  libzip-dev libisal-dev libpugixml-dev
  python3 python3-xlrd python3-xlwt python3-openpyxl python3-pil
  libreoffice-calc-nogui
  xvfb xauth fonts-ipafont-gothic openbox x11-utils xdotool weston
  file lintian desktop-file-utils appstream
"
missing=""
for package in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $package"
  fi
done
if [ -z "$missing" ]; then
  echo "all Debian packages needed are installed"
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "missing Debian packages:$missing" >&2
  echo "run this as root (or install them with apt-get) and try again" >&2
  exit 1
fi
apt-get update
# shellcheck disable=SC2086
apt-get install -y --no-install-recommends $missing
