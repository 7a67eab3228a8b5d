#!/usr/bin/env bash
# Makes docs/main_window.png (and in German docs/main_window_de.png),
# docs/status_window.png and docs/output_sheet.png,
# the pictures of the windows shown in the README: runs the window-shots program of a build with
# the front end (build/release by default) on its own Xvfb display, with a
# scratch settings folder and a few hundred small tables to convert, so that
# the status window is caught in the middle of a run.  Run by hand after a
# change to the windows; CI does not run it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
cmake --build "$build" --target vendrel_window_shots > /dev/null
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/input"
for i in $(seq -w 1 300); do
  {
    echo "Quarterly figures, part $i"
    echo
    echo "Region     Q1     Q2     Q3     Q4"
    for region in North South East West Central; do
      echo "$region   $((RANDOM % 900 + 100))    $((RANDOM % 900 + 100))    $((RANDOM % 900 + 100))    $((RANDOM % 900 + 100))"
    done
  } > "$scratch/input/part$i.txt"
done
for picture in main main_de status sheet; do
  XDG_CONFIG_HOME="$scratch/config" GDK_GL=disable timeout 120 \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/vendrel_window_shots" $picture "$(pwd)/docs" "$scratch/input"
done
