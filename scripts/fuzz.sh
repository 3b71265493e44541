#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for SECONDS (default
# 60) on a seed corpus of built and real SoundFonts (exported waves for the
# wave reader), with a dictionary of SoundFont chunk ids for the SoundFont
# targets. The sparse-load target opens files of up to 8 GiB that are mostly
# a hole, and the SoundFont 3 target, seeded with built streams and a few
# streams of the real SoundFont 3 files, decodes every compressed sample an
# instrument plays: a load or decoding slower than its -timeout or greedier
# than its memory limits is a finding. As many targets run at once as there
# are cores. Longer runs:
#   scripts/fuzz.sh 600
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELVO_BUILD_FUZZ=ON -DZELVO_BUILD_GUI=OFF -DZELVO_BUILD_TESTS=OFF -DZELVO_WERROR=ON >/dev/null
cores=$(nproc)
cmake --build build-fuzz -j "$cores"

real=(/usr/share/sounds/sf2/FluidR3_GS.sf2 /usr/share/sounds/sf2/TimGM6mb.sf2
  /usr/share/sounds/sf2/sf_GMbank.sf2)
seeds=build-fuzz/seeds
rm -rf "$seeds"
build-fuzz/fuzz/make_seeds "$seeds" "${real[@]}"
sparse_seeds=build-fuzz/sparse-seeds
rm -rf "$sparse_seeds"
build-fuzz/fuzz/make_seeds --sparse "$sparse_seeds" /usr/share/sounds/sf2/FluidR3_GS.sf2
wave_seeds=build-fuzz/wave-seeds
rm -rf "$wave_seeds"
build-fuzz/fuzz/make_seeds --waves "$wave_seeds"
sf3_seeds=build-fuzz/sf3-seeds
rm -rf "$sf3_seeds"
build-fuzz/fuzz/make_seeds --sf3 "$sf3_seeds" /usr/share/sounds/sf3/FluidR3Mono_GM.sf3 \
  /usr/share/sounds/sf3/MuseScore_General_Lite.sf3
dict=-dict=../fuzz/soundfont.dict
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp"

# Runs one target, noting in LOG.status whether it ended without a finding.
run_target() {
  local target=$1 log=$2
  shift 2
  if (cd build-fuzz && "../$target" "$@") >"$log" 2>&1; then echo ok; else echo failed; fi >"$log.status"
}

trap 'kill $(jobs -rp) 2>/dev/null || true' EXIT
names=()
for target in build-fuzz/fuzz/*_fuzzer; do
  name=$(basename "$target")
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  log=build-fuzz/$name.log
  args=(-max_total_time="$seconds" -print_final_stats=1)
  case $name in
    wave_reader_fuzzer)
      args+=(-timeout=10 -rss_limit_mb=4096 -max_len=300000 "../$corpus" "../$wave_seeds") ;;
    sparse_load_fuzzer)
      # Small inputs keep it fast; the holes make the files large.
      args+=(-timeout=5 -rss_limit_mb=1024 -malloc_limit_mb=128 -max_len=16384 "$dict"
        "../$corpus" "../$sparse_seeds") ;;
    sf3_fuzzer)
      # Each input decodes its compressed samples: a slow or greedy decoding is a finding.
      args+=(-timeout=2 -rss_limit_mb=512 -max_len=65536 "$dict" "../$corpus" "../$sf3_seeds") ;;
    *)
      args+=(-timeout=10 -rss_limit_mb=4096 -max_len=300000 "$dict" "../$corpus" "../$seeds") ;;
  esac
  while (($(jobs -rp | wc -l) >= cores)); do wait -n || true; done
  rm -f "$log.status"
  run_target "$target" "$log" "${args[@]}" &
  names+=("$name")
done
wait

status=0
for name in "${names[@]}"; do
  log=build-fuzz/$name.log
  if [[ $(cat "$log.status" 2>/dev/null) == ok ]]; then
    runs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    coverage=$(grep -o 'DONE *cov: [0-9]* ft: [0-9]*' "$log" | grep -o 'cov.*')
    echo "$name: $runs runs, $coverage, nothing found"
  else
    echo "$name: FAILED, see $log"; tail -40 "$log"; status=1
  fi
done
exit $status
