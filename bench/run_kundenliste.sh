#!/usr/bin/env bash
# Builds the benchmark database (10,000 customers with two dogs each) once
# and runs each scenario three times as its own process; prints the median
# time with its pages and peak memory per scenario.
set -euo pipefail
build="${1:-build}"
bin="$build/bench/bench_kundenliste"
dir="${BENCH_DIR:-/tmp/kynovia-bench}"
mkdir -p "$dir"
n=10000
db="$dir/kundenliste$n.fdb"
[ -f "$db" ] || "$bin" build "$n" "$db"
for mode in read plain list; do
  for i in 1 2 3; do "$bin" "$mode" "$db"; done | sort -t= -k4 -g | sed -n 2p | sed "s/^/n=$n /"
done
