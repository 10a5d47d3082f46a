#!/usr/bin/env bash
# Starts the desktop program; without a display, says so and runs the batch
# program on the example data set instead.
set -euo pipefail
build=${1:-build}
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$build/app/desktop/velmora"
fi
echo "No display available: running velmora-batch on examples/pre_post_scores.txt instead."
if [[ -x "$build/app/batch/velmora-batch" ]]; then
  exec "$build/app/batch/velmora-batch" --var1 1 --var2 2 --seed 20261208 examples/pre_post_scores.txt
fi
exit 1
