#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package zelvo_<version>-1_<arch>.deb with CPack into the
# repository's top folder and prints its path. The compiler and linker flags
# are Debian's (dpkg-buildflags, with every hardening feature: PIE, stack
# protector, _FORTIFY_SOURCE=2, RELRO and BIND_NOW); the dependencies come
# from dpkg-shlibdeps.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package

# The binaries are stripped into the package, so no debugging data is built.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
  -DZELVO_BUILD_TESTS=OFF -DZELVO_BUILD_BENCH=OFF -DZELVO_BUILD_FUZZ=OFF -DZELVO_SANITIZE= >/dev/null
cmake --build build-package -j "$(nproc)"
rm -f build-package/zelvo_*.deb
(cd build-package && cpack -G DEB >/dev/null)
package=$(cd build-package && ls zelvo_*.deb)
mv "build-package/$package" .
echo "$PWD/$package"
