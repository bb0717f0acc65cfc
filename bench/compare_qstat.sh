#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Side-by-side benchmark of zorvane-query and qstat (quakestat) on a local zorvane-farm.
#
#   bench/compare_qstat.sh [SERVERS] [BIG_SERVERS]
#
# Phase 1: a farm of SERVERS UT servers (default 5000) and a master; on that same farm, taking
# turns for RUNS rounds, `zorvane-query --master ... --json` at its default strength (and a
# second build of it when ZORVANE_BASELINE names one) and `quakestat -default uns -maxsim 1000
# -raw ,` over the same servers. Per run: wall time, CPU (user+system), peak memory (max RSS,
# from /usr/bin/time -v), peak private memory (RssAnon, sampled every 5 ms), reply rate, and
# how much CPU the farm spent answering; then per tool the least and median CPU and wall time
# and the largest peaks, and the CPU ratio of zorvane-query to qstat (least to least).
# Phase 2: the same on a farm of BIG_SERVERS UT servers (default 15000, 0 skips it).
#
# Everything talks to 127.0.0.1 only. Run by hand; never part of the tests.
#
# Environment (all optional):
#   SERVERS, BIG_SERVERS   as the arguments (the arguments win)
#   RUNS, BIG_RUNS         rounds of phase 1 and phase 2 (default 1 and RUNS): each round runs
#                          every tool once, in the same order
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
#   ZORVANE_BASELINE       a second zorvane-query binary (e.g. a build of the old source) that
#                          takes its turn in every round, reported as "baseline"
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
BASELINE=${ZORVANE_BASELINE:-}
ZORVANE_ENV=${ZORVANE_ENV:-}
RUNS=${RUNS:-1}
BIG_RUNS=${BIG_RUNS:-$RUNS}
FARM=$BUILD_DIR/tools/farm/zorvane-farm
CLK_TCK=$(getconf CLK_TCK)

die() { echo "compare_qstat: $*" >&2; exit 2; }
note() { echo "== $*" >&2; }

for n in "$SERVERS" "$BIG_SERVERS" "$BASE_PORT" "$MASTER_PORT" "$RUNS" "$BIG_RUNS"; do
  [[ $n =~ ^[0-9]+$ ]] || die "not a whole number: $n"
done
(( SERVERS > 0 )) || die "SERVERS must be at least 1"
(( RUNS > 0 && BIG_RUNS > 0 )) || die "RUNS and BIG_RUNS must be at least 1"
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
[[ -z $BASELINE || -x $BASELINE ]] || die "no $BASELINE"
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
  # No beacons and no LAN port: those fixed ports belong to the tests of the LAN search.
  "$FARM" --ut "$count" --base-port "$BASE_PORT" --master-port "$master" --silent "$SILENT" \
    --beacon-port 0 --lan-port 0 \
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

PAGE_KB=$(( $(getconf PAGESIZE) / 1024 ))
exec {NAP}<> <(:)  # read -t on it sleeps without a process

# Largest private memory (RssAnon = resident minus file and shared pages, from statm) of the
# process whose id is in a file once it appears, sampled every 5 ms until it ends; in KiB.
anon_peak() {  # pid-file
  local pid="" peak=0 size res shared _
  for _ in $(seq 400); do
    [[ -s $1 ]] && { read -r pid <"$1"; break; }
    read -t 0.005 -u "$NAP"
  done
  [[ -n $pid ]] || { echo 0; return; }
  while read -r size res shared _ 2>/dev/null <"/proc/$pid/statm"; do
    (( res - shared > peak )) && peak=$(( res - shared ))
    read -t 0.005 -u "$NAP"
  done
  echo $(( peak * PAGE_KB ))
}

# Runs a command under /usr/bin/time -v with its stderr lines stamped with the time of day.
# measure NAME command... ; leaves NAME.out, NAME.err, NAME.time, NAME.anon, NAME.farm and
# NAME.udp in OUT_DIR.
measure() {
  local name=$1; shift
  local f0 f1 u0 u1 t0 t1 pidfile=$OUT_DIR/$name.pid
  rm -f "$pidfile"
  f0=$(farm_cpu_ticks); u0=$(udp_counters); t0=$EPOCHREALTIME
  anon_peak "$pidfile" >"$OUT_DIR/$name.anon" &
  local sampler=$!
  # The shell execs the command, so the process timed and sampled is the command itself.
  /usr/bin/time -v -o "$OUT_DIR/$name.time" sh -c 'echo $$ >"$0"; exec "$@"' "$pidfile" "$@" \
    2>&1 >"$OUT_DIR/$name.out" |
    while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done >"$OUT_DIR/$name.err"
  local rc=${PIPESTATUS[0]}
  t1=$EPOCHREALTIME; f1=$(farm_cpu_ticks); u1=$(udp_counters)
  wait "$sampler"
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

# One line per run: "tool listed replied wall cpu rss_kb anon_kb exit farm_s farm%".
RESULTS=()
record_run() {  # tool listed replied name
  local wall user sys rss ex fcpu fpct anon
  read -r wall user sys rss ex <<<"$(time_fields "$OUT_DIR/$4.time")"
  read -r fcpu fpct <"$OUT_DIR/$4.farm"
  read -r anon <"$OUT_DIR/$4.anon"
  RESULTS+=("$1 $2 $3 $wall $(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }') $rss ${anon:-0} $ex $fcpu $fpct")
}

print_runs() {
  printf '%-14s %7s %7s %7s %7s %7s %9s %9s %5s %7s %6s\n' tool listed replied 'reply%' \
    'wall s' 'cpu s' 'RSS MiB' 'anon MiB' exit 'farm s' 'farm%'
  local r
  for r in "${RESULTS[@]}"; do
    awk '{ printf "%-14s %7d %7d %7.2f %7.2f %7.2f %9.1f %9.1f %5s %7.2f %5s%%\n",
             $1, $2, $3, ($2 > 0 ? 100 * $3 / $2 : 0), $4, $5, $6 / 1024, $7 / 1024, $8, $9, $10 }' <<<"$r"
  done
  echo "(cpu = user + sys of the tool; RSS = its peak; anon = its peak private memory (RssAnon);"
  echo " farm s / farm% = CPU the farm spent answering that run, and its share of one core)"
}

# Per tool: runs, least and median CPU and wall time, largest peaks, fewest replies.
SUMMARY=()
summarize() {
  local tool
  SUMMARY=()
  for tool in "$@"; do
    SUMMARY+=("$(printf '%s\n' "${RESULTS[@]}" | awk -v t="$tool" '
      function median(a, n,   i, j, x) {
        for (i = 2; i <= n; i++) { x = a[i]; for (j = i - 1; j > 0 && a[j] > x; j--) a[j + 1] = a[j]; a[j + 1] = x }
        return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
      }
      $1 == t { n++; c[n] = $5; w[n] = $4; if ($6 > rss) rss = $6; if ($7 > anon) anon = $7
                p = ($2 > 0 ? 100 * $3 / $2 : 0); if (n == 1 || p < pm) pm = p }
      END { if (!n) exit
            cl = c[1]; wl = w[1]; for (i = 2; i <= n; i++) { if (c[i] < cl) cl = c[i]; if (w[i] < wl) wl = w[i] }
            printf "%s %d %.2f %.2f %.2f %.2f %d %d %.2f\n", t, n, cl, median(c, n), wl, median(w, n), rss, anon, pm }')")
  done
}

print_summary() {
  printf '%-14s %4s %17s %17s %9s %9s %7s\n' tool runs 'cpu least/median' 'wall least/median' \
    'RSS MiB' 'anon MiB' 'reply%'
  local s
  for s in "${SUMMARY[@]}"; do
    [[ -n $s ]] || continue
    awk '{ printf "%-14s %4d %8.2f / %5.2f %8.2f / %5.2f %9.1f %9.1f %7.2f\n",
             $1, $2, $3, $4, $5, $6, $7 / 1024, $8 / 1024, $9 }' <<<"$s"
  done
}

summary_of() {  # tool field (3 least cpu, 4 median cpu, 9 fewest reply%)
  local s
  for s in "${SUMMARY[@]}"; do [[ ${s%% *} == "$1" ]] && { cut -d' ' -f"$2" <<<"$s"; return; }; done
}

udp_line() {  # name
  local id od ie rb sb np
  read -r id od ie rb sb np <"$OUT_DIR/$1.udp"
  echo "  UDP during $1: datagrams in +$id out +$od; InErrors +$ie, RcvbufErrors +$rb," \
       "SndbufErrors +$sb, NoPorts +$np"
}

zorvane_run() {  # binary name master-port ; sets Z_LISTED Z_REPLIED Z_OK
  local binary=$1 name=$2 port=$3 summary
  # shellcheck disable=SC2086  # ZORVANE_ENV is a list of NAME=VALUE words
  measure "$name" env $ZORVANE_ENV "$binary" --master "127.0.0.1:$port" --json
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

qstat_run() {  # name servers ; sets Q_LISTED Q_REPLIED
  local name=$1 count=$2 list=$OUT_DIR/qstat-$2.list
  # qstat's uns type takes the game port and asks the query port, one above it.
  seq "$((BASE_PORT - 1))" "$((BASE_PORT + count - 2))" | sed 's/^/127.0.0.1:/' >"$list"
  local extra
  read -r -a extra <<<"$QSTAT_OPTS"
  measure "$name" quakestat -f "$list" -default uns -maxsim 1000 -raw "," -nh "${extra[@]}"
  local rc=$?
  # One "UNS,address,..." line per server; a server without a reply has DOWN, TIMEOUT or an
  # error as its third field.
  Q_LISTED=$(grep -ac '^UNS,' "$OUT_DIR/$name.out")
  Q_REPLIED=$(grep -a '^UNS,' "$OUT_DIR/$name.out" |
    grep -acvE '^UNS,[^,]*,(DOWN|TIMEOUT|ERROR|SYSERROR|HOSTNOTFOUND|NOTFOUND)[^,]*$')
  (( rc == 0 )) || echo "compare_qstat: quakestat exited with status $rc" >&2
}

verdict() {  # ok text
  if [[ $1 == 1 ]]; then echo "  met:    $2"; else echo "  MISSED: $2"; FAILED=1; fi
}

FAILED=0
ge() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }' && echo 1 || echo 0; }

# One phase: a farm of COUNT servers, ROUNDS rounds of every tool in turn, the tables and the
# targets (replies at least MIN_REPLY %, CPU within 2x of qstat's).
run_phase() {  # number count rounds master-port min-reply
  local phase=$1 count=$2 rounds=$3 port=$4 min_reply=$5 round ok=1
  note "phase $phase: $count UT servers, ports $BASE_PORT-$((BASE_PORT + count - 1)), master TCP $port, $rounds round(s)"
  start_farm "$count" "$port" "$OUT_DIR/farm$phase.log"
  RESULTS=()
  for (( round = 1; round <= rounds; round++ )); do
    if [[ -n $BASELINE ]]; then
      note "round $round: baseline $BASELINE"
      zorvane_run "$BASELINE" "baseline$phase-$round" "$port"
      record_run baseline "$Z_LISTED" "$Z_REPLIED" "baseline$phase-$round"
    fi
    note "round $round: zorvane-query --master 127.0.0.1:$port --json${ZORVANE_ENV:+ with $ZORVANE_ENV}"
    zorvane_run "$QUERY" "zorvane$phase-$round" "$port"
    record_run zorvane-query "$Z_LISTED" "$Z_REPLIED" "zorvane$phase-$round"
    (( Z_OK == 1 )) || ok=0
    note "round $round: quakestat over the same servers"
    qstat_run "qstat$phase-$round" "$count"
    record_run quakestat "$count" "$Q_REPLIED" "qstat$phase-$round"
  done
  stop_farm

  echo
  echo "Phase $phase: $count UT servers on one farm (silent share $SILENT, seed $SEED), $rounds round(s)"
  print_runs
  echo
  summarize baseline zorvane-query quakestat
  print_summary
  echo "zorvane-query summary (last run): $(cat "$OUT_DIR/zorvane$phase-$rounds.summary")"
  echo "quakestat printed $Q_LISTED server lines for $count servers (last run)"
  zorvane_phases "$OUT_DIR/zorvane$phase-$rounds.err"
  udp_line "zorvane$phase-$rounds"
  udp_line "qstat$phase-$rounds"
  local zl zm ql qm ratio
  zl=$(summary_of zorvane-query 3); zm=$(summary_of zorvane-query 4)
  ql=$(summary_of quakestat 3); qm=$(summary_of quakestat 4)
  ratio=$(awk -v a="$zl" -v b="$ql" 'BEGIN { if (b <= 0) print "inf"; else printf "%.2f", a / b }')
  echo "CPU ratio zorvane/qstat, least to least: $ratio (median to median:" \
       "$(awk -v a="$zm" -v b="$qm" 'BEGIN { if (b <= 0) print "inf"; else printf "%.2f", a / b }'))"
  if [[ -n $BASELINE ]]; then
    echo "CPU ratio baseline/qstat, least to least:" \
         "$(awk -v a="$(summary_of baseline 3)" -v b="$ql" 'BEGIN { if (b <= 0) print "inf"; else printf "%.2f", a / b }')"
  fi
  echo "Targets:"
  verdict "$ok" "zorvane-query completed every run (exit 0, summary line)"
  verdict "$(ge "$(summary_of zorvane-query 9)" "$min_reply")" \
    "zorvane-query replies >= $min_reply% of $count in every run"
  if [[ $ratio == inf ]]; then verdict 0 "CPU within 2x of quakestat (qstat used no measurable CPU)"
  else verdict "$(ge 2 "$ratio")" "CPU within 2x of quakestat (ratio $ratio)"; fi
}

note "output in $OUT_DIR"
run_phase 1 "$SERVERS" "$RUNS" "$MASTER_PORT" 99.5
(( BIG_SERVERS > 0 )) && run_phase 2 "$BIG_SERVERS" "$BIG_RUNS" "$((MASTER_PORT + 1))" 99

echo
echo "Logs and outputs: $OUT_DIR"
exit "$FAILED"
