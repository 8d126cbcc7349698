#!/usr/bin/env bash
# Builds and starts Kynovia. On first use it creates the data directory with
# the help pages and the breed list, and an empty database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export KYNOVIA_HOME="${KYNOVIA_HOME:-$HOME/.local/share/kynovia}"
export FIREBIRD_LOCK="${FIREBIRD_LOCK:-/tmp/firebird}"
mkdir -p "$KYNOVIA_HOME/db" "$KYNOVIA_HOME/help" "$FIREBIRD_LOCK"
cp -r resources/help/. "$KYNOVIA_HOME/help/"
cp resources/rassen.txt "$KYNOVIA_HOME/" 2>/dev/null || true
if [ -f resources/kynovia.desktop ]; then
  mkdir -p "$HOME/.local/share/applications" "$HOME/.local/share/icons/hicolor/256x256/apps"
  sed "s|@KYNOVIA_DIR@|$PWD|g" resources/kynovia.desktop > "$HOME/.local/share/applications/kynovia.desktop"
  cp resources/kynovia.png "$HOME/.local/share/icons/hicolor/256x256/apps/kynovia.png" 2>/dev/null || true
fi
db="${KYNOVIA_DATABASE:-$KYNOVIA_HOME/db/kynoviadb}"
if [[ "$db" != *:* ]] && [ ! -e "$db" ]; then
  ./build/src/kynovia-admin create "$db"
fi
# The breed list is read from the current directory.
cd "$KYNOVIA_HOME"
exec "$OLDPWD/build/src/kynovia" "$@"
