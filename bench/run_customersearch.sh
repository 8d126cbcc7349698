#!/usr/bin/env bash
# Customer search on 100,000 customers: the real customer window (Enter in the
# search box until the grid has painted) against the same SELECT through plain
# client calls. Builds the database once, runs each mode five times as its own
# process, keeps the median run per mode and search text and prints the
# ratios window / plain (wall clock of the first search of a process, median
# wall clock and median process CPU time of the repeated searches).
set -euo pipefail
build="${1:-build}"
bin="$build/bench/bench_customersearch"
dir="${BENCH_DIR:-/tmp/kynovia-bench}"
n="${BENCH_CUSTOMERS:-100000}"
mkdir -p "$dir"
db="$dir/kundensuche$n.fdb"
[ -f "$db" ] || "$bin" build "$n" "$db"
median_run() {  # mode text: the run with the median repeated CPU time
  for i in 1 2 3 4 5; do QT_QPA_PLATFORM=offscreen "$bin" "$1" "$db" "$2" 2>/dev/null; done |
    sort -t= -k7 -g | sed -n 3p
}
for text in schmidt4 hamburg "o'brien"; do
  p=$(median_run plain "$text")
  w=$(median_run window "$text")
  echo "$p"
  echo "$w"
  echo "$p
$w" | awk '{ for (i = 2; i <= NF; i++) { split($i, kv, "="); v[NR, kv[1]] = kv[2] } t = v[NR, "text"] }
    END { printf "ratio  text=%s first=%.2f again=%.2f again_cpu=%.2f\n", t,
          v[2, "first_ms"] / v[1, "first_ms"], v[2, "again_median_ms"] / v[1, "again_median_ms"],
          v[2, "again_cpu_ms"] / v[1, "again_cpu_ms"] }'
done
