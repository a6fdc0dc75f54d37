#!/usr/bin/env bash
# Every example of the language reference runs on the shipped sample and gives
# at least one value, except the fields and functions whose data the reference
# host does not supply.
# usage: examples_run.sh GENERATOR CLI DATA_FILE BARS_CSV
set -uo pipefail
gen="$1" cli="$2" data="$3" bars="$4"
# Host-supplied data the reference host has none of.
no_value=" AMOUNT PER TURNOVER VOLA IV TOTALVOL TOTALAMOUNT CAPITAL TOTALFZNUM FROMOPEN "
list="$("$gen" --data "$data" --examples)" || exit 1
failures=0
count=0
while IFS=$'\t' read -r name formula; do
  count=$((count + 1))
  out="$("$cli" run --bars "$bars" --format csv --formula "$formula" 2>&1)"
  if [ $? -ne 0 ]; then
    echo "$name: \"$formula\" fails: $out"
    failures=$((failures + 1))
    continue
  fi
  # A value is a non-empty cell after the bar and date columns.
  if tail -n +2 <<< "$out" | cut -d, -f3- | grep '[0-9]' >/dev/null; then
    [[ "$no_value" == *" $name "* ]] && { echo "$name: expected no value on the reference host"; failures=$((failures + 1)); }
  elif [[ "$no_value" != *" $name "* ]]; then
    echo "$name: \"$formula\" gives no value on any bar"
    failures=$((failures + 1))
  fi
done <<< "$list"
echo "$count examples, $failures failing"
[ "$count" -gt 100 ] && [ "$failures" -eq 0 ]
