#!/bin/bash
# Builds the Debian package of the game in build-package/ (on Debian 12, as
# root or through sudo): installs what the build needs, builds with Debian's
# own compiler and linker flags, and makes velunda_VERSION_ARCH.deb with
# CPack. Install it with: apt-get install ./build-package/velunda_*.deb
set -u
cd "$(dirname "$0")/../.." || exit 1
. tools/setup-common.sh

ensure_packages $BUILD_PACKAGES $PACKAGE_PACKAGES || exit 1
# The hardening a package built by Debian's own tools gets.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
configure_and_build build-package -DCMAKE_BUILD_TYPE=Release -DVELUNDA_TESTS=OFF || exit 1
rm -f build-package/velunda_*.deb
(cd build-package && cpack -G DEB) || exit 1
ls build-package/velunda_*.deb
