#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Side-by-side benchmark of zorvane-query and qstat (quakestat) on a local zorvane-farm.
#
#   bench/compare_qstat.sh [SERVERS] [BIG_SERVERS]
#
# Phase 1: a farm of SERVERS UT servers (default 5000) and a master; on that same farm, one
# after the other, `zorvane-query --master ... --json` at its default strength and
# `quakestat -default uns -maxsim 1000 -raw ,` over the same servers. Wall time, CPU
# (user+system), peak memory (max RSS, from /usr/bin/time -v) and reply rate of both, the CPU
# ratio zorvane/qstat, and how much CPU the farm spent answering each of them.
# Phase 2: a farm of BIG_SERVERS UT servers (default 15000, 0 skips it), zorvane-query only.
#
# Everything talks to 127.0.0.1 only. Run by hand; never part of the tests.
#
# Environment (all optional):
#   SERVERS, BIG_SERVERS   as the arguments (the arguments win)
#   BASE_PORT              UDP query port of the first farm server (default 10001; the range
#                          stays below the system's ephemeral ports, which the clients use)
#   MASTER_PORT            TCP port of the farm's master (default 28990; phase 2 uses +1)
#   SILENT                 share of farm servers that never answer (default 0)
#   SEED                   farm content seed (default 1)
#   QSTAT_OPTS             extra quakestat options (default none: its own -sendinterval etc.)
#   OUT_DIR                where the logs and outputs go (default: a new /tmp/zorvane-bench.*)
#   BUILD_DIR              default <repo>/build
#   SKIP_BUILD=1           use the binaries as they are
#   ZORVANE_QUERY          another zorvane-query binary to measure (e.g. an experimental build)
#   ZORVANE_ENV            NAME=VALUE words for zorvane-query's environment (e.g. QT_NO_GLIB=1)
#
# Exit status: 0 when every target was met, 1 when one was missed, 2 on a setup failure.

set -uo pipefail
export LC_ALL=C

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
SERVERS=${1:-${SERVERS:-5000}}
BIG_SERVERS=${2:-${BIG_SERVERS:-15000}}
BASE_PORT=${BASE_PORT:-10001}
MASTER_PORT=${MASTER_PORT:-28990}
SILENT=${SILENT:-0}
SEED=${SEED:-1}
QSTAT_OPTS=${QSTAT_OPTS:-}
QUERY=${ZORVANE_QUERY:-$BUILD_DIR/tools/query/zorvane-query}
ZORVANE_ENV=${ZORVANE_ENV:-}
FARM=$BUILD_DIR/tools/farm/zorvane-farm
CLK_TCK=$(getconf CLK_TCK)

die() { echo "compare_qstat: $*" >&2; exit 2; }
note() { echo "== $*" >&2; }

for n in "$SERVERS" "$BIG_SERVERS" "$BASE_PORT" "$MASTER_PORT"; do
  [[ $n =~ ^[0-9]+$ ]] || die "not a whole number: $n"
done
(( SERVERS > 0 )) || die "SERVERS must be at least 1"
largest=$(( SERVERS > BIG_SERVERS ? SERVERS : BIG_SERVERS ))
(( BASE_PORT >= 2 && BASE_PORT + largest - 1 <= 65535 )) ||
  die "$largest servers from port $BASE_PORT do not fit below 65536"
read -r eph_low eph_high < /proc/sys/net/ipv4/ip_local_port_range || true
if [[ -n ${eph_low:-} ]] && (( BASE_PORT + largest - 1 >= eph_low && BASE_PORT <= eph_high )); then
  echo "compare_qstat: warning: farm ports $BASE_PORT-$((BASE_PORT + largest - 1)) overlap the" \
       "ephemeral range $eph_low-$eph_high the clients bind from" >&2
fi

# ---- tools ----------------------------------------------------------------------------------

apt_install() {  # package...
  if (( EUID != 0 )); then
    echo "compare_qstat: missing $*; as root run:" >&2
    echo "  apt-get update && apt-get install -y $*" >&2
    exit 2
  fi
  note "installing $*"
  apt-get update -qq || die "apt-get update failed"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null ||
    die "apt-get install $* failed"
}

command -v quakestat >/dev/null || apt_install qstat
[[ -x /usr/bin/time ]] || apt_install time

if [[ ${SKIP_BUILD:-0} != 1 ]]; then
  if [[ ! -f $BUILD_DIR/CMakeCache.txt ]]; then
    note "configuring $BUILD_DIR"
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ||
      die "cmake configure failed"
  fi
  note "building zorvane-query and zorvane-farm (-j2)"
  if ! cmake --build "$BUILD_DIR" -j2 --target zorvane-query zorvane-farm >/dev/null; then
    [[ -x $QUERY && -x $FARM ]] || die "build failed"
    echo "compare_qstat: warning: build failed, using the binaries already there" >&2
  fi
fi
[[ -x $QUERY ]] || die "no $QUERY"
[[ -x $FARM ]] || die "no $FARM"

# ---- open files -----------------------------------------------------------------------------

hard=$(ulimit -Hn)
[[ $hard == unlimited ]] && hard=1048576
ulimit -n "$hard" 2>/dev/null || true
need=$(( largest + 64 ))
if (( $(ulimit -n) < need )); then
  ulimit -n "$need" 2>/dev/null ||  # root may raise the hard limit too
    echo "compare_qstat: warning: open file limit $(ulimit -n) < $need needed" >&2
fi

OUT_DIR=${OUT_DIR:-$(mktemp -d /tmp/zorvane-bench.XXXXXX)}
mkdir -p "$OUT_DIR" || die "cannot create $OUT_DIR"

# ---- farm -----------------------------------------------------------------------------------

FARM_PID=""
stop_farm() {
  [[ -n $FARM_PID ]] || return 0
  if kill -0 "$FARM_PID" 2>/dev/null; then
    kill -TERM "$FARM_PID" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$FARM_PID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$FARM_PID" 2>/dev/null && kill -KILL "$FARM_PID" 2>/dev/null
  fi
  wait "$FARM_PID" 2>/dev/null
  FARM_PID=""
}
trap stop_farm EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

start_farm() {  # count master-port log
  local count=$1 master=$2 log=$3
  # --life bounds the farm even if this script is killed without running its trap.
  "$FARM" --ut "$count" --base-port "$BASE_PORT" --master-port "$master" --silent "$SILENT" \
    --seed "$SEED" --life 3600 >"$log" 2>&1 &
  FARM_PID=$!
  for _ in $(seq 600); do
    grep -q '^zorvane-farm: .* UT servers' "$log" 2>/dev/null && { cat "$log" >&2; return 0; }
    kill -0 "$FARM_PID" 2>/dev/null || { cat "$log" >&2; die "the farm did not start"; }
    sleep 0.1
  done
  die "the farm was not ready within 60 s"
}

farm_cpu_ticks() {  # utime+stime of the farm, in clock ticks
  awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$FARM_PID/stat"
}

# UDP counters of this network namespace (both ends of every datagram are on this machine), as
# "InDatagrams OutDatagrams InErrors RcvbufErrors SndbufErrors NoPorts".
udp_counters() {
  awk '/^Udp:/ { if (!h) { for (i = 2; i <= NF; i++) k[$i] = i; h = 1; next }
                 print $k["InDatagrams"], $k["OutDatagrams"], $k["InErrors"], $k["RcvbufErrors"],
                       $k["SndbufErrors"], $k["NoPorts"]; exit }' /proc/net/snmp
}

# ---- measuring ------------------------------------------------------------------------------

# Fields of a /usr/bin/time -v report: "wall user sys maxrss_kb exit".
time_fields() {
  awk -F': ' '
    /Elapsed \(wall clock\)/ { n = split($NF, p, ":"); w = 0; for (i = 1; i <= n; i++) w = w * 60 + p[i] }
    /User time \(seconds\)/  { u = $NF }
    /System time \(seconds\)/ { s = $NF }
    /Maximum resident set size/ { m = $NF }
    /Exit status/ { e = $NF }
    /Command terminated by signal/ { e = "signal" substr($0, index($0, "signal ") + 7) }
    END { printf "%s %s %s %s %s\n", w, u, s, m, e }' "$1"
}

# Runs a command under /usr/bin/time -v with its stderr lines stamped with the time of day.
# measure NAME command... ; leaves NAME.out, NAME.err, NAME.time, NAME.farm, NAME.udp in OUT_DIR.
measure() {
  local name=$1; shift
  local f0 f1 u0 u1 t0 t1
  f0=$(farm_cpu_ticks); u0=$(udp_counters); t0=$EPOCHREALTIME
  /usr/bin/time -v -o "$OUT_DIR/$name.time" "$@" 2>&1 >"$OUT_DIR/$name.out" |
    while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done >"$OUT_DIR/$name.err"
  local rc=${PIPESTATUS[0]}
  t1=$EPOCHREALTIME; f1=$(farm_cpu_ticks); u1=$(udp_counters)
  # Farm CPU seconds during the run, and its share of one core over the run's wall time.
  awk -v a="$f0" -v b="$f1" -v hz="$CLK_TCK" -v t0="$t0" -v t1="$t1" \
    'BEGIN { c = (b - a) / hz; printf "%.2f %.0f\n", c, 100 * c / (t1 - t0) }' >"$OUT_DIR/$name.farm"
  paste -d' ' <(echo "$u0") <(echo "$u1") |
    awk '{ print $7 - $1, $8 - $2, $9 - $3, $10 - $4, $11 - $5, $12 - $6 }' >"$OUT_DIR/$name.udp"
  return "$rc"
}

# Time of the first stderr line matching a pattern (seconds since the epoch), or empty.
stamp_of() { grep -m1 -E "^[0-9.]+ $2" "$1" | cut -d' ' -f1; }
last_stamp_of() { grep -E "^[0-9.]+ $2" "$1" | tail -1 | cut -d' ' -f1; }

# How a zorvane-query mass refresh split its wall time, from its stamped progress lines.
zorvane_phases() {  # err-file
  local e=$1 a b c d r1 r2
  a=$(stamp_of "$e" 'Querying UT master server list')
  b=$(stamp_of "$e" '[0-9]+ servers available\. Querying individual servers')
  c=$(stamp_of "$e" 'Waiting for replies')
  r1=$(stamp_of "$e" 'Receiving Replies')
  r2=$(last_stamp_of "$e" 'Receiving Replies')
  d=$(stamp_of "$e" 'Processing responses')
  [[ -n $a && -n $b && -n $c && -n $d ]] || { echo "  (phase split not available)"; return; }
  awk -v a="$a" -v b="$b" -v c="$c" -v d="$d" -v r1="${r1:-$c}" -v r2="${r2:-$c}" 'BEGIN {
    printf "  master fetch + parse   %7.0f ms\n", 1000 * (b - a)
    printf "  query burst            %7.0f ms\n", 1000 * (c - b)
    printf "  reply handling         %7.0f ms  (first to last counted reply after the burst)\n", 1000 * (r2 - c)
    printf "  quiet wait             %7.0f ms  (4020 ms after the last reply, unless all replied)\n", 1000 * (d - r2)
  }'
}

json_field() { sed -n "s/.*\"$2\": \\([0-9-]*\\).*/\\1/p" <<<"$1"; }

ROWS=()
add_row() {  # label listed replied name
  local label=$1 listed=$2 replied=$3 name=$4 wall user sys rss ex fcpu fpct
  read -r wall user sys rss ex <<<"$(time_fields "$OUT_DIR/$name.time")"
  read -r fcpu fpct <"$OUT_DIR/$name.farm"
  ROWS+=("$(awk -v l="$label" -v n="$listed" -v r="$replied" -v w="$wall" -v u="$user" \
    -v s="$sys" -v m="$rss" -v e="$ex" -v fc="$fcpu" -v fp="$fpct" 'BEGIN {
      printf "%-15s %7d %7d %8.2f %8.2f %7.2f %7.2f %7.2f %8.1f %6s %7.2f %5s%%\n",
        l, n, r, (n > 0 ? 100 * r / n : 0), w, u, s, u + s, m / 1024, e, fc, fp }')")
}

print_table() {
  printf '%-15s %7s %7s %8s %8s %7s %7s %7s %8s %6s %7s %6s\n' tool listed replied 'reply%' \
    'wall s' 'user s' 'sys s' 'cpu s' 'RSS MiB' exit 'farm s' 'farm%'
  printf '%s\n' "${ROWS[@]}"
  echo "(cpu = user + sys of the tool; RSS = its peak; farm s / farm% = CPU the farm spent"
  echo " answering that run, and its share of one core over the run's wall time)"
}

udp_line() {  # name
  local id od ie rb sb np
  read -r id od ie rb sb np <"$OUT_DIR/$1.udp"
  echo "  UDP during $1: datagrams in +$id out +$od; InErrors +$ie, RcvbufErrors +$rb," \
       "SndbufErrors +$sb, NoPorts +$np"
}

zorvane_run() {  # name master-port ; sets Z_LISTED Z_REPLIED Z_OK
  local name=$1 port=$2 summary
  # shellcheck disable=SC2086  # ZORVANE_ENV is a list of NAME=VALUE words
  measure "$name" env $ZORVANE_ENV "$QUERY" --master "127.0.0.1:$port" --json
  local rc=$?
  summary=$(tail -n 1 "$OUT_DIR/$name.out")
  Z_LISTED=$(json_field "$summary" listed); Z_REPLIED=$(json_field "$summary" replied)
  Z_OK=1
  if (( rc != 0 )) || [[ -z $Z_LISTED || -z $Z_REPLIED ]]; then
    Z_OK=0
    echo "compare_qstat: zorvane-query failed (status $rc); see $OUT_DIR/$name.*" >&2
    Z_LISTED=${Z_LISTED:-0}; Z_REPLIED=${Z_REPLIED:-0}
  fi
  echo "$summary" >"$OUT_DIR/$name.summary"
}

verdict() {  # ok text
  if [[ $1 == 1 ]]; then echo "  met:    $2"; else echo "  MISSED: $2"; FAILED=1; fi
}

FAILED=0
ge() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }' && echo 1 || echo 0; }

# ---- phase 1: zorvane-query and quakestat on one farm ---------------------------------------

note "output in $OUT_DIR"
note "phase 1: $SERVERS UT servers, ports $BASE_PORT-$((BASE_PORT + SERVERS - 1)), master TCP $MASTER_PORT"
start_farm "$SERVERS" "$MASTER_PORT" "$OUT_DIR/farm1.log"

note "zorvane-query --master 127.0.0.1:$MASTER_PORT --json (default strength)${ZORVANE_ENV:+ with $ZORVANE_ENV}"
zorvane_run zorvane1 "$MASTER_PORT"
add_row zorvane-query "$Z_LISTED" "$Z_REPLIED" zorvane1
Z1_OK=$Z_OK Z1_REPLIED=$Z_REPLIED

# qstat's uns type takes the game port and asks the query port, one above it.
LIST=$OUT_DIR/qstat.list
seq "$((BASE_PORT - 1))" "$((BASE_PORT + SERVERS - 2))" | sed 's/^/127.0.0.1:/' >"$LIST"
read -r -a QSTAT_EXTRA <<<"$QSTAT_OPTS"
QSTAT_CMD=(quakestat -f "$LIST" -default uns -maxsim 1000 -raw "," -nh "${QSTAT_EXTRA[@]}")
note "${QSTAT_CMD[*]}"
measure qstat "${QSTAT_CMD[@]}"
Q_RC=$?
# One "UNS,address,..." line per server; a server without a reply has DOWN, TIMEOUT or an error
# as its third field.
Q_LISTED=$(grep -ac '^UNS,' "$OUT_DIR/qstat.out")
Q_REPLIED=$(grep -a '^UNS,' "$OUT_DIR/qstat.out" |
  grep -acvE '^UNS,[^,]*,(DOWN|TIMEOUT|ERROR|SYSERROR|HOSTNOTFOUND|NOTFOUND)[^,]*$')
(( Q_RC == 0 )) || echo "compare_qstat: quakestat exited with status $Q_RC" >&2
add_row quakestat "$SERVERS" "$Q_REPLIED" qstat
stop_farm

echo
echo "Phase 1: $SERVERS UT servers on one farm (silent share $SILENT, seed $SEED)"
print_table
echo "zorvane-query summary: $(cat "$OUT_DIR/zorvane1.summary")"
echo "quakestat printed $Q_LISTED server lines for $SERVERS servers"
zorvane_phases "$OUT_DIR/zorvane1.err"
udp_line zorvane1
udp_line qstat
read -r _ ZU ZS _ _ <<<"$(time_fields "$OUT_DIR/zorvane1.time")"
read -r _ QU QS _ _ <<<"$(time_fields "$OUT_DIR/qstat.time")"
RATIO=$(awk -v a="$ZU" -v b="$ZS" -v c="$QU" -v d="$QS" \
  'BEGIN { q = c + d; if (q <= 0) print "inf"; else printf "%.2f", (a + b) / q }')
echo "CPU ratio zorvane/qstat: $RATIO  (zorvane $(awk -v a="$ZU" -v b="$ZS" 'BEGIN{printf "%.2f", a+b}') s," \
     "qstat $(awk -v a="$QU" -v b="$QS" 'BEGIN{printf "%.2f", a+b}') s)"
echo "Targets:"
verdict "$(( Z1_OK == 1 ))" "zorvane-query completed (exit 0, summary line)"
verdict "$(ge "$(awk -v r="$Z1_REPLIED" -v n="$SERVERS" 'BEGIN{print 100*r/n}')" 99.5)" \
  "zorvane-query replies >= 99.5% of $SERVERS ($Z1_REPLIED)"
if [[ $RATIO == inf ]]; then verdict 0 "CPU within 2x of quakestat (qstat used no measurable CPU)"
else verdict "$(ge 2 "$RATIO")" "CPU within 2x of quakestat (ratio $RATIO)"; fi

# ---- phase 2: zorvane-query alone on a big farm ---------------------------------------------

if (( BIG_SERVERS > 0 )); then
  BIG_MASTER=$((MASTER_PORT + 1))
  note "phase 2: $BIG_SERVERS UT servers, ports $BASE_PORT-$((BASE_PORT + BIG_SERVERS - 1)), master TCP $BIG_MASTER"
  start_farm "$BIG_SERVERS" "$BIG_MASTER" "$OUT_DIR/farm2.log"
  note "zorvane-query --master 127.0.0.1:$BIG_MASTER --json (default strength)${ZORVANE_ENV:+ with $ZORVANE_ENV}"
  zorvane_run zorvane2 "$BIG_MASTER"
  ROWS=()
  add_row zorvane-query "$Z_LISTED" "$Z_REPLIED" zorvane2
  stop_farm
  echo
  echo "Phase 2: $BIG_SERVERS UT servers, zorvane-query only"
  print_table
  echo "zorvane-query summary: $(cat "$OUT_DIR/zorvane2.summary")"
  zorvane_phases "$OUT_DIR/zorvane2.err"
  udp_line zorvane2
  echo "Targets:"
  verdict "$(( Z_OK == 1 ))" "zorvane-query completed without a crash (exit 0, summary line)"
  verdict "$(ge "$(awk -v r="$Z_REPLIED" -v n="$BIG_SERVERS" 'BEGIN{print 100*r/n}')" 99)" \
    "zorvane-query replies >= 99% of $BIG_SERVERS ($Z_REPLIED)"
fi

echo
echo "Logs and outputs: $OUT_DIR"
exit "$FAILED"
