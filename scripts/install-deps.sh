#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages/<list>.txt that are missing.
# Usage: install-deps.sh build [test ...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wanted=()
for list in "$@"; do
  while read -r pkg _; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    wanted+=("$pkg")
  done < "$here/packages/$list.txt"
done
missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if ((${#missing[@]})); then
  sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
