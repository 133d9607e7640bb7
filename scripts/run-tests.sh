#!/usr/bin/env bash
# The whole test suite, three times: the release build, then under
# AddressSanitizer+UndefinedBehaviorSanitizer and under ThreadSanitizer (the
# engine must run clean under both). Tests that need a veth pair run when this
# runs as root and skip with a message otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs="$(nproc)"
for preset in release asan tsan; do
    echo "=== $preset ==="
    scripts/build.sh "$preset"
    ctest --preset "$preset" -j "$jobs"
done
