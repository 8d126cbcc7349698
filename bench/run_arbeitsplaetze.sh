#!/usr/bin/env bash
# Concurrent saves of two and four workstations on one Firebird server
# (127.0.0.1 only; the server is started for the run and stopped after it).
# Each workstation saves N new customers (default 300) as fast as it can;
# all of them start together. Prints per number of workstations the saves,
# the wall time, the saves per second and the rows lost (expected 0).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
n="${2:-300}"
bin="$build/bench/bench_arbeitsplaetze"
admin="$build/src/kynovia-admin"
dir=$(mktemp -d)
user=BENCH password=bench-Passwort-1
port=$(bash tests/workstations/testserver.sh start "$dir" "$user" "$password")
trap 'bash tests/workstations/testserver.sh stop "$dir"; rm -rf "$dir"' EXIT
export KYNOVIA_USER=$user KYNOVIA_PASSWORD=$password
export FIREBIRD_LOCK="${FIREBIRD_LOCK:-/tmp/firebird}"
mkdir -p "$FIREBIRD_LOCK"
for k in 2 4; do
  db="127.0.0.1/$port:$dir/data/bench$k.fdb"
  "$admin" create "$db" >/dev/null
  start=$(date +%s.%N)
  pids=()
  for w in $(seq 1 "$k"); do
    "$bin" "$db" "$n" "W$w" > "$dir/out$k-$w" &
    pids+=($!)
  done
  failed=0
  for p in "${pids[@]}"; do wait "$p" || failed=$((failed + 1)); done
  end=$(date +%s.%N)
  rows=$(echo "select count(*) from kunden; select count(distinct kndnr) from kunden;" |
         ISC_USER=$user ISC_PASSWORD=$password isql-fb -q "$db" | awk '/^ *[0-9]+ *$/ {print $1}' | head -1)
  awk -v k="$k" -v n="$n" -v s="$start" -v e="$end" -v rows="$rows" -v failed="$failed" 'BEGIN {
    t = e - s; total = k * n;
    printf "workstations=%d saves=%d seconds=%.2f saves_per_second=%.0f lost=%d failed_workstations=%d\n",
           k, total, t, total / t, total - rows, failed }'
done
