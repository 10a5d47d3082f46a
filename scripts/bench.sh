#!/usr/bin/env bash
# Runs every benchmark of the build; figures go to standard output.
set -euo pipefail
build=${1:-build}
for b in "$build"/bench/*_bench; do
  [[ -x "$b" ]] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true
done
