#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The main window's private memory (RssAnon) against a local zorvane-farm of 0, 5,000 and
# 15,000 UT servers (or the counts given), one farm and one window after the other: idle, at
# the peak of an F8 and once it is over (the server cache written), with what each further
# 1,000 servers add; then the time from a start of the program to its painted window with the
# cache of 15,000 servers.
#
#   bench/window_memory.sh [COUNT ...]
#
# Everything talks to 127.0.0.1 only. Run by hand; never part of the tests.
# Environment: BASE_PORT (40001), MASTER_PORT (38975), BUILD_DIR, SKIP_BUILD=1.

set -uo pipefail
export LC_ALL=C

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
BASE_PORT=${BASE_PORT:-40001}
MASTER_PORT=${MASTER_PORT:-38975}
COUNTS=("$@")
(( ${#COUNTS[@]} )) || COUNTS=(0 5000 15000)
PROBE=$BUILD_DIR/bench/bench_window_memory
FARM=$BUILD_DIR/tools/farm/zorvane-farm

die() { echo "window_memory: $*" >&2; exit 2; }
for n in "${COUNTS[@]}" "$BASE_PORT" "$MASTER_PORT"; do
  [[ $n =~ ^[0-9]+$ ]] || die "not a whole number: $n"
done
if [[ ${SKIP_BUILD:-0} != 1 ]]; then
  cmake --build "$BUILD_DIR" -j2 --target zorvane-farm bench_window_memory >/dev/null ||
    die "build failed"
fi
for f in "$PROBE" "$FARM"; do [[ -x $f ]] || die "no $f"; done
hard=$(ulimit -Hn); [[ $hard == unlimited ]] && hard=1048576
ulimit -n "$hard" 2>/dev/null || true

LOG=$(mktemp /tmp/zorvane-memory.XXXXXX)
FARM_PID=""
stop_farm() {
  [[ -n $FARM_PID ]] || return 0
  kill -TERM "$FARM_PID" 2>/dev/null
  wait "$FARM_PID" 2>/dev/null
  FARM_PID=""
}
trap 'stop_farm; rm -f "$LOG"' EXIT

field() { sed -n "s/.*\"$1\": \\([0-9.-]*\\).*/\\1/p" <<<"$2"; }
mb() { awk "BEGIN { printf \"%.1f\", $1 / 1024 }"; }

echo "load: $(uptime | sed 's/.*load average: //')"
printf '%8s %10s %10s %10s %10s %10s\n' servers "idle MB" "peak MB" "after MB" "cache MB" replied
declare -A PEAK AFTER
for count in "${COUNTS[@]}"; do
  (( BASE_PORT + count <= 65535 )) || die "the ports do not fit $count servers"
  "$FARM" --ut "$count" --base-port "$BASE_PORT" --master-port "$MASTER_PORT" --life 900 \
    >"$LOG" 2>&1 &
  FARM_PID=$!
  for _ in $(seq 600); do
    grep -q '^zorvane-farm: .* UT servers' "$LOG" 2>/dev/null && break
    kill -0 "$FARM_PID" 2>/dev/null || die "the farm did not start: $(cat "$LOG")"
    sleep 0.1
  done
  json=$(QT_QPA_PLATFORM=offscreen "$PROBE" --master "127.0.0.1:$MASTER_PORT" 2>/dev/null | tail -n 1)
  stop_farm
  [[ -n $(field peakRssAnonKb "$json") ]] || die "no figures for $count servers"
  PEAK[$count]=$(field peakRssAnonKb "$json")
  AFTER[$count]=$(field afterRssAnonKb "$json")
  printf '%8s %10s %10s %10s %10s %10s\n' "$count" "$(mb "$(field idleRssAnonKb "$json")")" \
    "$(mb "${PEAK[$count]}")" "$(mb "${AFTER[$count]}")" "$(mb "$(field cacheFileKb "$json")")" \
    "$(field replied "$json")"
done

# What each further 1,000 servers add, between the two largest counts.
if (( ${#COUNTS[@]} >= 2 )); then
  hi=${COUNTS[-1]} lo=${COUNTS[-2]}
  if (( hi > lo )); then
    per() { awk "BEGIN { printf \"%.2f\", ($1 - $2) / 1024 / (($hi - $lo) / 1000) }"; }
    echo "per 1,000 servers ($lo to $hi): peak +$(per "${PEAK[$hi]}" "${PEAK[$lo]}") MB," \
         "after +$(per "${AFTER[$hi]}" "${AFTER[$lo]}") MB"
  fi
fi
start=$(QT_QPA_PLATFORM=offscreen "$PROBE" --start 15000 2>/dev/null | tail -n 1)
echo "start to a painted window with the cache of 15,000 servers:" \
     "$(field startToPaintLeastMs "$start") ms least, $(field startToPaintMedianMs "$start") ms median of 5"
