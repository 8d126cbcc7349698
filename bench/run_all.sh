#!/usr/bin/env bash
# Runs every benchmark of bench/ once, each scenario in its own process, and
# prints one line per figure:
#
#   ratio NAME VALUE target VALUE ok|miss   (absolute figures beside it)
#
# VALUE is the program's work divided by the plain work measured in this
# same run (plain client calls, a bare window), so that the noise of a busy
# machine cancels out. Figures whose target is absolute (a time, a memory
# size) carry a NAME ending in _ms or _mb and the absolute value instead.
# Times are process CPU times (the embedded engine runs in the process), so
# that other programs on the machine disturb them little.
#
#   bench/run_all.sh [BUILD]     (default build; BENCH_DIR for the databases,
#                                 default /tmp/kynovia-bench)
set -euo pipefail
build="${1:-build}"
dir="${BENCH_DIR:-/tmp/kynovia-bench}"
mkdir -p "$dir"
export QT_QPA_PLATFORM=offscreen
b="$build/bench"

# Field value of key=value in a line.
get() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p" | head -1; }
# ratio NAME VALUE TARGET ABSOLUTE...: ok when VALUE <= TARGET
ratio() {
  local name="$1" value="$2" target="$3"
  shift 3
  local verdict
  verdict=$(awk -v v="$value" -v t="$target" 'BEGIN { print (v <= t) ? "ok" : "miss" }')
  printf 'ratio %s %.2f target %s %s   %s\n' "$name" "$value" "$target" "$verdict" "$*"
}
div() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", (b > 0) ? a / b : 999 }'; }
mb() { awk -v a="$1" 'BEGIN { printf "%.1f", a / 1024 }'; }

# --- databases (built once, kept in BENCH_DIR)
big="$dir/kunden100000.fdb"
[ -f "$big" ] || "$b/bench_dataset" build 100000 "$big" >/dev/null
liste="$dir/kundenliste10000.fdb"
[ -f "$liste" ] || "$b/bench_kundenliste" build 10000 "$liste" >/dev/null
suche="$dir/kundensuche100000.fdb"
[ -f "$suche" ] || "$b/bench_customersearch" build 100000 "$suche" >/dev/null

# --- dataset engine: first screen and customer search (bench_dataset)
for pair in "open plain-open" "search plain-search"; do
  set -- $pair
  w=$("$b/bench_dataset" "$1" "$big")
  p=$("$b/bench_dataset" "$2" "$big")
  ratio "dataset_$1" "$(div "$(get "$w" time_ms)" "$(get "$p" time_ms)")" 3 \
    "window_ms=$(get "$w" time_ms) plain_ms=$(get "$p" time_ms)"
done

# --- customer search in the real window (bench_customersearch)
w=$("$b/bench_customersearch" window "$suche" schmidt4)
p=$("$b/bench_customersearch" plain "$suche" schmidt4)
ratio customersearch "$(div "$(get "$w" again_cpu_ms)" "$(get "$p" again_cpu_ms)")" 3 \
  "window_cpu_ms=$(get "$w" again_cpu_ms) plain_cpu_ms=$(get "$p" again_cpu_ms)"

# --- "Kunden / Neu aufnehmen" on 100,000 customers (bench_fenster)
w=$("$b/bench_fenster" append "$big")
p=$("$b/bench_fenster" plain-append "$big")
ratio append "$(div "$(get "$w" cpu_ms)" "$(get "$p" cpu_ms)")" 3 \
  "window_cpu_ms=$(get "$w" cpu_ms) plain_cpu_ms=$(get "$p" cpu_ms)"
ratio append_ms "$(get "$w" cpu_ms)" 50 "cpu"
ratio append_grow_mb "$(mb "$(get "$w" grow_kb)")" 2 "resident memory added by the append"

# --- "last record" in the dog search window, 150,000 dogs (bench_fenster)
w=$("$b/bench_fenster" last "$big")
p=$("$b/bench_fenster" plain-last "$big")
ratio last "$(div "$(get "$w" cpu_ms)" "$(get "$p" cpu_ms)")" 2 \
  "window_cpu_ms=$(get "$w" cpu_ms) plain_cpu_ms=$(get "$p" cpu_ms) $(get "$w" hundnr | sed 's/^/hundnr=/')"
ratio last_ms "$(get "$w" cpu_ms)" 500 "cpu"
ratio last_peak_mb "$(mb "$(get "$w" peak_kb)")" 250 "process peak"

# --- customer list printout, 10,000 customers with two dogs (bench_kundenliste)
w=$("$b/bench_kundenliste" list "$liste")
p=$("$b/bench_kundenliste" read "$liste")
ratio kundenliste "$(div "$(get "$w" cpu_ms)" "$(get "$p" cpu_ms)")" 3 \
  "list_cpu_ms=$(get "$w" cpu_ms) read_cpu_ms=$(get "$p" cpu_ms) pages=$(get "$w" pages)"
ratio kundenliste_peak_mb "$(mb "$(get "$w" peak_kb)")" 100 "process peak"

# --- CSV import, 10,000 and 100,000 lines (bench_import)
imp=$(mktemp -d)
trap 'rm -rf "$imp"' EXIT
declare -A icpu
for n in 10000 100000; do
  p=$("$b/bench_import" plain "$n" "$imp")
  w=$("$b/bench_import" window "$n" "$imp")
  icpu[$n]=$(get "$w" cpu_ms)
  ratio "import_$n" "$(div "$(get "$w" cpu_ms)" "$(get "$p" cpu_ms)")" 2 \
    "window_cpu_ms=$(get "$w" cpu_ms) plain_cpu_ms=$(get "$p" cpu_ms)"
done
# Linear: ten times the lines take at most 1.2 times ten times as long.
ratio import_growth "$(div "$(div "${icpu[100000]}" "${icpu[10000]}")" 10)" 1.2 \
  "cpu_ms 10000=${icpu[10000]} 100000=${icpu[100000]}"

# --- durable saves: a save committed before the program waits again
#     (bench_durability; wall-clock times, a commit waits for the disk)
cp "$big" "$dir/durability.fdb"
w=$("$b/bench_durability" save "$dir/durability.fdb" 60)
ratio save_commit_ms "$(get "$w" save_ms)" 30 \
  "post_ms=$(get "$w" post_ms) commit_ms=$(get "$w" commit_ms) max_save_ms=$(get "$w" max_save_ms)"
w=$("$b/bench_durability" termine 400 "$imp")
ratio termine_commit "$(div "$(get "$w" after_ms)" "$(get "$w" before_ms)")" 1.2 \
  "generation_ms=$(get "$w" before_ms) with_commit_ms=$(get "$w" after_ms)"
p=$("$b/bench_durability" import 10000 "$imp" held)
w=$("$b/bench_durability" import 10000 "$imp")
ratio import_commit "$(div "$(get "$w" ms)" "$(get "$p" ms)")" 1.2 \
  "import_ms=$(get "$w" ms) without_first_commit_ms=$(get "$p" ms)"

# --- invoicing (bench_rechnungen; wall-clock times, an issue commits)
w=$("$b/bench_rechnungen" kurs "$dir")
ratio rechnungen_kurs_ms "$(get "$w" time_ms)" 2000 "20 invoices issued with PDFs, cpu_ms=$(get "$w" cpu_ms)"
w=$("$b/bench_rechnungen" pdf "$dir")
ratio rechnung_pdf_ms "$(get "$w" time_ms)" 150 "one invoice laid out and written as PDF, cpu_ms=$(get "$w" cpu_ms)"
offen="$dir/rechnungen10000.fdb"
[ -f "$offen" ] || "$b/bench_rechnungen" build 10000 "$offen" >/dev/null
w=$("$b/bench_rechnungen" offen "$offen")
ratio offene_posten_ms "$(get "$w" time_ms)" 300 "10,000 invoices, open=$(get "$w" open) cpu_ms=$(get "$w" cpu_ms)"

# --- start until the main window has painted (bench_fenster)
home="$dir/home"
mkdir -p "$home/db"
[ -e "$home/db/kynoviadb" ] || ln -s "$big" "$home/db/kynoviadb"
w=$("$b/bench_fenster" start "$home")
p=$("$b/bench_fenster" bare "$home")
ratio start "$(div "$(get "$w" cpu_ms)" "$(get "$p" cpu_ms)")" 1.5 \
  "start_cpu_ms=$(get "$w" cpu_ms) bare_window_and_attach_cpu_ms=$(get "$p" cpu_ms)"
