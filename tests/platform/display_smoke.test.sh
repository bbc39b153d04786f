#!/usr/bin/env bash
# Real-window smoke test of the display backend under a virtual X server.
#   $1: the build directory (holding tests/test_platform)
set -euo pipefail
build=${1:?build directory}
bin="$build/tests/test_platform"
[ -x "$bin" ] || bin="$build/test_platform"
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 0; }
done
cd "$(mktemp -d)"
PLATFORM_DISPLAY_SMOKE=1 SDL_VIDEODRIVER=x11 \
  timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" "$bin" --gtest_filter='DisplaySmoke.*'
