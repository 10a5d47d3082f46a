#!/usr/bin/env bash
# The import of a statistics package's file against the same data as CSV:
# 1,000,000 rows of two numeric variables (one decimal, some missing), written
# once by R's haven as .sav and by write.csv as .csv under ${TMPDIR:-/tmp},
# then each imported by a fresh process, RUNS times (default 3). Needs R with
# haven (for the data only; the program does not use R).
#   bench/statistics_import.sh [BUILD] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-3}
dir=$(mktemp -d "${TMPDIR:-/tmp}/velmora_stats_XXXXXX")
trap 'rm -rf "$dir"' EXIT
Rscript -e '
  library(haven); set.seed(1); n <- 1e6
  pre <- round(rnorm(n, 50, 10), 1); post <- round(pre + rnorm(n, 4, 6), 1)
  pre[sample(n, 1000)] <- NA
  df <- data.frame(pre = pre, post = post)
  write.csv(df, file.path(commandArgs(TRUE)[1], "pairs.csv"), row.names = FALSE, na = "")
  write_sav(df, file.path(commandArgs(TRUE)[1], "pairs.sav"))' "$dir"
for file in pairs.csv pairs.sav; do
  echo "== $file: $(($(stat -c %s "$dir/$file") / 1000)) kB"
  for ((k = 1; k <= runs; ++k)); do "$build/bench/import_rss_probe" "$dir/$file" comma; done
done
