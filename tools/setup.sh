#!/usr/bin/env bash
# The set-up command: installs what a fresh Debian 12 machine lacks to build
# Vendrel, builds the program alone (no tests, no benchmarks), installs it and
# converts the bundled example.
#
#   bash tools/setup.sh [--prefix DIR]
#
# The prefix is /usr/local for root and ~/.local for anybody else; the
# program goes to DIR/bin, its windows' module (built where wxWidgets is
# installed) to DIR/lib/vendrel, the user guide to DIR/share/doc/vendrel.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then prefix=/usr/local; else prefix="$HOME/.local"; fi
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --prefix=*) prefix=${1#--prefix=}; shift ;;
    *) echo "usage: bash tools/setup.sh [--prefix DIR]" >&2; exit 2 ;;
  esac
done
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)

bash tools/install_packages.sh g++ cmake make

echo "=== building vendrel ==="
cmake -S . -B build/program -DCMAKE_BUILD_TYPE=Release -DVENDREL_TESTS=OFF -DVENDREL_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix" > /dev/null
cmake --build build/program -j "$(nproc)"
echo "=== installing into $prefix ==="
cmake --install build/program

echo "=== converting examples/quarterly_report.txt ==="
"$prefix/bin/vendrel" examples/quarterly_report.txt < /dev/null
echo "Written: $(pwd)/examples/quarterly_report.html"

case ":$PATH:" in
  *":$prefix/bin:"*) echo "vendrel is installed as $prefix/bin/vendrel" ;;
  *)
    echo "vendrel is installed as $prefix/bin/vendrel, but $prefix/bin is not on your PATH yet."
    echo "For this shell:"
    echo "  export PATH=\"$prefix/bin:\$PATH\""
    if [ "$prefix" = "$HOME/.local" ]; then
      echo "Debian's ~/.profile puts ~/.local/bin on the PATH from your next login on."
    else
      echo "For later logins:"
      echo "  echo 'export PATH=\"$prefix/bin:\$PATH\"' >> ~/.profile"
    fi
    ;;
esac
