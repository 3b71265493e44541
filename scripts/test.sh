#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Zelvo with its tests and runs every one of them: the normal build,
# the Debian package installed and checked (as root), then (with clang) the
# suite under AddressSanitizer and UBSan without the tests that measure
# memory (label heavy), and a short run of each fuzz target. Compiler
# warnings are errors. Prints the wall time of each stage.
set -euo pipefail
cd "$(dirname "$0")/.."

stage_name=""
stage_started=$SECONDS
timings=()
# Ends the stage that runs (noting its time) and starts the next one, if named.
stage() {
  if [[ -n $stage_name ]]; then
    timings+=("$(printf '%6d s  %s' $((SECONDS - stage_started)) "$stage_name")")
    echo "== $stage_name: $((SECONDS - stage_started)) s"
  fi
  stage_name=${1:-}
  stage_started=$SECONDS
  if [[ -n $stage_name ]]; then echo "== $stage_name"; fi
}
report_times() {
  local status=$?
  stage
  echo "== Wall time per stage"
  if ((${#timings[@]})); then printf '%s\n' "${timings[@]}"; fi
  printf '%6d s  total%s\n' "$SECONDS" "$( ((status == 0)) || echo ", stopped by a failure")"
}
trap report_times EXIT

stage "Dependencies"
scripts/install-deps.sh --test
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

stage "Build (GCC)"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVO_BUILD_TESTS=ON \
  -DZELVO_BUILD_BENCH=ON -DZELVO_WERROR=ON
cmake --build build-test -j "$jobs"
stage "Test"
ctest --test-dir build-test --output-on-failure -j "$jobs"

stage "Debian package: build, install, check, remove"
if ((EUID != 0)); then
  echo "not root: the package is not installed and checked"
else
  scripts/package-check.sh
fi

if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: sanitizer build and fuzzing skipped"
  exit 0
fi

stage "Sanitizer build (clang, address, undefined)"
CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELVO_BUILD_TESTS=ON -DZELVO_SANITIZE=address,undefined -DZELVO_WERROR=ON
cmake --build build-asan -j "$jobs"
stage "Sanitizer test (without label heavy)"
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE heavy

stage "Fuzzing (${ZELVO_FUZZ_SECONDS:=60} s per target)"
scripts/fuzz.sh "$ZELVO_FUZZ_SECONDS"
