#!/usr/bin/env bash
# Whole-program bootstrap figures: wall time and peak memory of velmora-batch
# at 10,000, 1,000,000 and 10,000,000 complete pairs with 1 and all threads,
# in single and in double precision, the same at 10,000 pairs with and
# without --paired, and the numpy program of the same analysis at 10,000 pairs.
#   bash bench/scale.sh [BUILD] [DATA_DIR]
# Needs /usr/bin/time (package time) and, for the comparison, python3-numpy.
# The data files (about 25 MB, 250 MB... written once) go to DATA_DIR.
set -euo pipefail
build=${1:-build}
data=${2:-/tmp/velmora-bench}
batch="$build/app/batch/velmora-batch"
mkdir -p "$data"
for pairs in 10000 1000000 10000000; do
  [[ -s "$data/pairs_$pairs.txt" ]] || "$build/bench/generate_pairs_data" "$pairs" "$data/pairs_$pairs.txt"
done

# One timed run: prints wall seconds and peak resident kilobytes.
timed() {
  /usr/bin/time -f '%e s wall, %M KB peak' "$@" >/dev/null 2>"$data/time.txt" || {
    cat "$data/time.txt" >&2
    return 1
  }
  tail -n 1 "$data/time.txt"
}

printf '%-64s %s\n' "run" "whole process"
for spec in "10000 2000" "1000000 2000" "10000000 600"; do
  set -- $spec
  for threads in 1 0; do
    for arithmetic in single double; do
      printf '%-64s ' "velmora-batch $1 pairs, T=$2, threads=$threads, $arithmetic"
      timed "$batch" --var1 1 --var2 2 --trials "$2" --seed 1 --threads "$threads" \
        --arithmetic "$arithmetic" "$data/pairs_$1.txt"
    done
  done
done
# The paired d family's cost: the same runs at 10,000 pairs with --paired.
for threads in 1 0; do
  for paired in "" --paired; do
    printf '%-64s ' "velmora-batch 10000 pairs, T=2000, threads=$threads, single ${paired:-(Velmora only)}"
    timed "$batch" --var1 1 --var2 2 --trials 2000 --seed 1 --threads "$threads" $paired \
      "$data/pairs_10000.txt"
  done
done
if /usr/bin/python3 -c 'import numpy' 2>/dev/null; then
  printf '%-64s ' "numpy 10000 pairs, T=2000"
  # Unset together: they select a slower OpenBLAS kernel on some machines.
  timed env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE /usr/bin/python3 bench/numpy_bootstrap.py \
    --trials 2000 "$data/pairs_10000.txt"
fi
