#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Glenvary need.
# Quiet and quick when everything is already there; uses sudo when not root.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config make
  libgtest-dev libgmock-dev libbenchmark-dev
  libicu-dev libcli11-dev nlohmann-json3-dev
  libzip-dev libpugixml-dev libpoppler-private-dev
  libsqlite3-dev libzstd-dev libpq-dev
  # The archive's tests start a PostgreSQL 15 server of their own (initdb
  # and pg_ctl); they never use the cluster that the package may set up.
  postgresql-15
  libreoffice-writer-nogui
  qt6-base-dev qt6-base-dev-tools libgl-dev libglib2.0-dev zlib1g-dev
  fonts-dejavu-core xvfb xauth
  valgrind clang-14 libclang-rt-14-dev
  # make package (dpkg-shlibdeps) and its tests: the metadata validated,
  # the package linted, its manual pages looked up once installed.
  dpkg-dev file appstream desktop-file-utils lintian man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
