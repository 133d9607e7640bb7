#!/usr/bin/env bash
# A newcomer's first command: installs what is needed, builds, and opens the
# operator's window when a display is available (DISPLAY or WAYLAND_DISPLAY set);
# otherwise it runs a scan on the command line. With no argument both run on a
# simulated segment of 40 devices (no hardware, no root); with an adapter name
# they use that adapter's segment.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release
home="${PLINDAR_HOME:-$PWD/build/release/stage}"
stage=build/release/stage
if [ $# -ge 1 ]; then
    segment=(--adapter "$1")
else
    segment=(--simulate 40)
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$stage/plindar" --home "$home" "${segment[@]}"
fi
echo "No display: scanning on the command line. On a desktop, open the window with: $stage/plindar ${segment[*]}"
if [ $# -ge 1 ]; then
    exec "$stage/plindar-cli" --home "$home" --adapter "$1" scan
fi
exec "$stage/plindar-cli" --home "$home" --simulate 40 scan
