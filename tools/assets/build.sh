#!/usr/bin/env bash
# Rebuilds every picture, sound and clip under assets/ from the sources in this folder.
# Installs the Debian packages it needs first (see README.md).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

missing=()
while read -r pkg _; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done < "$here/packages.txt"
if ((${#missing[@]})); then
  sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Debian's interpreter, where python3-cairo and python3-numpy live (not a virtualenv's).
exec /usr/bin/python3 "$here/generate.py" --assets "$root/assets" --sheet "$here/contact-sheet.png" "$@"
