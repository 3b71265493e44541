#!/usr/bin/env bash
# Builds the Debian package zelvo_<version>_amd64.deb with CPack into the
# repository's top folder and prints its path. Its dependencies are computed
# by dpkg-shlibdeps.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DZELVO_BUILD_TESTS=OFF -DZELVO_BUILD_BENCH=OFF -DZELVO_BUILD_FUZZ=OFF -DZELVO_SANITIZE= >/dev/null
cmake --build build-package -j "$(nproc)"
rm -f build-package/zelvo_*.deb
(cd build-package && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-package/CMakeCache.txt)
package=zelvo_${version}_$(dpkg --print-architecture).deb
mv "build-package/$package" .
echo "$PWD/$package"
