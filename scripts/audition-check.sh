#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays samples through the desktop program's Play (Space in the tree) into a
# PulseAudio null sink on a virtual X display, records the sink's monitor and
# measures what was heard: "808 Closed Hat" (FluidR3_GM) and "Oboe C6"
# (TimGM6mb) for their whole length, "FluteG6" (TimGM6mb) at the pitch
# FluidSynth plays the same note at. Prints the figures; exits 1 when one is
# off (length by more than 10 ms, pitch by more than 2 cents). With SHOTS set
# to a folder, a screenshot of each selection goes there.
#
#   [SHOTS=DIR] scripts/audition-check.sh [build/src/app/zelvo]
set -euo pipefail
cd "$(dirname "$0")/.."
zelvo=$(realpath "${1:-build/src/app/zelvo}")
cli=$(dirname "$zelvo")/../cli/zelvo-cli
sf2=/usr/share/sounds/sf2
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [[ -n ${KEEP:-} ]]; then cp "$work"/*.raw "$KEEP"/; fi
  rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$work/run PULSE_SERVER=unix:$work/run/pulse/native DISPLAY=:$((90 + RANDOM % 100))
mkdir -m 700 "$XDG_RUNTIME_DIR"
Xvfb "$DISPLAY" -screen 0 1400x900x24 >"$work/xvfb.log" 2>&1 &
pids+=($!)
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
  --load="module-null-sink sink_name=zelvo_null rate=44100 channels=2" \
  --load=module-native-protocol-unix --load=module-always-sink >"$work/pulse.log" 2>&1 &
pids+=($!)
sleep 2

# Opens a bank, selects sample NAME by typing in the tree (the part before a
# space, then Down to it: a space in the tree plays), records Space and
# writes the points heard to OUT (mono, 16-bit, 44.1 kHz).
record_sample() {
  local bank=$1 name=$2 out=$3
  "$zelvo" "$bank" >"$work/zelvo.log" 2>&1 &
  local app=$!
  pids+=("$app")
  sleep 4
  # The Samples group: the fourth row of the tree (below the filter box), at
  # its left edge.
  local window
  window=$(xdotool search --sync --name 'Zelvo' | head -1)
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  xdotool mousemove 199 207 click 1
  sleep 0.3
  xdotool key Right
  local prefix=${name%% *}
  local downs
  downs=$("$cli" tree "$bank" | awk -F'\t' -v p="$prefix" -v n="$name" '
    /^    nodeS[0-9]/ { if (first == "" && index($2, p) == 1) first = NR; if ($2 == n && !done) { print NR - first; done = 1 } }')
  xdotool type --delay 40 "$prefix"
  for ((i = 0; i < downs; i++)); do xdotool key Down; done
  sleep 2
  if [[ -n ${SHOTS:-} ]]; then import -window root "$SHOTS/$(basename "$out" .raw).png"; fi
  parec -d zelvo_null.monitor --raw --format=s16le --rate=44100 --channels=1 >"$out" &
  local rec=$!
  # Space once the recording runs: the first one of a session starts late.
  for ((i = 0; i < 50; i++)); do [[ -s $out ]] && break; sleep 0.1; done
  sleep 0.5
  xdotool key space
  sleep 3
  kill "$rec" "$app"
  wait "$app" 2>/dev/null || true
}

# The MIDI file of one note: program PROGRAM, key KEY, for a second.
note_midi() {
  python3 - "$1" "$2" "$3" <<'EOF'
import struct, sys
program, key, out = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
events = bytes([0, 0xC0, program, 0, 0x90, key, 100, 0x83, 0x60, 0x80, key, 0, 0, 0xFF, 0x2F, 0])
open(out, "wb").write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + b"MTrk" + struct.pack(">I", len(events)) + events)
EOF
}

# How long sample NAME of BANK sounds, read from the file itself: from its
# first to its last point above the same floor the recording is measured at.
sample_length() {
  python3 - "$1" "$2" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
shdr = data.index(b"shdr")
smpl = data.index(b"smpl") + 8
for at in range(shdr + 8, shdr + 8 + struct.unpack("<I", data[shdr + 4:shdr + 8])[0], 46):
    if data[at:at + 20].split(b"\0")[0].decode("latin-1") == sys.argv[2]:
        start, end, _, _, rate = struct.unpack("<5I", data[at + 20:at + 40])
        x = struct.unpack("<%dh" % (end - start), data[smpl + 2 * start:smpl + 2 * end])
        loud = [i for i, v in enumerate(x) if abs(v) > 2]
        print("%.4f" % ((loud[-1] - loud[0] + 1) / rate))
        break
EOF
}

# Figures from recorded points: the length of what sounds, and the
# frequency over a stretch by autocorrelation, refined between lags.
measure() {
  python3 - "$@" <<'EOF'
import math, struct, sys, wave
def points(path):
    if path.endswith(".wav"):
        w = wave.open(path)
        raw, ch = w.readframes(w.getnframes()), w.getnchannels()
        x = struct.unpack("<%dh" % (len(raw) // 2), raw)
        return x[::ch]
    raw = open(path, "rb").read()
    return struct.unpack("<%dh" % (len(raw) // 2), raw)
what, path = sys.argv[1], sys.argv[2]
x = points(path)
loud = [i for i, v in enumerate(x) if abs(v) > 2]
if not loud:
    print("silent"); sys.exit()
if what == "length":
    print("%.4f" % ((loud[-1] - loud[0] + 1) / 44100.0))
    sys.exit()
# Frequency over 0.05..0.30 s after the sound starts.
s = x[loud[0] + 2205: loud[0] + 13230]
hz = float(sys.argv[3])
lags = range(int(44100 / hz * 0.8), int(44100 / hz * 1.25) + 1)
def r(lag):
    return sum(s[i] * s[i + lag] for i in range(len(s) - lag)) / (len(s) - lag)
c = {lag: r(lag) for lag in lags}
best = max(c, key=c.get)
a, b, d = c.get(best - 1, c[best]), c[best], c.get(best + 1, c[best])
shift = 0.5 * (a - d) / (a - 2 * b + d) if a - 2 * b + d != 0 else 0
print("%.3f" % (44100.0 / (best + shift)))
EOF
}

failed=0
check_length() {
  local label=$1 expected=$2 file=$3 got
  got=$(measure length "$file")
  local ok
  ok=$(python3 -c "print(abs($got - $expected) <= 0.010)")
  echo "$label: heard $got s, sample $expected s: $([[ $ok == True ]] && echo ok || echo OFF)"
  [[ $ok == True ]] || failed=1
}

record_sample "$sf2/FluidR3_GM.sf2" "808 Closed Hat" "$work/hat.raw"
check_length "808 Closed Hat" "$(sample_length "$sf2/FluidR3_GM.sf2" "808 Closed Hat")" "$work/hat.raw"
record_sample "$sf2/TimGM6mb.sf2" "Oboe C6" "$work/oboe.raw"
check_length "Oboe C6" "$(sample_length "$sf2/TimGM6mb.sf2" "Oboe C6")" "$work/oboe.raw"

# FluteG6: root 79 (G5), +43 ct pitch correction; preset 0:73 plays it at key 79.
record_sample "$sf2/TimGM6mb.sf2" "FluteG6" "$work/flute.raw"
note_midi 73 79 "$work/note.mid"
fluidsynth -ni -F "$work/fluid.wav" -r 44100 "$sf2/TimGM6mb.sf2" "$work/note.mid" >/dev/null 2>&1
heard=$(measure pitch "$work/flute.raw" 784)
fluid=$(measure pitch "$work/fluid.wav" 784)
cents=$(python3 -c "import math; print('%.2f' % (1200 * math.log2($heard / $fluid)))")
ok=$(python3 -c "print(abs($cents) <= 2)")
echo "FluteG6: heard $heard Hz, FluidSynth $fluid Hz, $cents ct: $([[ $ok == True ]] && echo ok || echo OFF)"
[[ $ok == True ]] || failed=1
exit $failed
