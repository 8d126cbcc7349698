#!/usr/bin/env bash
# Builds the benchmark database (N customers, default 100,000) once and runs
# each scenario three times as its own process; prints the median time.
set -euo pipefail
build="${1:-build}"
n="${2:-100000}"
bin="$build/bench/bench_datenschutz"
dir="${BENCH_DIR:-/tmp/kynovia-bench}"
mkdir -p "$dir"
db="$dir/datenschutz$n.fdb"
[ -f "$db" ] || "$bin" build "$n" "$db"
for mode in raw alt auskunft loeschen; do
  for i in 1 2 3; do "$bin" "$mode" "$db"; done | sort -t= -k5 -g | sed -n 2p
done
