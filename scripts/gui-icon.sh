#!/usr/bin/env bash
# Regenerates Res/qzsendw.ico (the icon of qzsendw, drawn by Res/qzsendw-icon.cpp) and, when
# ImageMagick is present, a magnified PNG preview of both images in /tmp for a look.
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
g++ -std=c++17 -O2 -Wall -Wextra -o "$tmp/qzsendw-icon" Res/qzsendw-icon.cpp
"$tmp/qzsendw-icon" Res/qzsendw.ico
if command -v convert >/dev/null; then
  convert 'Res/qzsendw.ico[0]' -scale 800% /tmp/qzsendw-icon-16c.png
  convert 'Res/qzsendw.ico[1]' -scale 800% /tmp/qzsendw-icon-256c.png
  echo "previews: /tmp/qzsendw-icon-16c.png /tmp/qzsendw-icon-256c.png"
fi
