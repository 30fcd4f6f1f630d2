#!/usr/bin/env bash
# Starts the built program under a virtual display, waits, and saves a
# screenshot of the screen: scripts/screenshot.sh OUT.png [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/mainwindow.png}"; wait_s="${2:-4}"
BUILD_DIR="${KORVEL_BUILD_DIR:-build}"
display=":$(( 90 + RANDOM % 9 ))"
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $prog $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY="$display" "$BUILD_DIR/src/main/korvel" &
prog=$!
sleep "$wait_s"
DISPLAY="$display" import -window root "$out"
echo "saved $out"
