#!/usr/bin/env bash
# Measures the resident program as a user runs it: time from start until its
# window is on screen, then memory and processor time while it sits idle.
#
#   bench/resident.sh [build-folder] [idle-seconds]
#
# Runs on a private Xvfb display with a scratch home folder; needs a built tree.
set -euo pipefail
build=${1:-build}
idle=${2:-30}
program=$(cd "$build/bin" && pwd)/mirubero
[ -x "$program" ] || { echo "no program at $program; build first" >&2; exit 1; }

scratch=$(mktemp -d)
cleanup() {
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -t 10 display <&3
mkdir -m 700 "$scratch/run"

ticks_per_second=$(getconf CLK_TCK)
start=$(date +%s%N)
# A network namespace of its own: the start-up probe must not leave this machine.
unshare --net env -i PATH="$PATH" HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/run" DISPLAY=":$display" \
  DBUS_SESSION_BUS_ADDRESS=disabled: LANG=C.UTF-8 QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
pid=$!

# The data folder appears during start-up; the window shows on the first tick.
until [ -d "$scratch/home/Documents/ヨツバネ/MiruberoData" ]; do
  kill -0 "$pid" 2>/dev/null || { echo "the program ended during start-up" >&2; exit 1; }
  sleep 0.01
done
until xwininfo -display ":$display" -root -tree 2>/dev/null | grep -q '"ミルベロ"'; do
  kill -0 "$pid" 2>/dev/null || { echo "the program ended during start-up" >&2; exit 1; }
  sleep 0.01
done
shown=$(date +%s%N)

cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(cpu)
sleep "$idle"
after=$(cpu)
rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
threads=$(awk '/Threads/ {print $2}' "/proc/$pid/status")

echo "start until window shown: $(( (shown - start) / 1000000 )) ms"
echo "idle for ${idle} s: $(( (after - before) * 1000 / ticks_per_second )) ms of processor time"
echo "resident memory: $(( rss / 1024 )) MiB (peak $(( hwm / 1024 )) MiB), threads: $threads"
