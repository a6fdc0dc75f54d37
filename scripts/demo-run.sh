#!/usr/bin/env bash
# The demo itself: classic indicators on the shipped sample.
set -euo pipefail
abacor="$1"
"$abacor" --help || true
