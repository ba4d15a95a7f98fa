#!/usr/bin/env bash
# Takes pictures of the real program under Xvfb into docs/screenshots (for the README).
# Usage: scripts/screenshot.sh [--maximized | WIDTH HEIGHT]
# Each panel is taken twice: in the light style, and in the Fusion style with a dark palette.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
if ! command -v xvfb-run >/dev/null; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends xvfb xauth
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build --target oneirion-screenshot -j "$(nproc)"
for style in "" --dark; do
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
    build/oneirion-screenshot docs/screenshots $style "$@"
done
