#!/usr/bin/env bash
# Pictures of the windows for a look by eye. Builds the picture programs
# (tests/*/*_bilder.cpp, targets bilder_<folder>) and runs them under Xvfb;
# the PNG files land in the directory given (default: build/bilder).
# Usage: bash scripts/bilder.sh [directory] [program ...]
#   e.g. bash scripts/bilder.sh /tmp/bilder bilder_courses
set -euo pipefail
cd "$(dirname "$0")/.."
ziel=$(realpath -m "${1:-build/bilder}")
shift || true
programme=("$@")
if [ ${#programme[@]} -eq 0 ]; then
  programme=(bilder_widgets bilder_shell bilder_customers bilder_courses bilder_staff_docs bilder_import)
fi
cmake --build build -j2 --target "${programme[@]}"
export FIREBIRD_LOCK="${FIREBIRD_LOCK:-/tmp/firebird}"
mkdir -p "$FIREBIRD_LOCK" "$ziel"
for p in "${programme[@]}"; do
  echo "== $p"
  KYN_SHOT="$ziel" KYNOVIA_SOURCE_DIR="$PWD" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1400x900x24" "build/tests/$p"
done
echo "Bilder in $ziel"
