#!/usr/bin/env bash
# Renders the pictures of the drawing functions in docs/language.md: each
# entry's picture formula drawn by `abacor chart` on the sample data, then
# converted to PNG by rsvg-convert. Run after building (build/ by default).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
cli="$build/host/abacor"
gen="$build/tools/abacor_reference_gen"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
"$gen" --data "$root/docs/reference/language.txt" --pictures |
while IFS=$'\t' read -r name formula; do
  "$cli" chart --bars "$root/data/daily-ohlcv.csv" --from 5490 --to 5549 --size 640x260 \
    --pane "$formula" --svg "$tmp/$name.svg"
  rsvg-convert "$tmp/$name.svg" -o "$root/docs/pictures/$name.png"
  echo "docs/pictures/$name.png"
done
