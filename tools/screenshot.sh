#!/usr/bin/env bash
# Makes docs/example.png, the picture of the converted example shown in the
# README: converts examples/quarterly_report.txt with the given vendrel (the
# build's by default) in a scratch folder and takes a headless-browser
# screenshot of the result.  Run by hand after a change to the example or to
# its output; it needs Debian's chromium (apt-get install chromium).  CI does
# not run it.
set -euo pipefail
cd "$(dirname "$0")/.."
vendrel=${1:-build/release/vendrel}
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "chromium is missing: apt-get install chromium" >&2
  exit 1
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp examples/quarterly_report.txt "$scratch/"
# No desktop: the result is not opened in a browser of its own.
env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$scratch/config" "$vendrel" /SILENT "$scratch/quarterly_report.txt" < /dev/null
"$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir="$scratch/profile" \
  --window-size=400,200 --screenshot="$(pwd)/docs/example.png" "file://$scratch/quarterly_report.html" 2> /dev/null
ls -l docs/example.png
