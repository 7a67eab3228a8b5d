#!/usr/bin/env bash
# Installs the Debian packages named as arguments that are not installed yet:
# as root directly, otherwise through sudo.  Nothing is done (and sudo is not
# asked for) when every package is there already.
set -euo pipefail
need=()
for pkg in "$@"; do
  dpkg -s "$pkg" > /dev/null 2>&1 || need+=("$pkg")
done
[ ${#need[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo > /dev/null 2>&1; then
  as_root=(sudo)
else
  echo "These packages are missing: ${need[*]}" >&2
  echo "Install them as root (apt-get install ${need[*]}) and run this again." >&2
  exit 1
fi
echo "Installing ${need[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
