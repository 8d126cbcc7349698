#!/usr/bin/env bash
# Builds and starts Kynovia from this checkout. On its first start the
# program creates the data directory and an empty database; it finds the help
# pages and the breed list in resources/ as long as the data directory has
# no copies of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
# Earlier versions of this script put a menu entry starting it into the
# user's own folder, where it would hide the installed program's entry.
entry="$HOME/.local/share/applications/kynovia.desktop"
if [ -f "$entry" ] && grep -q 'scripts/run\.sh' "$entry"; then rm -f "$entry"; fi
exec ./build/src/kynovia "$@"
