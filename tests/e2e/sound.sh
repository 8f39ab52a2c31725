#!/usr/bin/env bash
# The sound for real, without speakers: a private PulseAudio with a null sink, recorded from its monitor. A WAV file
# and the desktop's "new message" sound must both be heard, and a second request while the first plays must start no
# second sound. Usage: sound.sh PLAY_SOUND WAV
set -euo pipefail
player=$(readlink -f "$1")
wav=$(readlink -f "$2")
for tool in pulseaudio parec pactl python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: needs $tool"; exit 77; }
done
work=$(mktemp -d)
cleanup() {
    [[ -n ${recorder:-} ]] && kill "$recorder" 2>/dev/null
    [[ -n ${server:-} ]] && kill "$server" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$work/run" HOME="$work" PULSE_SERVER="unix:$work/pulse.socket"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --system=false \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse.socket" \
    -L "module-null-sink sink_name=silent rate=44100" -L "module-always-sink" >"$work/pulse.log" 2>&1 &
server=$!
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || { echo "SKIP: PulseAudio did not start here"; cat "$work/pulse.log"; exit 77; }
pactl set-default-sink silent
sleep 1 # the null sink settles before the first recording

# A recording of 16-bit stereo at 44.1 kHz: the seconds from the first to the last loud sample, and the peak.
measure() {
    python3 - "$1" <<'PY'
import array, sys
data = array.array("h", open(sys.argv[1], "rb").read())
loud = [i for i, v in enumerate(data) if abs(v) > 300]
print(0 if not loud else (loud[-1] - loud[0]) / 2 / 44100, max((abs(v) for v in data), default=0))
PY
}
record() { # what output
    # A short latency, so that what was recorded reaches the file before the recorder is stopped.
    parec --latency-msec=20 -d silent.monitor --format=s16le --rate=44100 --channels=2 >"$2" &
    recorder=$!
    sleep 0.5
    QT_QPA_PLATFORM=offscreen "$player" "$1"
    sleep 0.3
    kill -INT "$recorder"
    wait "$recorder" 2>/dev/null || true
    recorder=
}

record "$wav" "$work/wav.raw"
read -r span peak < <(measure "$work/wav.raw")
echo "WAV file: ${span}s of sound, peak $peak"
# The file peaks near 18,000: a second playing, whether it overlaps the first in part or whole, makes the sound
# longer or louder.
python3 -c "import sys; sys.exit(0 if 0.3 < $span < 0.52 and $peak < 25000 else 1)" ||
    { echo "FAIL: expected one playing of the 0.48 s file, heard ${span}s peaking at $peak"; exit 1; }

record --beep "$work/beep.raw"
read -r span peak < <(measure "$work/beep.raw")
echo "new-message sound: ${span}s of sound, peak $peak"
((peak > 1000)) || { echo "FAIL: the new-message sound was silent"; exit 1; }
echo "PASS: both sounds heard, the second request during playback started nothing"
