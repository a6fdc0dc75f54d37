#!/usr/bin/python3
"""A synthetic market screened for golden crosses, three ways.

Makes N symbols x M daily bars (seeded random walks, one CSV file per symbol),
then finds the symbols whose 20-bar average crossed above their 50-bar average
on the last bar: in-process (Formula.run per symbol), on a thread pool
(abacor.screen) and on a two-worker dask.distributed LocalCluster
(abacor.dask.screen). Prints the timings and the symbols found.

    python/examples/screen_market.py --symbols 500 --bars 2500
"""
import argparse
import os
import pathlib
import tempfile
import time

import numpy as np
import pandas as pd

import abacor

GOLDEN = "golden:cross(ma(close,20),ma(close,50)); ma20:ma(close,20); ma50:ma(close,50);"


def write_market(directory, symbols, bars, seed):
    """Seeded random walks, written as CSV files named by symbol."""
    rng = np.random.default_rng(seed)
    dates = pd.bdate_range("2010-01-04", periods=bars).strftime("%Y-%m-%d")
    paths = []
    for i in range(symbols):
        close = 20.0 * np.exp(np.cumsum(rng.normal(0.0, 0.015, bars)))
        open_ = np.concatenate(([20.0], close[:-1]))
        high = np.maximum(open_, close) * (1 + rng.uniform(0, 0.01, bars))
        low = np.minimum(open_, close) * (1 - rng.uniform(0, 0.01, bars))
        volume = rng.integers(100_000, 5_000_000, bars)
        rows = "\n".join(f"{d},{o:.4f},{h:.4f},{l:.4f},{c:.4f},{v}"
                         for d, o, h, l, c, v in zip(dates, open_, high, low, close, volume))
        path = pathlib.Path(directory) / f"S{i:05d}.csv"
        path.write_text("date,open,high,low,close,volume\n" + rows + "\n")
        paths.append(str(path))
    return paths


def timed(label, work):
    wall, cpu = time.perf_counter(), time.process_time()
    result = work()
    print(f"{label:<34} {time.perf_counter() - wall:8.3f} s wall {time.process_time() - cpu:8.3f} s CPU (this process)")
    return result


def in_process(frames):
    f = abacor.Formula(GOLDEN)
    rows = {symbol: f.run(bars).iloc[-1] for symbol, bars in frames.items()}
    return pd.DataFrame.from_dict(rows, orient="index")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--symbols", type=int, default=300)
    parser.add_argument("--bars", type=int, default=1000)
    parser.add_argument("--workers", type=int, default=2, help="threads of the pool")
    parser.add_argument("--seed", type=int, default=20061229)
    parser.add_argument("--dir", help="where to write the CSV files (default: a temporary folder)")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as scratch:
        directory = args.dir or scratch
        os.makedirs(directory, exist_ok=True)
        paths = timed(f"write {args.symbols} x {args.bars} bars", lambda: write_market(
            directory, args.symbols, args.bars, args.seed))
        frames = timed("read them (abacor.read_csv)", lambda: {
            pathlib.Path(p).stem: abacor.read_csv(p) for p in paths})

        plain = timed("in-process (Formula.run each)", lambda: in_process(frames))
        pooled = timed(f"thread pool ({args.workers} workers)", lambda: abacor.screen(
            GOLDEN, frames, workers=args.workers))

        from distributed import Client, LocalCluster

        with LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=None) as cluster, \
                Client(cluster) as client:
            dask = timed("Dask LocalCluster (2 workers)", lambda: abacor.dask.screen(
                GOLDEN, paths, client=client))

    outputs = abacor.Formula(GOLDEN).outputs
    same = (np.array_equal(plain[outputs].to_numpy(float), pooled[outputs].to_numpy(float), equal_nan=True)
            and pooled.equals(dask))
    print("the three screens agree" if same else "THE SCREENS DISAGREE")
    failed = pooled[pooled["error"].notna()]
    found = pooled.index[pooled["golden"] == 1].tolist()
    print(f"golden cross on the last bar: {len(found)} of {len(pooled)} symbols: {' '.join(found)}")
    if len(failed):
        print(f"failed: {failed['error'].to_dict()}")
    return 0 if same else 1


if __name__ == "__main__":
    raise SystemExit(main())
