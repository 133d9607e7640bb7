#!/usr/bin/env bash
# A newcomer's first command: installs what is needed, builds, and runs a scan.
# With no argument the scan runs on a simulated segment of 40 devices (no
# hardware, no root); with an adapter name it scans that adapter's segment.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release
home="${PLINDAR_HOME:-$PWD/build/release/stage}"
if [ $# -ge 1 ]; then
    exec build/release/stage/plindar-cli --home "$home" --adapter "$1" scan
fi
exec build/release/stage/plindar-cli --home "$home" --simulate 40 scan
