#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Pings of a mass refresh against qstat's on the same local zorvane-farm, and the event loop's
# largest stall during the burst.
#
#   bench/ping_vs_qstat.sh [SERVERS]
#
# On one farm of SERVERS UT servers (default 5000), one after the other:
#   - bench_ping_burst: a mass refresh at strength POWER (default 3, the default strength) with
#     a probe timer that records its own lateness: pings and the largest stall;
#   - zorvane-query --master --json (ZORVANE_QUERY picks another build, e.g. an older one):
#     its pings;
#   - quakestat -default uns over the same servers: its pings.
# Targets: the median ping within 2 ms of qstat's, the largest under 20 ms, no stall over
# 50 ms after the master exchange (which blocks by design). CPU against qstat is measured by
# bench/compare_qstat.sh.
#
# Everything talks to 127.0.0.1 only. Run by hand; never part of the tests.
# Environment: BASE_PORT (10001), MASTER_PORT (28992), POWER (3), BUILD_DIR, SKIP_BUILD=1,
# ZORVANE_QUERY, OUT_DIR. Exit status: 0 when every target was met, 1 when one was missed,
# 2 on a setup failure.

set -uo pipefail
export LC_ALL=C

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
SERVERS=${1:-${SERVERS:-5000}}
BASE_PORT=${BASE_PORT:-10001}
MASTER_PORT=${MASTER_PORT:-28992}
POWER=${POWER:-3}
QUERY=${ZORVANE_QUERY:-$BUILD_DIR/tools/query/zorvane-query}
PROBE=$BUILD_DIR/bench/bench_ping_burst
FARM=$BUILD_DIR/tools/farm/zorvane-farm

die() { echo "ping_vs_qstat: $*" >&2; exit 2; }
for n in "$SERVERS" "$BASE_PORT" "$MASTER_PORT" "$POWER"; do
  [[ $n =~ ^[0-9]+$ ]] || die "not a whole number: $n"
done
(( BASE_PORT >= 2 && BASE_PORT + SERVERS - 1 <= 65535 )) || die "the ports do not fit"
command -v quakestat >/dev/null || die "quakestat missing (Debian package qstat)"

if [[ ${SKIP_BUILD:-0} != 1 ]]; then
  cmake --build "$BUILD_DIR" -j2 --target zorvane-query zorvane-farm bench_ping_burst >/dev/null ||
    die "build failed"
fi
for f in "$QUERY" "$PROBE" "$FARM"; do [[ -x $f ]] || die "no $f"; done

hard=$(ulimit -Hn); [[ $hard == unlimited ]] && hard=1048576
ulimit -n "$hard" 2>/dev/null || true
(( $(ulimit -n) >= SERVERS + 64 )) || echo "ping_vs_qstat: warning: open file limit $(ulimit -n)" >&2

OUT_DIR=${OUT_DIR:-$(mktemp -d /tmp/zorvane-ping.XXXXXX)}
mkdir -p "$OUT_DIR" || die "cannot create $OUT_DIR"

FARM_PID=""
stop_farm() {
  [[ -n $FARM_PID ]] || return 0
  kill -TERM "$FARM_PID" 2>/dev/null
  wait "$FARM_PID" 2>/dev/null
  FARM_PID=""
}
trap stop_farm EXIT

"$FARM" --ut "$SERVERS" --base-port "$BASE_PORT" --master-port "$MASTER_PORT" --life 900 \
  >"$OUT_DIR/farm.log" 2>&1 &
FARM_PID=$!
for _ in $(seq 600); do
  grep -q '^zorvane-farm: .* UT servers' "$OUT_DIR/farm.log" 2>/dev/null && break
  kill -0 "$FARM_PID" 2>/dev/null || die "the farm did not start"
  sleep 0.1
done

# "count median largest" of whole-millisecond pings, one a line.
ping_stats() {
  sort -n | awk '{ p[NR] = $1 } END {
    if (NR == 0) { print "0 - -"; exit }
    m = NR % 2 ? p[(NR + 1) / 2] : (p[NR / 2] + p[NR / 2 + 1]) / 2
    print NR, m, p[NR] }'
}

echo "== bench_ping_burst --master 127.0.0.1:$MASTER_PORT --power $POWER" >&2
"$PROBE" --master "127.0.0.1:$MASTER_PORT" --power "$POWER" >"$OUT_DIR/probe.json" \
  2>"$OUT_DIR/probe.err" || die "bench_ping_burst failed; see $OUT_DIR/probe.err"
PROBE_JSON=$(tail -n 1 "$OUT_DIR/probe.json")
field() { sed -n "s/.*\"$1\": \\([0-9.-]*\\).*/\\1/p" <<<"$PROBE_JSON"; }

echo "== zorvane-query --master 127.0.0.1:$MASTER_PORT --json ($QUERY)" >&2
"$QUERY" --master "127.0.0.1:$MASTER_PORT" --json >"$OUT_DIR/query.out" 2>"$OUT_DIR/query.err" ||
  die "zorvane-query failed; see $OUT_DIR/query.err"
# The record's own "Ping" comes right before "ReplyMark"; players' pings never do.
read -r Z_N Z_MED Z_MAX <<<"$(grep -o '"Ping": "[0-9]*", "ReplyMark' "$OUT_DIR/query.out" |
  sed 's/[^0-9]*\([0-9]*\).*/\1/' | grep -vx 9999 | ping_stats)"

# qstat's uns type takes the game port and asks the query port, one above it.
seq "$((BASE_PORT - 1))" "$((BASE_PORT + SERVERS - 2))" | sed 's/^/127.0.0.1:/' >"$OUT_DIR/qstat.list"
echo "== quakestat -f LIST -default uns -maxsim 1000 -raw , -nh" >&2
quakestat -f "$OUT_DIR/qstat.list" -default uns -maxsim 1000 -raw , -nh >"$OUT_DIR/qstat.out"
# UNS,address,name,map,max players,players,ping,retries: the ping is the 7th field from the
# end's side (names may hold commas), so count from the end.
read -r Q_N Q_MED Q_MAX <<<"$(grep -a '^UNS,' "$OUT_DIR/qstat.out" |
  grep -avE '^UNS,[^,]*,(DOWN|TIMEOUT|ERROR|SYSERROR|HOSTNOTFOUND|NOTFOUND)' |
  awk -F, '{ print $(NF - 1) }' | ping_stats)"
stop_farm

P_MED=$(field pingMedian); P_MAX=$(field pingMax); STALL=$(field stallMs)
echo
echo "Pings on $SERVERS UT servers (loopback), strength $POWER"
printf '%-22s %8s %8s %8s\n' source replied median largest
printf '%-22s %8s %8s %8s\n' bench_ping_burst "$(field replied)" "$P_MED" "$P_MAX"
printf '%-22s %8s %8s %8s\n' zorvane-query "$Z_N" "$Z_MED" "$Z_MAX"
printf '%-22s %8s %8s %8s\n' quakestat "$Q_N" "$Q_MED" "$Q_MAX"
echo "Largest event-loop stall: $STALL ms after the master exchange," \
     "$(field stallMasterMs) ms in it (a blocking exchange by design)"

FAILED=0
verdict() { if (( $1 )); then echo "  met:    $2"; else echo "  MISSED: $2"; FAILED=1; fi; }
ok() { awk "BEGIN { exit !($1) }" && echo 1 || echo 0; }
echo "Targets:"
verdict "$(ok "$Z_MED - $Q_MED <= 2 && $Q_MED - $Z_MED <= 2")" \
  "median ping within 2 ms of qstat's ($Z_MED against $Q_MED)"
verdict "$(ok "$Z_MAX < 20")" "largest ping under 20 ms ($Z_MAX)"
verdict "$(ok "$STALL <= 50")" "no event-loop stall over 50 ms ($STALL ms)"
echo "Logs and outputs: $OUT_DIR"
exit "$FAILED"
