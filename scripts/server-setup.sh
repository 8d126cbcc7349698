#!/usr/bin/env bash
# Prepares the machine that holds the data of several workstations
# (Debian 12, as root):
#   - installs Debian's Firebird 3 server (firebird3.0-server) and lets it
#     accept connections from the network,
#   - creates the school's database user with the password the administrator
#     gives, allowed to create databases,
#   - creates the database with "kynovia-admin create host:/path", owned by
#     that user,
#   - prints what every workstation needs (KYNOVIA_DATABASE and the login).
#
# Aufruf:  bash scripts/server-setup.sh [BENUTZER [DATENBANK]]
#   BENUTZER   database user of the school (default KYNOVIA)
#   DATENBANK  path of the database on this machine
#              (default /var/lib/firebird/3.0/data/kynoviadb)
# The password is asked for (twice); KYNOVIA_PASSWORD set in the environment
# is taken instead (for unattended set-ups). An existing database is left as
# it is; running the script again only sets the password anew.
set -euo pipefail
cd "$(dirname "$0")/.."

user="${1:-KYNOVIA}"
database="${2:-/var/lib/firebird/3.0/data/kynoviadb}"

fail() { echo "FEHLER: $*" >&2; exit 1; }

[ "$(id -u)" = 0 ] || fail "Bitte als root ausführen (sudo bash scripts/server-setup.sh)."
[[ "$user" =~ ^[A-Za-z][A-Za-z0-9_]{0,30}$ ]] ||
  fail "Der Benutzername \"$user\" ist nicht möglich (Buchstaben, Ziffern, _; am Anfang ein Buchstabe)."
case "$database" in /*) ;; *) fail "Der Pfad der Datenbank muss mit / beginnen: \"$database\"";; esac

if [ -n "${KYNOVIA_PASSWORD:-}" ]; then
  password="$KYNOVIA_PASSWORD"
else
  read -r -s -p "Passwort für den Datenbankbenutzer $user: " password; echo
  read -r -s -p "Passwort wiederholen: " again; echo
  [ "$password" = "$again" ] || fail "Die beiden Passwörter sind verschieden."
fi
[ ${#password} -ge 8 ] || fail "Das Passwort muss mindestens 8 Zeichen lang sein."
case "$password" in *"'"*) fail "Das Passwort darf kein Hochkomma (') enthalten.";; esac

echo "== Pakete"
bash scripts/install-deps.sh
export DEBIAN_FRONTEND=noninteractive
dpkg-query -W -f='${Status}' firebird3.0-server 2>/dev/null | grep -q 'install ok installed' ||
  apt-get install -y -qq --no-install-recommends firebird3.0-server

echo "== kynovia-admin"
admin=build/src/kynovia-admin
if [ ! -x "$admin" ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j"$(nproc)" --target kynovia-admin
fi

fbservice() {
  if [ -d /run/systemd/system ]; then systemctl "$1" firebird3.0
  else /etc/init.d/firebird3.0 "$1"; fi
}

conf=/etc/firebird/3.0/firebird.conf
secdb=/var/lib/firebird/3.0/system/security3.fdb
[ -f "$secdb" ] || fail "Die Benutzerdatenbank $secdb fehlt; Paket firebird3.0-server neu installieren."

echo "== Datenbankbenutzer $user"
# The server is stopped while the user database is changed directly: only
# one engine may have that file open.
fbservice stop >/dev/null 2>&1 || true
for _ in $(seq 1 50); do pidof firebird >/dev/null || break; sleep 0.2; done
# A lock folder of its own: lock files root leaves in the server's folder
# would be out of the server's reach.
lockdir=$(mktemp -d)
FIREBIRD_LOCK="$lockdir" isql-fb -q -user SYSDBA "$secdb" <<EOF
create or alter user $user password '$password';
commit;
grant create database to user $user;
commit;
EOF
rm -rf "$lockdir"
chown firebird:firebird "$secdb"

# Debian's server listens on this machine only; the workstations reach it
# over the network.
if grep -Eq '^[[:space:]]*RemoteBindAddress[[:space:]]*=[[:space:]]*(localhost|127\.0\.0\.1)' "$conf"; then
  cp -n "$conf" "$conf.vor-kynovia"
  sed -i -E 's/^([[:space:]]*RemoteBindAddress[[:space:]]*=.*)$/# \1   (server-setup.sh: Zugriff aus dem Netz)/' "$conf"
fi
fbservice start
for _ in $(seq 1 50); do (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null && break; sleep 0.2; done

echo "== Datenbank $database"
install -d -o firebird -g firebird -m 0770 "$(dirname "$database")"
if [ -e "$database" ]; then
  echo "Die Datenbank gibt es schon; sie bleibt unverändert."
else
  KYNOVIA_USER="$user" KYNOVIA_PASSWORD="$password" "$admin" create "localhost:$database"
fi
KYNOVIA_USER="$user" KYNOVIA_PASSWORD="$password" "$admin" version "localhost:$database" >/dev/null ||
  fail "Die Datenbank \"$database\" lässt sich als $user nicht öffnen."

host=$(hostname -f 2>/dev/null || hostname)
addr=$(hostname -I 2>/dev/null | awk '{print $1}')
cat <<EOF

Fertig. Auf jedem Arbeitsplatz (für jeden Benutzer des Programms):

  export KYNOVIA_DATABASE=$host:$database
      (oder mit der Adresse: KYNOVIA_DATABASE=${addr:-ADRESSE}:$database)

und die Anmeldung in ~/.config/kynovia/verbindung.conf, nur für den
Benutzer lesbar (chmod 600):

  benutzer = $user
  passwort = (das eben vergebene Passwort)

Der Firebird-Server hört auf Port 3050; die Firewall muss ihn von den
Arbeitsplätzen aus erreichbar machen.
EOF
