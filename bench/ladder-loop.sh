#!/usr/bin/env bash
# Runs one test function of a test binary again and again in one private
# audio session, keeping each run's output (and, with GST_DEBUG set, its
# GStreamer log) for a look at outputs whose clock stood still.
#   bench/ladder-loop.sh RUNS [BINARY [FUNCTION]]
# Logs go to $LOOP_LOGS (default /tmp/ladder-loop).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
runs=${1:-10}
binary=${2:-$root/build/bin/tst_studyreal}
function=${3:-ladderPassesLastTheirSpeed}
logs=${LOOP_LOGS:-/tmp/ladder-loop}
mkdir -p "$logs"
sandbox=$(mktemp -d /tmp/murmelin-loop.XXXXXX)
cleanup() { "$root/scripts/audio-session" stop "$sandbox/runtime" >/dev/null || true; rm -rf "$sandbox"; }
trap cleanup EXIT
mkdir -p "$sandbox"/{home,config,data,cache,runtime}
chmod 700 "$sandbox/runtime"
export HOME=$sandbox/home XDG_CONFIG_HOME=$sandbox/config XDG_DATA_HOME=$sandbox/data
export XDG_CACHE_HOME=$sandbox/cache XDG_RUNTIME_DIR=$sandbox/runtime QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS MURMELIN_AUDIO_PREV_XDG_RUNTIME_DIR
eval "$(MURMELIN_AUDIO_DIR=$sandbox/runtime "$root/scripts/audio-session")"
pass=0 skip=0 fail=0
for ((i = 1; i <= runs; i++)); do
  out=$logs/run$i.txt
  status=0
  GST_DEBUG_FILE=${GST_DEBUG:+$logs/gst$i.log} timeout 120 "$binary" -maxwarnings 0 "$function" >"$out" 2>&1 || status=$?
  if grep -q '^SKIP' "$out"; then skip=$((skip + 1)); r=skip
  elif [ $status = 0 ]; then pass=$((pass + 1)); r=pass; [ -n "${GST_DEBUG:-}" ] && rm -f "$logs/gst$i.log"
  else fail=$((fail + 1)); r=fail; fi
  echo "run $i: $r $(grep -o 'bursts (ms):.*' "$out" | head -1)"
done
echo "passed $pass, skipped $skip, failed $fail of $runs"
