#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Idempotent and quiet when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libqt6test6 libgl-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-server firebird3.0-utils
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-liberation xvfb xauth trayer xdotool imagemagick locales
  dpkg-dev lintian desktop-file-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Faltam pacotes (${missing[*]}); rode este script como root." >&2
  exit 1
fi

echo "Instalando: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The Debian service is never used: our tests start a private server.
if [ ! -e /usr/sbin/policy-rc.d ]; then
  printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d
  chmod +x /usr/sbin/policy-rc.d
  trap 'rm -f /usr/sbin/policy-rc.d' EXIT
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
