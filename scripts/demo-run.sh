#!/usr/bin/env bash
# The demo: classic indicators on the shipped daily sample, then a chart of them.
set -euo pipefail
cd "$(dirname "$0")/.."
abacor="${1:-build/host/abacor}"
bars=data/daily-ohlcv.csv
show() { echo; echo "== $1"; shift; "$abacor" run --bars "$bars" --from 5540 --to 5549 "$@"; }

show "moving averages" --formula @bench/suite/ma.txt
show "MACD from EMA" --formula @bench/suite/macd.txt
show "KDJ stochastic (SMA, HHV, LLV)" --formula @bench/suite/kdj.txt
show "RSI with a parameter" --param n=14 \
  --formula 'LC:=REF(CLOSE,1); RSI:SMA(MAX(CLOSE-LC,0),N,1)/SMA(ABS(CLOSE-LC),N,1)*100;'
echo; echo "== a formula with a mistake"
"$abacor" run --bars "$bars" --formula $'MA5:MA(CLOSE,5);\nX:=MA5*(2+CLOSE;' || true

mkdir -p build/demo
"$abacor" chart --bars "$bars" --from 5300 --to 5549 \
  --pane 'DRAWKLINE(HIGH,OPEN,LOW,CLOSE); MA5:MA(CLOSE,5),COLORWHITE; MA10:MA(CLOSE,10),COLORYELLOW; MA20:MA(CLOSE,20),COLORMAGENTA; MA60:MA(CLOSE,60),COLORGREEN;' \
  --pane 'VOL,VOLSTICK; MAVOL5:MA(VOL,5),COLORWHITE; MAVOL10:MA(VOL,10),COLORYELLOW;' \
  --pane @bench/suite/macd.txt \
  --tools host/samples/demo-tools.json --svg build/demo/chart.svg
"$abacor" chart --bars "$bars" --from 5310 --to 5549 --size 1600x1000 \
  --pane 'PRICE:CLOSE,NODRAW;' --no-candles --price-range 40.5:53.5 --tools host/samples/gallery.json \
  --svg build/demo/gallery.svg
echo
echo "charts written: build/demo/chart.svg and build/demo/gallery.svg"
