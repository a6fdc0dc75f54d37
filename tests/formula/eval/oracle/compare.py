#!/usr/bin/python3
"""Compares the engine's indicator columns with pandas on the same bars.

usage: compare.py BARS_CSV OURS_CSV

BARS_CSV is the shipped daily sample (Date, Open, High, Low, Close, Volume);
OURS_CSV has one column per indicator, named as below, with an empty field
where the engine has no value. Warm-up rows (where the reference has no
value yet) are left out. Exit 0 when every value agrees within 1e-9
relative, 1 on a mismatch, 77 when pandas is missing.
"""
import sys

try:
    import numpy as np
    import pandas as pd
except ImportError:
    print("pandas or numpy is not installed")
    sys.exit(77)

REL = 1e-9
ABS_FLOOR = 1e-12


def windows(values, n):
    """Rows of the n-bar windows ending at each bar (NaN rows before n bars)."""
    out = np.full((len(values), n), np.nan)
    view = np.lib.stride_tricks.sliding_window_view(values, n)
    out[n - 1:] = view
    return out


def wma(s, n):
    w = np.arange(1, n + 1, dtype=float)
    return pd.Series(windows(s.to_numpy(), n) @ w / w.sum())


def avedev(s, n):
    win = windows(s.to_numpy(), n)
    return pd.Series(np.abs(win - win.mean(axis=1, keepdims=True)).mean(axis=1))


def slope(s, n):
    t = np.arange(n, dtype=float)
    t -= t.mean()
    win = windows(s.to_numpy(), n)
    return pd.Series((win - win.mean(axis=1, keepdims=True)) @ t / np.dot(t, t))


def covar(x, y, n):
    wx, wy = windows(x.to_numpy(), n), windows(y.to_numpy(), n)
    dx = wx - wx.mean(axis=1, keepdims=True)
    dy = wy - wy.mean(axis=1, keepdims=True)
    return pd.Series((dx * dy).sum(axis=1) / (n - 1))


def relate(x, y, n):
    wx, wy = windows(x.to_numpy(), n), windows(y.to_numpy(), n)
    dx = wx - wx.mean(axis=1, keepdims=True)
    dy = wy - wy.mean(axis=1, keepdims=True)
    return pd.Series((dx * dy).sum(axis=1) / np.sqrt((dx * dx).sum(axis=1) * (dy * dy).sum(axis=1)))


def references(bars):
    o, h, l, c, v = bars.Open, bars.High, bars.Low, bars.Close, bars.Volume
    return {
        "MA20": c.rolling(20).mean(),
        "EMA12": c.ewm(span=12, adjust=False).mean(),
        "SMA9_2": c.ewm(alpha=2 / 9, adjust=False).mean(),
        "WMA10": wma(c, 10),
        "SUM10": c.rolling(10).sum(),
        "SUMV5": v.rolling(5).sum(),
        "HHV20": h.rolling(20).max(),
        "LLV20": l.rolling(20).min(),
        "STD20": c.rolling(20).std(ddof=1),
        "STDP20": c.rolling(20).std(ddof=0),
        "VAR20": c.rolling(20).var(ddof=1),
        "AVEDEV14": avedev(c, 14),
        "SLOPE14": slope(c, 14),
        "COVAR20": covar(c, o, 20),
        "RELATE20": relate(c, v, 20),
    }


def main():
    bars = pd.read_csv(sys.argv[1])
    ours = pd.read_csv(sys.argv[2])
    if len(ours) != len(bars):
        print(f"row count {len(ours)} differs from the bars' {len(bars)}")
        return 1
    failures = 0
    for name, ref in references(bars).items():
        if name not in ours:
            print(f"{name}: missing from the engine's output")
            failures += 1
            continue
        got = ours[name].to_numpy(dtype=float)
        want = ref.to_numpy(dtype=float)
        rows = ~np.isnan(want)
        missing = rows & np.isnan(got)
        tol = np.maximum(REL * np.maximum(np.abs(got), np.abs(want)), ABS_FLOOR)
        bad = rows & ~np.isnan(got) & (np.abs(got - want) > tol)
        worst = np.nanmax(np.where(rows & ~np.isnan(got), np.abs(got - want) / np.maximum(np.abs(want), ABS_FLOOR), 0))
        status = "ok" if not missing.any() and not bad.any() else "MISMATCH"
        print(f"{name:9s} rows={rows.sum():5d} worst relative difference={worst:.2e} {status}")
        for i in np.flatnonzero(missing | bad)[:5]:
            print(f"    row {i}: engine {got[i]!r} pandas {want[i]!r}")
        failures += int(missing.any() or bad.any())
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
