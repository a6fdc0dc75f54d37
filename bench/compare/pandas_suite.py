"""pandas' side of bench/compare: the suite's own pandas statements (the
`{ pandas: ... }` block of every bench/suite/*.txt, with the helpers of
check_pandas.py), timed as a pandas user must run them: the whole array for
bulk, and the whole 10,000-bar array again after a tick or an append."""
import importlib.util
import pathlib
import statistics
import time

import numpy as np
import pandas as pd

SUITE = pathlib.Path(__file__).resolve().parent.parent / "suite"


def _helpers():
    spec = importlib.util.spec_from_file_location("check_pandas", SUITE / "check_pandas.py")
    mod = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(mod)
    return mod


def _programs(names=None):
    mod = _helpers()
    env = {"np": np, "pd": pd}
    for name in ("div", "ema", "sma", "ref", "hhv", "llv", "maxv", "f32", "avedev", "truerange"):
        env[name] = getattr(mod, name)
    progs = []
    for f in sorted(SUITE.glob("*.txt")):
        if names is not None and f.stem not in names:
            continue
        lines = mod.pandas_block(f.read_text())
        progs.append([(t.strip(), compile(e.strip(), f.name, "eval")) for t, e in (ln.split("=", 1) for ln in lines)])
    return env, progs


def load(path, n):
    raw = np.fromfile(path, dtype="<f8", count=5 * n).reshape(5, n)
    return {"o": raw[0], "h": raw[1], "l": raw[2], "c": raw[3], "v": raw[4]}


def run_suite(env, progs, cols, n):
    base = dict(env)
    for k in ("o", "h", "l", "c", "v"):
        base[k] = pd.Series(cols[k][:n])
    for prog in progs:
        scope = dict(base)
        for target, code in prog:
            scope[target] = eval(code, scope)


def cpu(fn):
    t = time.process_time()
    fn()
    return time.process_time() - t


def measure(path, big, small, reps, recompute_reps=15, names=None):
    """CPU-time medians of the suite (or of the formulas named in `names`)."""
    env, progs = _programs(names)
    cols = load(path, big)
    bulk_big = statistics.median(cpu(lambda: run_suite(env, progs, cols, big)) for _ in range(reps))
    bulk_small = statistics.median(cpu(lambda: run_suite(env, progs, cols, small)) for _ in range(max(reps, 11)))
    # A tick: the newest close moves by 1.0001, 0.9999, ...; recompute everything.
    tick_cols = {k: v[:small].copy() for k, v in cols.items()}
    factor, ticks = 1.0001, []
    for _ in range(recompute_reps):
        c = tick_cols["c"]
        c[-1] *= factor
        factor = 2.0 - factor
        tick_cols["h"][-1] = max(tick_cols["h"][-1], c[-1])
        tick_cols["l"][-1] = min(tick_cols["l"][-1], c[-1])
        ticks.append(cpu(lambda: run_suite(env, progs, tick_cols, small)))
    # An append: one more bar of the same walk; recompute everything.
    appends = [cpu(lambda: run_suite(env, progs, cols, small + i + 1)) for i in range(recompute_reps)]
    return {"bulk_big": bulk_big, "bulk_small": bulk_small, "tick": statistics.median(ticks),
            "append": statistics.median(appends), "version": pd.__version__}
