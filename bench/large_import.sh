#!/usr/bin/env bash
# The import on large data files, one at a time: each file is generated under
# ${TMPDIR:-/tmp}, imported by a fresh process that reports the import's time
# and its peak memory, and deleted again. Needs about 2.1 GB of free disk.
# The two 10,000,000-pair files show what keeping one variable's values as
# written (8 bytes a cell) costs beside the same import without.
#   bench/large_import.sh [BUILD]
set -euo pipefail
build=${1:-build}
dir=$(mktemp -d "${TMPDIR:-/tmp}/velmora_large_XXXXXX")
trap 'rm -rf "$dir"' EXIT
timer=()
if [[ -x /usr/bin/time ]]; then timer=(/usr/bin/time -f "process: %e s elapsed, %M KiB peak RSS"); fi

# name lines columns delimiter zeros-before-each-value [million]
run() {
  local file="$dir/$1.txt"
  "$build/bench/generate_import_data" "$2" "$3" "$4" "$file" "$5" ${6:+"$6"}
  local bytes cells
  bytes=$(stat -c %s "$file")
  cells=$(($2 * $3))
  echo "== $1: $2 lines x $3 fields, $((bytes / 1000000)) MB, $cells cells ($((cells * 4 / 1048576)) MiB as singles)"
  "${timer[@]}" "$build/bench/import_rss_probe" "$file" "$4"
  rm -f "$file"
}

run dense_2gb 110000000 2 space 0        # 2 GB, almost all of it cells
run sparse_2gb 1000000 2 comma 1000      # 2 GB of long numbers: few cells
run wide 100000 1000 tab 0               # 1,000 fields on each of 100,000 lines
run pairs_10m 10000000 2 space 0         # 10,000,000 pairs: nothing kept as written
run pairs_10m_written 10000000 2 space 0 million  # the same with Var 1 near 1000000, kept
