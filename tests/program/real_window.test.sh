#!/usr/bin/env bash
# The program in a real window under a virtual X server.
#   $1: the build directory
set -euo pipefail
build=${1:?build directory}
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 0; }
done
program="$build/program/dataentry"
cd "$(mktemp -d)"
DATAENTRY_PROGRAM="$program" SDL_VIDEODRIVER=x11 \
  timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" "$build/tests/test_program" --gtest_filter='RealWindow.*'
