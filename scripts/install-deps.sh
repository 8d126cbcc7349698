#!/usr/bin/env bash
# Installs every Debian 12 package the build, the program, the tests and the
# Debian package (scripts/package.sh) need. Does nothing when they are all
# there already. The Firebird server (firebird3.0-server) is for the
# workstation tests, which start a server of their own; the program itself
# needs only the embedded engine.
set -euo pipefail
pkgs=(cmake g++ make ccache pkg-config qt6-base-dev libgl-dev firebird-dev libfbclient2
      firebird3.0-server-core firebird3.0-utils firebird3.0-server fonts-liberation xvfb xauth poppler-utils
      qt6-translations-l10n dpkg-dev file lintian libqrencode-dev zbar-tools)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
