#!/usr/bin/env bash
# Renders the program's icon, assets/korlo-log-analyzer.svg, into what the builds take, and
# commits nothing itself: assets/icons/korlo-log-analyzer-N.png (the Linux desktop entry's and
# the Qt window's sizes) and assets/korlo-log-analyzer.ico (the Windows program's, all sizes in
# one file). Run it after changing the drawing; needs librsvg2-bin and imagemagick.
set -euo pipefail
cd "$(dirname "$0")/.."
"$(dirname "$0")/install-deps.sh" librsvg2-bin imagemagick

svg=assets/korlo-log-analyzer.svg
mkdir -p assets/icons
pngs=()
for size in 16 24 32 48 64 128 256; do
  png=assets/icons/korlo-log-analyzer-$size.png
  rsvg-convert -w "$size" -h "$size" "$svg" -o "$png"
  pngs+=("$png")
done
convert "${pngs[@]}" -strip assets/korlo-log-analyzer.ico
ls -l assets/korlo-log-analyzer.ico "${pngs[@]}"
