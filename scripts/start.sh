#!/usr/bin/env bash
# Builds Zelvo and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELVO_BUILD_TESTS=OFF
cmake --build build
if [[ -x build/src/app/zelvo ]]; then
  exec build/src/app/zelvo "$@"
fi
exec build/src/cli/zelvo-cli --help
