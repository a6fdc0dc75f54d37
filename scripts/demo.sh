#!/usr/bin/env bash
# Installs what is missing, builds, and runs the demo on the shipped sample.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
if [ -x build/host/abacor ]; then
  bash scripts/demo-run.sh build/host/abacor
fi
