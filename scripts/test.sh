#!/usr/bin/env bash
# Builds everything and runs all tests offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
export FIREBIRD_LOCK="${FIREBIRD_LOCK:-/tmp/firebird}"
mkdir -p "$FIREBIRD_LOCK"
cd build
ctest --output-on-failure -j"$(nproc)"
