#!/usr/bin/env bash
# The whole test suite, three times: the release build, then under
# AddressSanitizer+UndefinedBehaviorSanitizer and under ThreadSanitizer (the
# engine must run clean under both). Tests that need a veth pair run when this
# runs as root and skip with a message otherwise. First the engine and the command
# line are built once without the window, which proves they need no Qt Widgets.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs="$(nproc)"
# The engine and the command line must build without the window (no Qt Widgets).
echo "=== engine alone ==="
scripts/build.sh engine
for preset in release asan tsan; do
    echo "=== $preset ==="
    scripts/build.sh "$preset"
    ctest --preset "$preset" -j "$jobs"
done
