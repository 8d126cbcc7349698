#!/usr/bin/env bash
# A Firebird server of its own for the workstation tests and the benchmark.
#
#   testserver.sh start DIR USER PASSWORD [PORT]
#                                           prints the port it listens on
#                                           (PORT: that port, e.g. to start
#                                           a stopped server again)
#   testserver.sh stop DIR
#
# The server is Debian's (/usr/sbin/firebird, package firebird3.0-server),
# run by whoever calls this script, in the foreground of a background job,
# with everything of its own in DIR: configuration, security database, lock
# files, databases. It listens on 127.0.0.1 only, on a free port. The system's
# Firebird service (if any) is not touched. USER is created with PASSWORD and
# may create databases; SYSDBA gets a random password nobody needs.
set -euo pipefail

cmd="${1:?start|stop}"
dir="${2:?directory}"

stop() {
  if [ -f "$dir/server.pid" ]; then
    pid=$(cat "$dir/server.pid")
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$dir/server.pid"
  fi
}

listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

if [ "$cmd" = stop ]; then stop; exit 0; fi
[ "$cmd" = start ] || { echo "usage: $0 start|stop DIR ..." >&2; exit 2; }
user="${3:?user}"
password="${4:?password}"

server=/usr/sbin/firebird
isql=$(command -v isql-fb || true)
[ -x "$server" ] || { echo "$server fehlt (Debian-Paket firebird3.0-server)" >&2; exit 3; }
[ -n "$isql" ] || { echo "isql-fb fehlt (Debian-Paket firebird3.0-utils)" >&2; exit 3; }
intl=$(ls -d /usr/lib/*/firebird/3.0/intl 2>/dev/null | head -1)
root=$(dirname "$intl")

mkdir -p "$dir/lock" "$dir/data"
# The engine finds its configuration, messages and character sets below
# $FIREBIRD; plugins come from their fixed place. The character set module
# must be a file there (through a linked folder the server does not load it).
for f in UDF firebird.msg lib plugins; do ln -sfn "$root/$f" "$dir/$f"; done
mkdir -p "$dir/intl"
cp "$intl/libfbintl.so" "$dir/intl/libfbintl.so"
cp "$root/plugins.conf" "$dir/plugins.conf"
: > "$dir/databases.conf"
export FIREBIRD="$dir" FIREBIRD_LOCK="$dir/lock"

if [ ! -f "$dir/security3.fdb" ]; then
  cat > "$dir/firebird.conf" <<EOF
SecurityDatabase = $dir/security3.fdb
RemoteBindAddress = 127.0.0.1
ServerMode = Super
AuthServer = Srp
UserManager = Srp
EOF
  sysdba=$(head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n')
  echo "create database '$dir/security3.fdb';" | "$isql" -q >/dev/null
  "$isql" -q -user SYSDBA "$dir/security3.fdb" >/dev/null <<EOF
create user SYSDBA password '$sysdba';
create user $user password '$password';
commit;
grant create database to user $user;
commit;
EOF
fi

wanted="${5:-}"
# A free port: the first that nobody answers on and on which the server stays up.
for _ in $(seq 1 20); do
  port=${wanted:-$((20000 + RANDOM % 30000))}
  listening "$port" && continue
  sed -i '/^RemoteServicePort/d' "$dir/firebird.conf"
  echo "RemoteServicePort = $port" >> "$dir/firebird.conf"
  "$server" </dev/null >"$dir/server.log" 2>&1 &
  echo $! > "$dir/server.pid"
  for _ in $(seq 1 100); do
    if listening "$port"; then echo "$port"; exit 0; fi
    kill -0 "$(cat "$dir/server.pid")" 2>/dev/null || break
    sleep 0.1
  done
  stop
  [ -n "$wanted" ] && sleep 1
done
echo "Der Firebird-Server startet nicht; siehe $dir/server.log" >&2
exit 1
