// trading-signals' side of bench/compare: the suite as streaming indicators.
// Bulk feeds every bar once (add); a tick replaces the newest bar (replace);
// an append adds one bar. Indicators that follow another (a signal line, an
// average of a result) are fed that result, as the formulas do.
//   node ts_suite.mjs BARS_FILE BIG SMALL BATCHES
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const ts = await import(pathToFileURL(path.join(here, '..', 'node_modules', 'trading-signals', 'dist', 'index.js')));
const version = createRequire(import.meta.url)(path.join(here, '..', 'node_modules', 'trading-signals', 'package.json')).version;
const { SMA, EMA, MACD, StochasticOscillator, RSI, BollingerBands, WilliamsR, CCI, ATR, ROC, TRIX } = ts;

const [file, bigArg, smallArg, batchesArg] = process.argv.slice(2);
const big = Number(bigArg), small = Number(smallArg), batches = Number(batchesArg);
const buf = readFileSync(file);
const all = new Float64Array(buf.buffer, buf.byteOffset, 5 * big);
const col = (k) => all.subarray(k * big, (k + 1) * big);
const high = col(1), low = col(2), close = col(3);

// Feeds `result` of `first` into `next` when there is one.
function chain(first, next) {
  return (v, r) => {
    const x = first(v, r);
    if (x !== null && x !== undefined) next.update(Number(x), r);
  };
}

// One object per suite formula: update(candle, replace).
function makeSuite() {
  const f = [];
  const ma = [5, 10, 20, 60].map((n) => new SMA(n));
  f.push((b, r) => ma.forEach((i) => i.update(b.close, r)));
  const macd = new MACD(new EMA(12), new EMA(26), new EMA(9));
  f.push((b, r) => macd.update(b.close, r));
  const kdj = new StochasticOscillator({ kPeriod: 9, kSlowingPeriod: 3, dPeriod: 3 });
  f.push((b, r) => kdj.update(b, r));
  const rsi = [6, 12, 24].map((n) => new RSI(n));
  f.push((b, r) => rsi.forEach((i) => i.update(b.close, r)));
  const boll = new BollingerBands(20, 2);
  f.push((b, r) => boll.update(b.close, r));
  const wr = [10, 6].map((n) => new WilliamsR(n));
  f.push((b, r) => wr.forEach((i) => i.update(b, r)));
  const cci = new CCI(14);
  f.push((b, r) => cci.update(b, r));
  const atr = new ATR(14, SMA);
  f.push((b, r) => atr.update(b, r));
  const bias = [6, 12, 24].map((n) => new SMA(n));
  f.push((b, r) => bias.forEach((i) => { const m = i.update(b.close, r); if (m) void ((b.close - m) / m); }));
  const roc = new ROC(12), maroc = new SMA(6);
  f.push(chain((b, r) => roc.update(b.close, r), maroc));
  const trix = new TRIX(12), matrix = new SMA(9);
  f.push(chain((b, r) => trix.update(b.close, r), matrix));
  const d10 = new SMA(10), d50 = new SMA(50), difma = new SMA(10);
  f.push((b, r) => {
    const a = d10.update(b.close, r), c = d50.update(b.close, r);
    if (a !== null && c !== null) difma.update(a - c, r);
  });
  return f;
}

const candle = (i) => ({ high: high[i], low: low[i], close: close[i] });
const cpu = () => { const u = process.cpuUsage(); return (u.user + u.system) / 1e6; };
const median = (v) => { const s = [...v].sort((a, b) => a - b); const m = s.length >> 1; return s.length % 2 ? s[m] : (s[m - 1] + s[m]) / 2; };

function feed(n) {
  const suite = makeSuite();
  for (let i = 0; i < n; ++i) { const b = candle(i); for (const f of suite) f(b, false); }
  return suite;
}

const bulkBig = median([0, 1, 2].map(() => { const t = cpu(); feed(big); return cpu() - t; }));
const bulkSmall = median(Array.from({ length: 11 }, () => { const t = cpu(); feed(small); return cpu() - t; }));

const perBatch = 100;
// A tick: the newest close moves by 1.0001, 0.9999, ...; high and low widen to hold it.
let suite = feed(small);
const last = candle(small - 1);
let factor = 1.0001;
const ticks = [];
for (let k = 0; k < batches; ++k) {
  const t = cpu();
  for (let j = 0; j < perBatch; ++j) {
    last.close *= factor; factor = 2 - factor;
    last.high = Math.max(last.high, last.close); last.low = Math.min(last.low, last.close);
    const b = { high: last.high, low: last.low, close: last.close };
    for (const f of suite) f(b, true);
  }
  ticks.push((cpu() - t) / perBatch);
}
// An append: bar small, small + 1, ... of the same walk.
suite = feed(small);
let next = small;
const appends = [];
for (let k = 0; k < batches; ++k) {
  const t = cpu();
  for (let j = 0; j < perBatch; ++j) { const b = candle(next++); for (const f of suite) f(b, false); }
  appends.push((cpu() - t) / perBatch);
}
console.log(JSON.stringify({ bulk_big: bulkBig, bulk_small: bulkSmall, tick: median(ticks), append: median(appends), version }));
