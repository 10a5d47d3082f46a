#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for SECONDS each, or only the named
# ones: scripts/fuzz.sh BUILD SECONDS [TARGET...]. Each starts from its seed
# corpus in fuzz/corpus/<target>/ and keeps what it finds in
# BUILD/corpus/<target>/; a crash leaves its input in BUILD/crashes/ and fails.
# fuzz/<target>.options, when there is one, holds more libFuzzer flags, and
# fuzz/<target>.dict a dictionary of byte sequences for the mutations.
set -euo pipefail
build=${1:?usage: scripts/fuzz.sh BUILD SECONDS [TARGET...]}
seconds=${2:?usage: scripts/fuzz.sh BUILD SECONDS [TARGET...]}
shift 2
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$build" && pwd)"  # absolute: a target may change its working directory
targets=("$@")
if ((${#targets[@]} == 0)); then
  for dir in "$root"/fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi
mkdir -p "$build/crashes"
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan_suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t"
  echo "== $t: ${seconds} s"
  options=()
  if [[ -f "$root/fuzz/$t.options" ]]; then read -r -a options <"$root/fuzz/$t.options"; fi
  if [[ -f "$root/fuzz/$t.dict" ]]; then options+=("-dict=$root/fuzz/$t.dict"); fi
  "$build/fuzz/$t" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$t-" "$build/corpus/$t" "$root/fuzz/corpus/$t" \
    2>"$build/$t.log" || { tail -n 60 "$build/$t.log"; echo "$t: FAILED"; exit 1; }
  grep -E '^stat::number_of_executed_units|^Done ' "$build/$t.log" || true
done
