#!/usr/bin/env bash
# Installs every Debian package the program and its tests need. Idempotent;
# runs as root or through sudo.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config python3
  qt6-base-dev qt6-base-dev-tools
  libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc
  libsqlite3-dev sqlite3
  pxlib-dev libxlsxwriter-dev
  libpq-dev postgresql postgresql-client
  unixodbc unixodbc-dev odbc-postgresql
  libgtest-dev googletest libbenchmark-dev python3-openpyxl
  xvfb xauth
  fonts-ipafont-mincho fonts-ipafont-gothic
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "All packages present."
fi
