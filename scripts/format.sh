#!/usr/bin/env bash
# Formats the tracked C++ sources with .clang-format (Debian's clang-format).
#   scripts/format.sh           rewrite the files in place
#   scripts/format.sh --check   list the files that would change; exit 1 if any
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is missing: bash scripts/deps.sh" >&2; exit 2; }
mode="${1:-}"
changed=0
while IFS= read -r -d '' file; do
  if [ "$mode" = "--check" ]; then
    if ! clang-format --style=file "$file" | cmp -s - "$file"; then
      echo "$file"
      changed=$((changed + 1))
    fi
  else
    clang-format --style=file -i "$file"
  fi
done < <(git ls-files -z -- '*.cpp' '*.h')
if [ "$mode" = "--check" ] && [ "$changed" -gt 0 ]; then
  echo "$changed files are not formatted" >&2
  exit 1
fi
