#!/usr/bin/env bash
# Builds the Debian package build/kynovia_<version>-<revision>_amd64.deb and
# checks it with lintian (an error-level finding fails the script).
# Install it with: apt install ./build/kynovia_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
umask 022
cd build
rm -f kynovia_*.deb
cpack -G DEB >/dev/null
deb=$(ls kynovia_*_amd64.deb)
lintian --fail-on error "$deb"
echo "build/$deb"
