#!/usr/bin/env bash
# Installs the Debian packages needed to build and test the ODBC import plug-in:
# the Qt 5 toolchain (with Qt Svg), libpq for the benchmark's floor program, Graphviz's layout library for the host's diagram, unixODBC with
# the PostgreSQL, MariaDB, SQLite and FreeTDS drivers, and the PostgreSQL / MariaDB / SQLite engines the tests start themselves.
# Safe to run again: apt is skipped entirely when everything is already installed.
set -euo pipefail

PACKAGES=(
  cmake g++ make qtbase5-dev libqt5sql5-odbc libqt5sql5-sqlite
  unixodbc unixodbc-dev odbc-postgresql odbc-mariadb libsqliteodbc tdsodbc odbc-mdbtools mdbtools
  postgresql mariadb-server mariadb-client sqlite3 libsqlite3-dev
  xvfb xauth x11-utils fonts-dejavu-core qttools5-dev-tools python3
  pkg-config libgraphviz-dev libqt5svg5-dev libpq-dev
)
# ODBC driver names the tests connect through (as registered in odbcinst.ini).
DRIVERS=("PostgreSQL Unicode" "MariaDB Unicode" "SQLite3" "FreeTDS")

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

# `dpkg -s` also answers for removed packages whose config files remain, so read the
# status line instead of trusting the exit code.
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg -s "$p" 2>/dev/null | grep -x -q 'Status: install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#PACKAGES[@]} packages already installed"
else
  echo "setup: installing ${missing[*]}"
  # The tests run their own throwaway servers on free ports; the system PostgreSQL and
  # MariaDB services must not start during the install and hold 5432/3306. A policy-rc.d
  # that answers 101 tells the packages' post-install scripts not to start them. An
  # existing one (containers ship one) is left as it is.
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | $SUDO tee /usr/sbin/policy-rc.d >/dev/null
    $SUDO chmod 755 /usr/sbin/policy-rc.d
    trap '$SUDO rm -f /usr/sbin/policy-rc.d' EXIT
  fi
  $SUDO apt-get update
  $SUDO env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"
  # On a machine booted with systemd, servers installed just now would still start at the
  # next boot; keep them off since the tests start their own. A server that was already
  # installed is someone's choice and left alone.
  if [ -d /run/systemd/system ]; then
    if [[ " ${missing[*]} " == *" postgresql "* ]]; then $SUDO systemctl disable --now postgresql || true; fi
    if [[ " ${missing[*]} " == *" mariadb-server "* ]]; then $SUDO systemctl disable --now mariadb || true; fi
  fi
fi

# The plug-in and its tests reach the databases only through these ODBC drivers.
registered=$(odbcinst -q -d)
absent=()
for d in "${DRIVERS[@]}"; do
  grep -qxF "[$d]" <<<"$registered" || absent+=("$d")
done
if [ ${#absent[@]} -ne 0 ]; then
  echo "setup: ERROR: ODBC drivers not registered: ${absent[*]}" >&2
  echo "setup: odbcinst -q -d lists:" >&2
  echo "$registered" >&2
  exit 1
fi
echo "setup: ODBC drivers present: ${DRIVERS[*]}"
