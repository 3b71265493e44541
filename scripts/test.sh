#!/usr/bin/env bash
# Builds Zelvo with its tests and runs every one of them: the normal build,
# the Debian package installed and checked (as root), then (with clang) the
# whole suite under AddressSanitizer and UBSan, and a short run of each fuzz
# target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== Build and test"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVO_BUILD_TESTS=ON -DZELVO_BUILD_BENCH=ON
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

echo "== Debian package: build, install, check, remove"
if ((EUID != 0)); then
  echo "not root: the package is not installed and checked"
else
  scripts/package-check.sh
fi

if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: sanitizer build and fuzzing skipped"
  exit 0
fi

echo "== Sanitizer build (address, undefined) and test"
CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELVO_BUILD_TESTS=ON -DZELVO_SANITIZE=address,undefined
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== Fuzzing (${ZELVO_FUZZ_SECONDS:=60} s per target)"
scripts/fuzz.sh "$ZELVO_FUZZ_SECONDS"
