#!/usr/bin/env bash
# Builds the Debian package of Rolvane in build-deb/: a build of the programs alone,
# configured for /usr with Debian's build flags (hardening included), packed by
# CPack. Prints the path of the .deb on its last line.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="$top/build-deb"
cd "$top"

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cflags="$(dpkg-buildflags --get CFLAGS) $cppflags"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $cppflags"
ldflags=$(dpkg-buildflags --get LDFLAGS)

cmake -S "$top" -B "$dir" -G Ninja \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
  -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" \
  -DROLVANE_TESTS=OFF -DROLVANE_BENCH=OFF -DROLVANE_SANITIZE=OFF -DROLVANE_FUZZ=OFF >/dev/null
ninja -C "$dir" -j"$(nproc)" >&2
rm -f "$dir"/rolvane_*.deb
(cd "$dir" && cpack -G DEB >&2)
ls "$dir"/rolvane_*.deb
