#!/usr/bin/env bash
# CI, as root, after scripts/package.sh: installs the package with apt-get,
# starts the installed /usr/bin/kynovia as an unprivileged user with a fresh
# home directory offscreen, waits until its main window is shown, ends it as
# the desktop's log-out would (SIGTERM), and checks what the first start left
# in that user's data directory: the database, the automatic backup written
# when the main window closed, and the user's own engine lock folder.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" != 0 ]; then echo "check-package.sh must run as root" >&2; exit 1; fi
debs=(build/kynovia_*_amd64.deb)
[ -f "${debs[0]}" ] || { echo "no package: run scripts/package.sh first" >&2; exit 1; }
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "./${debs[0]}" >/dev/null

user=kynovia-pruefung
id -u "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
home=$(mktemp -d /tmp/kynovia-pruefung.XXXXXX)
chown "$user:" "$home"
log="$home/start.log"
data="$home/.local/share/kynovia"
fail() {
  echo "check-package: $*" >&2
  echo "--- program output:" >&2
  cat "$log" >&2 || true
  exit 1
}

# A clean environment as a login would give it: no variable of this shell
# (KYNOVIA_*, FIREBIRD_LOCK, XDG_*) reaches the program.
# setpriv and env replace themselves by the program: $! is the program.
as_user=(setpriv --reuid="$user" --regid="$(id -g "$user")" --init-groups env -i HOME="$home")
"${as_user[@]}" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin \
  LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="kynovia.start.info=true" \
  /usr/bin/kynovia >"$log" 2>&1 &
pid=$!
# These bounds only keep a hanging program from hanging CI.
for _ in $(seq 1 600); do
  grep -q "main window shown" "$log" && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended before its main window was shown"
  sleep 0.2
done
grep -q "main window shown" "$log" || { kill -9 "$pid"; fail "no main window after 120 s"; }
kill -TERM "$pid"
for _ in $(seq 1 600); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$pid" 2>/dev/null; then kill -9 "$pid"; fail "the program did not end within 120 s of SIGTERM"; fi
rc=0
wait "$pid" || rc=$?
[ "$rc" = 0 ] || fail "the program ended with code $rc"

[ -f "$data/db/kynoviadb" ] || fail "no database $data/db/kynoviadb"
[ "$(stat -c %U "$data/db/kynoviadb")" = "$user" ] || fail "the database does not belong to $user"
ls "$data"/sicherungen/* >/dev/null 2>&1 || fail "no automatic backup in $data/sicherungen"
[ -d "$home/.cache/kynovia/firebird" ] || fail "no lock folder $home/.cache/kynovia/firebird"
version=$("${as_user[@]}" PATH=/usr/bin:/bin /usr/bin/kynovia-admin version) \
  || fail "kynovia-admin version failed"
[ "$version" = 14 ] || fail "schema version $version, expected 14"
echo "check-package: /usr/bin/kynovia started as $user, database $data/db/kynoviadb created"
rm -rf "$home"
