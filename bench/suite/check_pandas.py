#!/usr/bin/env python3
"""Runs every indicator of the suite through `abacor run` on the sample bars and
compares each output with the pandas expression its file states.

Exit codes: 0 agreement, 1 disagreement or failure, 77 pandas is missing (skip).
"""
import argparse
import io
import pathlib
import re
import subprocess
import sys

try:
    import numpy as np
    import pandas as pd
except ImportError:
    print("SKIP: pandas is not installed (apt-get install python3-pandas)")
    sys.exit(77)

EPS = float(np.float32(1e-7))  # the engine's tolerance of zero tests
WARMUP = 120                    # rows left out at the start


def div(a, b):
    """Division as the formula language does it: a divisor of magnitude <= EPS gives 0."""
    a, b = pd.Series(a), pd.Series(b)
    out = a / b
    out[(b.abs() <= EPS)] = 0.0
    out[a.isna() | b.isna()] = np.nan
    return out


def f32(v):
    """A number as the formula language holds it: single precision."""
    return float(np.float32(v))


def ema(x, n):
    return x.ewm(alpha=2.0 / (n + 1), adjust=False).mean()


def sma(x, n, m):
    return x.ewm(alpha=m / n, adjust=False).mean()


def ref(x, n):
    """REF: n bars back; before the first bar it answers the first bar's value."""
    out = x.shift(n)
    out.iloc[:n] = x.iloc[0]
    return out


def hhv(x, n):
    return x.rolling(n, min_periods=1).max()


def llv(x, n):
    return x.rolling(n, min_periods=1).min()


def maxv(x, y):
    return np.maximum(x, y)


def avedev(x, n):
    return x.rolling(n).apply(lambda w: np.abs(w - w.mean()).mean(), raw=True)


def truerange(h, l, c):
    pc = ref(c, 1)
    return pd.concat([h - l, (pc - h).abs(), (pc - l).abs()], axis=1).max(axis=1, skipna=False)


def pandas_block(text):
    m = re.search(r"pandas:\s*\n(.*?)\}", text, re.S)
    if not m:
        raise ValueError("no pandas block")
    return [line.strip() for line in m.group(1).splitlines() if line.strip()]


def run_engine(cli, bars, formula_file):
    out = subprocess.run([cli, "run", "--bars", str(bars), "--formula", "@" + str(formula_file),
                          "--format", "csv"], capture_output=True, text=True, check=False)
    if out.returncode != 0:
        raise RuntimeError(f"{formula_file.name}: abacor run failed: {out.stderr.strip()}")
    return pd.read_csv(io.StringIO(out.stdout))


def compare(name, ours, theirs, rtol):
    a = ours.to_numpy(dtype=float)[WARMUP:]
    b = theirs.to_numpy(dtype=float)[WARMUP:]
    both = ~np.isnan(a) & ~np.isnan(b)
    mismatch_nan = np.isnan(a) != np.isnan(b)
    if mismatch_nan.any():
        i = int(np.argmax(mismatch_nan)) + WARMUP
        return f"{name}: value present on one side only at bar {i} (ours {ours.iloc[i]}, pandas {theirs.iloc[i]})"
    # Relative agreement; values that are zero up to rounding (a flat window) are
    # compared on the scale of the indicator instead.
    scale = float(np.nanmedian(np.abs(b))) if both.any() else 0.0
    bad = both & ~np.isclose(a, b, rtol=rtol, atol=rtol * scale)
    if bad.any():
        i = int(np.argmax(bad)) + WARMUP
        return f"{name}: bar {i}: ours {ours.iloc[i]!r}, pandas {theirs.iloc[i]!r}"
    return None


def main():
    here = pathlib.Path(__file__).resolve().parent
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True, help="the abacor command line")
    ap.add_argument("--bars", default=str(here.parent.parent / "data" / "daily-ohlcv.csv"))
    ap.add_argument("--rtol", type=float, default=1e-9)
    args = ap.parse_args()
    raw = pd.read_csv(args.bars)
    env = {"o": raw["Open"], "h": raw["High"], "l": raw["Low"], "c": raw["Close"], "v": raw["Volume"],
           "np": np, "pd": pd, "div": div, "ema": ema, "sma": sma, "ref": ref, "hhv": hhv, "llv": llv,
           "maxv": maxv, "f32": f32, "avedev": avedev, "truerange": truerange}
    failures, checked = [], 0
    for f in sorted(here.glob("*.txt")):
        text = f.read_text()
        ours = run_engine(args.cli, args.bars, f)
        scope = dict(env)
        for line in pandas_block(text):
            target, expr = line.split("=", 1)
            scope[target.strip()] = eval(expr, scope)  # the suite's own files
        code = re.sub(r"\{.*?\}", " ", text, flags=re.S)
        outputs = re.findall(r"^\s*([A-Za-z_][A-Za-z0-9_]*)\s*:(?!=)", code, re.M)
        for name in outputs:
            column = next((c for c in ours.columns if c.lower() == name.lower()), None)
            if column is None:
                failures.append(f"{f.name}: output {name} missing from the engine's table")
                continue
            problem = compare(f"{f.name} {name}", ours[column], pd.Series(scope[name]), args.rtol)
            checked += 1
            if problem:
                failures.append(problem)
    for p in failures:
        print("FAIL", p)
    print(f"{checked - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
