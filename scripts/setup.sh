#!/usr/bin/env bash
# Installs what the builds, the tests and the demo need on a fresh Debian 12 machine (as root),
# generates the locales the tests use and makes the Wine prefix. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config libgtest-dev googletest
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine fonts-liberation
  samba smbclient
  xvfb xdotool x11-apps imagemagick
  locales iproute2 procps
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# English and Russian UTF-8 locales (Russian for the localized texts, natively and under Wine).
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf8$' || ! locale -a 2>/dev/null | grep -qi '^en_US\.utf8$'; then
  sed -i -E 's/^# *(ru_RU\.UTF-8 UTF-8)/\1/; s/^# *(en_US\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
  grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

# The Wine prefix: the first start takes several seconds, so make it once here.
export WINEDEBUG=-all
if [ ! -f "${WINEPREFIX:-$HOME/.wine}/system.reg" ]; then
  wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
  wineserver -w || true
fi
