#!/usr/bin/env bash
# Measures the archive on both stores at growing sizes:
#
#   scripts/archive-bench.sh [BUILD_DIR] [SIZES...]     (default: build, 1000 10000 100000)
#
# For each size it makes a SQLite archive in a scratch folder and a
# PostgreSQL database on a server of its own (initdb and pg_ctl of Debian's
# postgresql-15, run as the postgres user when root, listening only on a
# Unix socket in the scratch folder), fills both with the same generated
# documents (bench/archive_bench.cpp) and prints what the driver measured.
# Then two processes add to one archive of each store at once. The scratch
# folder, with the server, goes when the script ends, however it ends.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
shift || true
sizes=("${@:-1000 10000 100000}")
read -r -a sizes <<<"${sizes[*]}"
driver=$build/bench/glenvary_archive_bench
[ -x "$driver" ] || { echo "archive-bench: build glenvary_archive_bench first" >&2; exit 1; }
bash "$repo/scripts/make-corpus.sh" "$build/corpus" >/dev/null
pgbin=/usr/lib/postgresql/15/bin
port=54331

scratch=$(mktemp -d /tmp/glenvary-archive-bench-XXXXXX)
as_server=()
if [ "$(id -u)" -eq 0 ]; then
  chown postgres: "$scratch"
  as_server=(runuser -u postgres --)
fi
stop() {
  "${as_server[@]}" "$pgbin/pg_ctl" -D "$scratch/pg" -m fast -w stop >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap stop EXIT
"${as_server[@]}" "$pgbin/initdb" -D "$scratch/pg" -A trust -U postgres -E UTF8 >/dev/null
"${as_server[@]}" "$pgbin/pg_ctl" -D "$scratch/pg" -l "$scratch/server.log" -w start \
  -o "-c listen_addresses='' -c unix_socket_directories=$scratch -p $port -c shared_buffers=2GB -c max_wal_size=8GB -c checkpoint_timeout=30min" >/dev/null
psql() { "$pgbin/psql" -q -h "$scratch" -p "$port" -U postgres "$@"; }
pg_address() { echo "postgresql:///$1?host=$scratch&port=$port&user=postgres"; }

for n in "${sizes[@]}"; do
  echo "== SQLite, $n documents"
  "$driver" --corpus "$build/corpus" --archive "$scratch/a$n.glenvary" --documents "$n"
  rm -f "$scratch/a$n.glenvary"*
  echo "== PostgreSQL, $n documents"
  psql -d postgres -c "CREATE DATABASE a$n"
  "$driver" --corpus "$build/corpus" --archive "$(pg_address "a$n")" --documents "$n"
  psql -d postgres -c "DROP DATABASE a$n"
done

# Two processes adding 5,000 documents each (other seeds) to one archive.
for store in sqlite postgresql; do
  if [ $store = sqlite ]; then target=$scratch/two.glenvary; else
    psql -d postgres -c "CREATE DATABASE two"; target=$(pg_address two); fi
  echo "== two processes adding to one $store archive at once"
  start=$(date +%s.%N)
  "$driver" --corpus "$build/corpus" --archive "$target" --documents 5000 --seed 11 --checks 0 >"$scratch/one.out" &
  first=$!
  "$driver" --corpus "$build/corpus" --archive "$target" --documents 5000 --seed 12 --checks 0 >"$scratch/two.out" &
  second=$!
  wait $first && wait $second
  echo "both_seconds: $(echo "$(date +%s.%N) - $start" | bc)"
  grep -h "^add_seconds\|^documents" "$scratch/one.out" "$scratch/two.out"
done
