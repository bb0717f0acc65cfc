#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Photographs the program as a user sees it after a start-up query of a local farm, without a
# desktop: Xvfb, zorvane-farm and the program on a fresh settings folder, then a picture of the
# whole screen. Needs Debian's xvfb and imagemagick (and xdotool), which it installs as root.
#   scripts/screenshot.sh [OUTPUT.png] [BUILD_DIR]
# ZORVANE_SCREENSHOT_KEYS: keys typed into the window before the picture, one xdotool key name
# each, a second apart, to open a dialog: "F11 alt+r" shows Master Servers.
# ZORVANE_SCREENSHOT_PAGE: the tab in front at start (6, "Death Match"; 8 is "LAN", which F5
# fills from the farm's beacons: the window asks 127.0.0.1 alone).
# ZORVANE_SCREENSHOT_FARM: more arguments for the farm ("--daily-pattern");
# ZORVANE_SCREENSHOT_BASE_PORT: its first query port (random otherwise);
# ZORVANE_SCREENSHOT_FILES: a folder whose files are copied into the settings folder first (a
# history.sqlite); ZORVANE_SCREENSHOT_INI: lines added to zorvane.ini (a watched player).
# The program's environment goes through: QT_FONT_DPI=168 draws its 8 points as 14 would be.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-/tmp/zorvane.png}
build=${2:-build}
source scripts/ensure-packages.sh
ensure_packages "${zorvane_look_packages[@]}"

work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A free display number and a free master port.
display=97
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
master_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
base_port=${ZORVANE_SCREENSHOT_BASE_PORT:-$((20000 + RANDOM % 9000))}

# shellcheck disable=SC2086
"$build/tools/farm/zorvane-farm" --ut 300 --ut2004 20 --base-port "$base_port" \
  --master-port "$master_port" --life 120 ${ZORVANE_SCREENSHOT_FARM:-} >"$work/farm.log" 2>&1 &
pids+=($!)

# Settings that keep every start-up notice away, so the picture shows the filled window:
# the current stamp (no one-time migration notice), no "could not detect" notice for a
# machine without the games, no reply-share notice after the query, no version check; the
# "Death Match" tab in front, which the farm fills. A LAN search asks the farm alone.
cat >"$work/zorvane.ini" <<INI
[settings]
Zorvane=2.91
skipDefaultPathsInfo=1
skipPercentageInfo=1
autoCheckNewVersion=0
masterServer=127.0.0.1:$master_port
startupQuery=UT Master Server
lastActivePageIndex=${ZORVANE_SCREENSHOT_PAGE:-6}
lanAddresses=127.0.0.1
lanSearchWait=500
${ZORVANE_SCREENSHOT_INI:-}
INI
if [ -n "${ZORVANE_SCREENSHOT_FILES:-}" ]; then cp -r "$ZORVANE_SCREENSHOT_FILES"/. "$work"/; fi

Xvfb ":$display" -screen 0 ${ZORVANE_SCREEN:-1280x800}x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

DISPLAY=":$display" "$build/src/app/zorvane" --dir "$work" >"$work/zorvane.log" 2>&1 &
pids+=($!)
sleep "${ZORVANE_SCREENSHOT_WAIT:-10}"
if [ -n "${ZORVANE_SCREENSHOT_KEYS:-}" ]; then
  for key in $ZORVANE_SCREENSHOT_KEYS; do
    # Without a window manager nothing takes the focus: each key goes to the newest window.
    window=$(DISPLAY=":$display" xdotool search --onlyvisible --pid "${pids[-1]}" | tail -1)
    DISPLAY=":$display" xdotool windowfocus "$window"
    sleep 0.3
    DISPLAY=":$display" xdotool key "$key"
    sleep 1
  done
fi
# Clicks before the picture, X,Y pairs on the screen, to open a menu item or a dialog:
# ZORVANE_SCREENSHOT_CLICKS="30,8 60,120" opens the System menu and clicks its sixth item.
for click in ${ZORVANE_SCREENSHOT_CLICKS:-}; do
  DISPLAY=":$display" xdotool mousemove "${click%,*}" "${click#*,}" click 1
  sleep 1
done
DISPLAY=":$display" import -window root "$out"
echo "$out"
