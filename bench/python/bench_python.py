#!/usr/bin/python3
"""The Python package against the engine, timed in one run.

1. Formula.run over 1,000,000 bars against the C++ bulk calculation of the same
   formula over the same bars (build/bench/abacor_bulk_timer: compile,
   calculate, publish, read every output): process CPU time, medians.
2. abacor.screen with 1 and with 2 worker threads over 1,000 symbols x 2,500
   bars: wall time and process CPU time, medians, and the minor page faults
   of one screen (which do not depend on the machine's load).
3. abacor.dask.screen of the same market, written as CSV files, on a
   two-worker LocalCluster: wall time; the table must equal abacor.screen's.

    PYTHONPATH=build/python bench/python/bench_python.py [--build build]
"""
import argparse
import os
import pathlib
import resource
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np
import pandas as pd

FORMULA = "golden:cross(ma(close,20),ma(close,50)); ma20:ma(close,20); ma50:ma(close,50); e:ema(close,12);"


def walk(rng, n, start="1990-01-01", freq="min"):
    close = 20.0 * np.exp(np.cumsum(rng.normal(0.0, 0.01, n)))
    open_ = np.concatenate(([20.0], close[:-1]))
    high = np.maximum(open_, close) * (1 + rng.uniform(0, 0.01, n))
    low = np.minimum(open_, close) * (1 - rng.uniform(0, 0.01, n))
    volume = rng.uniform(1e5, 5e6, n).round()
    index = pd.date_range(start, periods=n, freq=freq)
    return pd.DataFrame({"open": open_, "high": high, "low": low, "close": close, "volume": volume}, index=index)


def cpu_median(work, reps):
    times = []
    for _ in range(reps):
        start = time.process_time()
        work()
        times.append(time.process_time() - start)
    return statistics.median(times)


def both_median(work, reps):
    walls, cpus = [], []
    for _ in range(reps):
        wall, cpu = time.perf_counter(), time.process_time()
        work()
        walls.append(time.perf_counter() - wall)
        cpus.append(time.process_time() - cpu)
    return statistics.median(walls), statistics.median(cpus)


def minor_faults(work):
    before = resource.getrusage(resource.RUSAGE_SELF).ru_minflt
    work()
    return resource.getrusage(resource.RUSAGE_SELF).ru_minflt - before


def bench_run(abacor, timer, reps):
    bars = walk(np.random.default_rng(1), 1_000_000)
    f = abacor.Formula(FORMULA)
    python_cpu = cpu_median(lambda: f.run(bars), reps)
    with tempfile.NamedTemporaryFile(suffix=".f64") as columns:
        for name in ("open", "high", "low", "close", "volume"):
            bars[name].to_numpy().tofile(columns)
        columns.flush()
        out = subprocess.run([timer, columns.name, str(len(bars)), FORMULA, str(reps)],
                             capture_output=True, text=True, check=True)
    cpp_cpu = float(out.stdout)
    print(f"run, 1,000,000 bars: Formula.run {python_cpu * 1e3:.1f} ms CPU, C++ bulk {cpp_cpu * 1e3:.1f} ms CPU,"
          f" ratio {python_cpu / cpp_cpu:.2f}")


def bench_screen(abacor, symbols, bars_each, reps, dask_too):
    rng = np.random.default_rng(2)
    market = {f"S{i:04d}": walk(rng, bars_each, "2000-01-03", "B").round(4) for i in range(symbols)}
    one = both_median(lambda: abacor.screen(FORMULA, market, workers=1), reps)
    two = both_median(lambda: abacor.screen(FORMULA, market, workers=2), reps)
    faults = [minor_faults(lambda: abacor.screen(FORMULA, market, workers=w)) for w in (1, 2)]
    print(f"screen, {symbols} x {bars_each} bars: 1 worker {one[0]:.3f} s wall ({one[1]:.3f} s CPU),"
          f" 2 workers {two[0]:.3f} s wall ({two[1]:.3f} s CPU), speed-up {one[0] / two[0]:.2f}x wall;"
          f" minor page faults of one screen: {faults[0]:,} with 1 worker, {faults[1]:,} with 2")
    if not dask_too:
        return
    from distributed import Client, LocalCluster

    with tempfile.TemporaryDirectory() as directory:
        paths = []
        for symbol, frame in market.items():
            path = pathlib.Path(directory) / f"{symbol}.csv"
            frame.to_csv(path, date_format="%Y-%m-%d", index_label="date")
            paths.append(str(path))
        frames = {pathlib.Path(p).stem: abacor.read_csv(p) for p in paths}
        threads = abacor.screen(FORMULA, frames, workers=2)
        with LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=None) as cluster, \
                Client(cluster) as client:
            abacor.dask.screen(FORMULA, paths[:10], client=client)  # workers warm (imports)
            start = time.perf_counter()
            table = abacor.dask.screen(FORMULA, paths, client=client)
            wall = time.perf_counter() - start
        read = both_median(lambda: {pathlib.Path(p).stem: abacor.read_csv(p) for p in paths}, 1)
        print(f"dask screen (2 process workers, reading the CSV files): {wall:.3f} s wall;"
              f" thread pool on frames already read: {two[0]:.3f} s, reading the files in this process {read[0]:.3f} s;"
              f" identical: {table.equals(threads)}")


def main():
    parser = argparse.ArgumentParser(description="Python package benchmark")
    parser.add_argument("--build", default="build")
    parser.add_argument("--reps", type=int, default=5)
    parser.add_argument("--symbols", type=int, default=1000)
    parser.add_argument("--bars", type=int, default=2500)
    parser.add_argument("--no-dask", action="store_true")
    args = parser.parse_args()
    package = str((pathlib.Path(args.build) / "python").resolve())
    sys.path.insert(0, package)
    # Dask's worker processes import the package too.
    os.environ["PYTHONPATH"] = os.pathsep.join(filter(None, [package, os.environ.get("PYTHONPATH")]))
    import abacor

    timer = str(pathlib.Path(args.build) / "bench" / "abacor_bulk_timer")
    if not os.path.exists(timer):
        sys.exit(f"{timer} is not built (cmake --build {args.build} --target abacor_bulk_timer)")
    print(f"machine: {os.cpu_count()} processors, load {os.getloadavg()[0]:.1f}; pandas {pd.__version__}")
    bench_run(abacor, timer, args.reps)
    bench_screen(abacor, args.symbols, args.bars, args.reps, not args.no_dask)
    return 0


if __name__ == "__main__":
    raise SystemExit(main())
