#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test Kestrin Chess.
# Usage: scripts/deps.sh [extra Debian packages...]
set -euo pipefail
needed=(cmake ninja-build g++ libgtest-dev gaviotatb libgaviotatb-dev "$@")
missing=()
for pkg in "${needed[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
