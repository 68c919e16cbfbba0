#!/bin/sh
# Fresh Debian 12, as root: installs the packages, builds a release with
# Debian's hardening flags into build/package and makes the Debian package
# build/speclore_<version>_<arch>.deb. Install it with
#   apt install ./build/speclore_*.deb
# SPECLORE_CMAKE_ARGS adds configuration arguments (a compiler launcher, say).
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CFLAGS CXXFLAGS LDFLAGS
cmake ${SPECLORE_CMAKE_ARGS:-} -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DSPECLORE_BUILD_TESTS=OFF -DSPECLORE_BUILD_BENCH=OFF
cmake --build build/package -j"$(nproc)"
rm -f build/package/speclore_*.deb
(cd build/package && cpack -G DEB)
mkdir -p build
cp build/package/speclore_*.deb build/
ls build/speclore_*.deb
