#!/usr/bin/env bash
# Builds the benchmark databases (10,000 and 100,000 customers) once and runs
# each scenario five times as its own process; prints the median time and the
# peak memory per scenario and size.
set -euo pipefail
build="${1:-build}"
bin="$build/bench/bench_dataset"
dir="${BENCH_DIR:-/tmp/kynovia-bench}"
mkdir -p "$dir"
for n in 10000 100000; do
  db="$dir/kunden$n.fdb"
  [ -f "$db" ] || "$bin" build "$n" "$db"
  for mode in plain-open table-open open plain-search table-search search; do
    for i in 1 2 3 4 5; do "$bin" "$mode" "$db"; done | sort -t= -k3 -g | sed -n 3p | sed "s/^/n=$n /"
  done
done
