#!/usr/bin/env bash
# Installs the built library into a temporary prefix, then configures, builds
# and runs the consumer project against it with find_package(abacor).
set -euo pipefail
build="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$(dirname "$0")" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
LD_LIBRARY_PATH="$work/prefix/lib" "$work/consumer/consumer"
