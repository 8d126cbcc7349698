#!/usr/bin/env bash
# Prepares the machine that holds the data of several workstations
# (Debian 12, as root):
#   - installs Debian's Firebird 3 server (firebird3.0-server) and lets it
#     accept connections from the network,
#   - creates the school's database user (never SYSDBA) with the password
#     the administrator gives, allowed to create databases until its database
#     exists,
#   - creates the database with "kynovia-admin create host:/path", owned by
#     that user, and lets the server open databases in its folder only,
#   - prints what every workstation needs (KYNOVIA_DATABASE and the login).
#
# Aufruf:  bash scripts/server-setup.sh [BENUTZER [DATENBANK]]
#   BENUTZER   database user of the school (default KYNOVIA)
#   DATENBANK  path of the database on this machine
#              (default /var/lib/firebird/3.0/data/kynoviadb)
# The password is asked for (twice); KYNOVIA_PASSWORD set in the environment
# is taken instead (for unattended set-ups). An existing database is left as
# it is; running the script again only sets the password anew.
#
# The script changes nothing it did not create: a missing folder for the
# database is created for the Firebird server (owner firebird, 0770); an
# existing folder keeps its owner and rights (the server must be allowed to
# write in it; else choose a folder of its own, e.g. /srv/kynovia). The
# server then opens databases only in the database's folder (DatabaseAccess),
# and the school's user may no longer create databases once its database
# exists.
#
# For the tests, what the script works on can be put elsewhere (the checks
# stay the same): KYNOVIA_SETUP_PACKAGES=0 installs no packages;
# KYNOVIA_FIREBIRD_CONF, KYNOVIA_FIREBIRD_SECDB, KYNOVIA_FIREBIRD_PORT and
# KYNOVIA_FIREBIRD_PROCESS name the server's configuration, user database,
# port and process; KYNOVIA_ISQL, KYNOVIA_FBSERVICE (called with start or
# stop) and KYNOVIA_ADMIN the programs.
set -euo pipefail
cd "$(dirname "$0")/.."

user="${1:-KYNOVIA}"
database="${2:-/var/lib/firebird/3.0/data/kynoviadb}"

fail() { echo "FEHLER: $*" >&2; exit 1; }

[ "$(id -u)" = 0 ] || fail "Bitte als root ausführen (sudo bash scripts/server-setup.sh)."
[[ "$user" =~ ^[A-Za-z][A-Za-z0-9_]{0,30}$ ]] ||
  fail "Der Benutzername \"$user\" ist nicht möglich (Buchstaben, Ziffern, _; am Anfang ein Buchstabe)."
# SYSDBA may do everything on the server; the school gets a user of its own.
[ "${user^^}" != SYSDBA ] ||
  fail "SYSDBA ist der Verwalter des Firebird-Servers und kann nicht der Benutzer der Schule sein. Bitte einen eigenen Namen angeben (z. B. KYNOVIA)."
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

conf="${KYNOVIA_FIREBIRD_CONF:-/etc/firebird/3.0/firebird.conf}"
secdb="${KYNOVIA_FIREBIRD_SECDB:-/var/lib/firebird/3.0/system/security3.fdb}"
port="${KYNOVIA_FIREBIRD_PORT:-3050}"
isql="${KYNOVIA_ISQL:-isql-fb}"
process="${KYNOVIA_FIREBIRD_PROCESS:-firebird}"
folder=$(dirname "$database")

if [ "${KYNOVIA_SETUP_PACKAGES:-1}" != 0 ]; then
  echo "== Pakete"
  bash scripts/install-deps.sh
  export DEBIAN_FRONTEND=noninteractive
  dpkg-query -W -f='${Status}' firebird3.0-server 2>/dev/null | grep -q 'install ok installed' ||
    apt-get install -y -qq --no-install-recommends firebird3.0-server
fi

echo "== kynovia-admin"
admin="${KYNOVIA_ADMIN:-build/src/kynovia-admin}"
if [ ! -x "$admin" ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j"$(nproc)" --target kynovia-admin
fi

fbservice() {
  if [ -n "${KYNOVIA_FBSERVICE:-}" ]; then "$KYNOVIA_FBSERVICE" "$1"
  elif [ -d /run/systemd/system ]; then systemctl "$1" firebird3.0
  else /etc/init.d/firebird3.0 "$1"; fi
}
fbstart() {
  fbservice start
  for _ in $(seq 1 50); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.2; done
}
# Statements (standard input) on the server's user database, with the server
# stopped: only one engine may have that file open. A lock folder of its own:
# lock files root leaves in the server's folder would be out of its reach.
usersql() {
  fbservice stop >/dev/null 2>&1 || true
  for _ in $(seq 1 50); do pidof "$process" >/dev/null || break; sleep 0.2; done
  local lockdir
  lockdir=$(mktemp -d)
  FIREBIRD_LOCK="$lockdir" "$isql" -q -user SYSDBA "$secdb"
  rm -rf "$lockdir"
  chown firebird:firebird "$secdb"
}

[ -f "$secdb" ] || fail "Die Benutzerdatenbank $secdb fehlt; Paket firebird3.0-server neu installieren."
[ -f "$conf" ] || fail "Die Konfiguration des Firebird-Servers $conf fehlt."

echo "== Ordner $folder"
# Only a folder the script creates belongs to the server; an existing one
# (/srv, a home folder, ...) keeps its owner and rights.
if [ -d "$folder" ]; then
  echo "Den Ordner gibt es schon; Besitzer und Rechte bleiben unverändert."
  [ -e "$database" ] ||
    echo "Der Firebird-Server (Benutzer firebird) muss darin schreiben dürfen; sonst bitte einen eigenen, noch nicht vorhandenen Ordner angeben (z. B. /srv/kynovia/kynoviadb)."
elif [ -e "$folder" ]; then
  fail "\"$folder\" ist kein Ordner."
else
  mkdir -p "$(dirname "$folder")"
  install -d -o firebird -g firebird -m 0770 "$folder"
fi

echo "== Datenbankbenutzer $user"
usersql <<SQL
create or alter user $user password '$password';
commit;
SQL
if [ ! -e "$database" ]; then
  usersql <<SQL
grant create database to user $user;
commit;
SQL
fi

echo "== Firebird-Server"
[ -e "$conf.vor-kynovia" ] || cp -p "$conf" "$conf.vor-kynovia"
# Debian's server listens on this machine only; the workstations reach it
# over the network.
if grep -Eq '^[[:space:]]*RemoteBindAddress[[:space:]]*=[[:space:]]*(localhost|127\.0\.0\.1)' "$conf"; then
  sed -i -E 's/^([[:space:]]*RemoteBindAddress[[:space:]]*=.*)$/# \1   (server-setup.sh: Zugriff aus dem Netz)/' "$conf"
fi
# Databases only in the folders of the school's databases (each run adds the
# folder of its database), not in every file the server may read.
mark='# server-setup.sh: nur die Ordner der Datenbanken'
folders=$(sed -n -E "s/^DatabaseAccess = Restrict (.*[^ ]) +$mark\$/\\1/p" "$conf" | tail -n 1)
case ";$folders;" in *";$folder;"*) ;; *) folders="${folders:+$folders;}$folder" ;; esac
grep -v -F "$mark" "$conf" | sed -E 's/^([[:space:]]*DatabaseAccess[[:space:]]*=.*)$/# \1   (server-setup.sh)/' > "$conf.neu"
echo "DatabaseAccess = Restrict $folders   $mark" >> "$conf.neu"
chmod --reference="$conf" "$conf.neu"
mv "$conf.neu" "$conf"
fbstart

echo "== Datenbank $database"
if [ -e "$database" ]; then
  echo "Die Datenbank gibt es schon; sie bleibt unverändert."
else
  KYNOVIA_USER="$user" KYNOVIA_PASSWORD="$password" "$admin" create "localhost/$port:$database"
fi
KYNOVIA_USER="$user" KYNOVIA_PASSWORD="$password" "$admin" version "localhost/$port:$database" >/dev/null ||
  fail "Die Datenbank \"$database\" lässt sich als $user nicht öffnen."

# The database exists: the school's user needs no further one (a stolen
# password could otherwise fill the server's disk with databases).
usersql <<SQL
revoke create database from user $user;
commit;
SQL
fbstart

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

Der Firebird-Server hört auf Port $port. Er gehört hinter die Firewall der
Schule: erreichbar nur von den Arbeitsplätzen im Netz der Schule, nie aus
dem Internet.
EOF
