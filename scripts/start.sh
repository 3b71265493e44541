#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Zelvo and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELVO_BUILD_TESTS=OFF
cmake --build build
exec build/src/app/zelvo "$@"
