#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default
# 60) on a seed corpus of built and real SoundFonts (exported waves for the
# wave reader). Longer runs:
#   scripts/fuzz.sh 600
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELVO_BUILD_FUZZ=ON -DZELVO_BUILD_GUI=OFF -DZELVO_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)"

seeds=build-fuzz/seeds
rm -rf "$seeds"
build-fuzz/fuzz/make_seeds "$seeds" /usr/share/sounds/sf2/FluidR3_GS.sf2 \
  /usr/share/sounds/sf2/TimGM6mb.sf2 /usr/share/sounds/sf2/sf_GMbank.sf2
wave_seeds=build-fuzz/wave-seeds
rm -rf "$wave_seeds"
build-fuzz/fuzz/make_seeds --waves "$wave_seeds"

status=0
for target in build-fuzz/fuzz/*_fuzzer; do
  name=$(basename "$target")
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  log=build-fuzz/$name.log
  target_seeds=$seeds
  if [[ $name == wave_reader_fuzzer ]]; then target_seeds=$wave_seeds; fi
  if (cd build-fuzz && "../$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -max_len=300000 -print_final_stats=1 "../$corpus" "../$target_seeds") >"$log" 2>&1; then
    echo "$name: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs, nothing found"
  else
    echo "$name: FAILED, see $log"; tail -40 "$log"; status=1
  fi
done
exit $status
