#!/usr/bin/env bash
# Installs what is missing, builds Tolvex with its tests and runs them all with ctest.
#   scripts/test.sh [build-dir] [extra cmake args...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
shift || true
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$build" -DBUILD_TESTING=ON "$@"
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
