"""The market screen on a dask.distributed cluster.

    from distributed import Client, LocalCluster
    client = Client(LocalCluster(n_workers=2, threads_per_worker=1))
    table = abacor.dask.screen("up:cross(ma(close,20),ma(close,50));", "market/*.csv", client=client)

Each task reads its own CSV files on its worker (only paths and the small
result rows travel), so the table is exactly what `abacor.screen` returns for
the same files read with `abacor.read_csv`.
"""
import glob
import math
import os

import numpy as np
import pandas as pd

__all__ = ["screen"]


def _files(paths):
    if isinstance(paths, (str, os.PathLike)):
        files = sorted(glob.glob(os.fspath(paths)))
        if not files:
            raise ValueError(f"no file matches {os.fspath(paths)!r}")
        return files
    return [os.fspath(p) for p in paths]


def _symbol(path):
    return os.path.splitext(os.path.basename(path))[0]


def _screen_files(paths, text, params):
    """One task: reads its files and screens them on one thread."""
    import abacor

    frames, failures = {}, {}
    for path in paths:
        try:
            frames[_symbol(path)] = abacor.read_csv(path)
        except abacor.BarsError as e:
            failures[_symbol(path)] = str(e)
    part = abacor.screen(text, frames, params=params, workers=1)
    if not failures:
        return part
    return _with_failures(part, [_symbol(p) for p in paths], failures, text, params)


def _with_failures(part, symbols, failures, text, params):
    import abacor

    outputs = abacor.Formula(text, params).outputs
    values = np.full((len(symbols), len(outputs)), np.nan)
    errors = [failures.get(s) for s in symbols]
    for row, symbol in enumerate(symbols):
        if symbol in part.index:
            values[row] = part.loc[symbol, outputs].to_numpy(dtype=np.float64)
            errors[row] = part.loc[symbol].iloc[-1]
    return abacor._screen_frame(symbols, values, errors, outputs)


def screen(text, paths, client=None, params=None):
    """Screens CSV files (a list of paths, or one glob pattern) on a Dask
    cluster: one symbol per file, named by the file's stem. Returns the
    DataFrame `abacor.screen` returns for the same files: indexed by symbol in
    file order (a glob is sorted), each output at the last bar, and the
    "error" column naming why a symbol failed (None when it succeeded). A file
    that does not parse, or a task lost with its worker, fails only its own
    symbols. `client` defaults to the current dask.distributed client."""
    import abacor

    formula = abacor.Formula(text, params)  # a bad formula fails here, once
    files = _files(paths)
    symbols = [_symbol(p) for p in files]
    if len(set(symbols)) != len(symbols):
        raise ValueError("two files have the same name (stem); each file is one symbol")
    if not files:
        return abacor._screen_frame([], np.empty((0, len(formula.outputs))), [], formula.outputs)
    if client is None:
        from distributed import default_client

        try:
            client = default_client()
        except ValueError:
            raise ValueError("no Dask client: pass client= or create a distributed.Client first") from None
    workers = max(len(client.scheduler_info().get("workers", {})), 1)
    size = max(math.ceil(len(files) / (workers * 4)), 1)
    chunks = [files[i:i + size] for i in range(0, len(files), size)]
    futures = client.map(_screen_files, chunks, text=text, params=params, pure=False)
    parts = []
    for chunk, future in zip(chunks, futures):
        try:
            parts.append(future.result())
        except Exception as e:  # the task or its worker failed: only its symbols fail
            names = [_symbol(p) for p in chunk]
            failures = {s: f"{s}: the task failed on its worker: {type(e).__name__}: {e}" for s in names}
            parts.append(_with_failures(pd.DataFrame(), names, failures, text, params))
    return pd.concat(parts)
