#!/usr/bin/env bash
# Builds Zelvo with its tests and runs every one of them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVO_BUILD_TESTS=ON
cmake --build build
ctest --test-dir build --output-on-failure -j 2
