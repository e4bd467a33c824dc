#!/usr/bin/env bash
# Installs what is missing, builds Tolvex and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found. Tolvex is a desktop application; to run it without a screen use:"
  echo "  xvfb-run -a $root/build/src/shell/tolvex"
  echo "or set QT_QPA_PLATFORM=offscreen."
  exit 0
fi
exec "$root/build/src/shell/tolvex" "$@"
