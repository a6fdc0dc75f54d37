#!/usr/bin/python3
"""Times the engine and its peers on the same random-walk bars in one run and
prints a table of CPU-time medians with ratios; writes the README's
"Performance" section to bench/README-section.md.

Two suites: the twelve bench/suite formulas, and the five of them that pandas
computes fully vectorised (MA, MACD, KDJ, RSI, BOLL), where TA-Lib's C library
(built from the npm package `talib` when it is installed under bench/) joins.

The engine's timer (bench/compare/compare_timer.cpp) writes the bars; pandas,
TTR (Rscript) and trading-signals (node, installed into bench/node_modules)
read that same file.
"""
import argparse
import datetime
import json
import os
import pathlib
import platform
import re
import shutil
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
BENCH = HERE.parent
ROOT = BENCH.parent
sys.path.insert(0, str(HERE))


def log(msg):
    print(msg, file=sys.stderr, flush=True)


# The suite formulas pandas computes without a Python function per window.
VECTORISED = ["ma", "macd", "kdj", "rsi", "boll"]


def talib_binary(build):
    """TA-Lib's timer, built when the npm package's C source is there; None otherwise."""
    if not (BENCH / "node_modules" / "talib" / "src" / "lib").exists():
        log("TA-Lib skipped (cd bench && npm install --no-save --ignore-scripts talib)")
        return None
    subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build)], check=True, stdout=subprocess.DEVNULL)
    done = subprocess.run(["cmake", "--build", str(build), "--target", "talib_compare_timer", "-j2"],
                          stdout=subprocess.DEVNULL)
    exe = build / "bench" / "talib_compare_timer"
    return exe if done.returncode == 0 and exe.exists() else None


def timer_binary(build):
    exe = build / "bench" / "abacor_compare_timer"
    if not exe.exists():
        log(f"building {exe} (Release)")
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                        "-DABACOR_BUILD_BENCH=ON"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", str(build), "--target", "abacor_compare_timer", "-j2"], check=True)
    return exe


def run_json(cmd):
    out = subprocess.run(cmd, check=True, capture_output=True, text=True)
    return json.loads(out.stdout.strip().splitlines()[-1])


def machine():
    model = "unknown CPU"
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    return f"{os.cpu_count()} x {model}, {platform.system()} {platform.release()}"


def suite_series(names=None):
    """Named series the suite (or the named formulas) keeps: every output and every `:=` variable."""
    count = 0
    for f in sorted((BENCH / "suite").glob("*.txt")):
        if names is not None and f.stem not in names:
            continue
        code = re.sub(r"\{.*?\}", " ", f.read_text(), flags=re.S)
        count += len(re.findall(r"^\s*[A-Za-z_][A-Za-z0-9_]*\s*:", code, re.M))
    return count


def fmt(sec):
    if sec is None:
        return "-"
    if sec >= 1:
        return f"{sec:.2f} s"
    if sec >= 1e-3:
        return f"{sec * 1e3:.1f} ms"
    return f"{sec * 1e6:.2f} µs"


def ratio(peer, ours):
    if peer is None or not ours:
        return "-"
    r = peer / ours
    return f"{r:,.0f}x" if r >= 10 else f"{r:.2f}x"


def table(ours, peers, args):
    """The markdown table of one suite: Abacor against each peer, with ratios."""
    k = ours["formulas"]
    names = list(peers)
    rows = [
        (f"bulk, suite, {args.small:,} bars", "bulk_small", 1),
        (f"bulk, suite, {args.big:,} bars", "bulk_big", 1),
        (f"tick, suite, {args.small:,} bars", "tick", 1),
        ("tick, per formula", "tick", k),
        (f"append, suite, {args.small:,} bars", "append", 1),
        ("append, per formula", "append", k),
    ]
    head = ["", "Abacor"] + names + [f"{n} / Abacor" for n in names]
    lines = [head, ["---"] * len(head)]
    for label, key, div in rows:
        mine = ours[key] / div
        theirs = [peers[n][key] / div if key in peers[n] else None for n in names]
        lines.append([label, fmt(mine)] + [fmt(t) for t in theirs] + [ratio(t, mine) for t in theirs])
    return "\n".join("| " + " | ".join(r) + " |" for r in lines)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--build", default=str(ROOT / "build-bench"), help="Release build tree (made when missing)")
    ap.add_argument("--big", type=int, default=1_000_000)
    ap.add_argument("--small", type=int, default=10_000)
    ap.add_argument("--reps", type=int, default=3, help="repetitions of the big bulk run")
    ap.add_argument("--batches", type=int, default=31, help="batches of 100 ticks / appends")
    ap.add_argument("--no-readme", action="store_true", help="do not write bench/README-section.md")
    args = ap.parse_args()

    exe = timer_binary(pathlib.Path(args.build))
    tmp = pathlib.Path(tempfile.mkdtemp(prefix="abacor-compare-"))
    bars = tmp / "bars.f64"
    try:
        log("abacor: bulk, tick, append, compile, draw records")
        ours = run_json([str(exe), "--data", str(bars), "--big", str(args.big), "--small", str(args.small),
                         "--bulk-reps", str(args.reps), "--batches", str(args.batches)])
        log("abacor: peak memory")
        peak_seq = run_json([str(exe), "--peak", str(args.big)])
        peak_all = run_json([str(exe), "--peak", str(args.big), "--all"])

        peers = {}
        log("pandas")
        try:
            import pandas_suite
            peers["pandas"] = pandas_suite.measure(str(bars), args.big, args.small, args.reps)
        except ImportError as e:
            log(f"pandas skipped: {e}")
        if shutil.which("Rscript"):
            log("TTR")
            try:
                peers["TTR"] = run_json(["Rscript", str(HERE / "ttr_suite.R"), str(bars), str(args.big),
                                         str(args.small), str(args.reps)])
            except subprocess.CalledProcessError as e:
                log(f"TTR skipped (apt-get install r-cran-ttr): {e.stderr.strip()[-300:]}")
        if shutil.which("node") and (BENCH / "node_modules" / "trading-signals").exists():
            log("trading-signals")
            peers["trading-signals"] = run_json(["node", str(HERE / "ts_suite.mjs"), str(bars), str(args.big),
                                                 str(args.small), str(args.batches)])
        else:
            log("trading-signals skipped (cd bench && npm install --no-save trading-signals)")

        only = ",".join(VECTORISED)
        log("vectorised suite: abacor")
        ours_v = run_json([str(exe), "--suite", only, "--data", str(bars), "--big", str(args.big), "--small",
                           str(args.small), "--bulk-reps", str(args.reps), "--batches", str(args.batches)])
        peak_v = run_json([str(exe), "--suite", only, "--peak", str(args.big), "--all"])
        peers_v = {}
        if "pandas" in peers:
            log("vectorised suite: pandas")
            peers_v["pandas"] = pandas_suite.measure(str(bars), args.big, args.small, args.reps, names=VECTORISED)
        talib = talib_binary(pathlib.Path(args.build))
        if talib is not None:
            log("vectorised suite: TA-Lib")
            peers_v["TA-Lib"] = run_json([str(talib), str(bars), str(args.big), str(args.small), str(args.reps)])
    finally:
        shutil.rmtree(tmp, ignore_errors=True)

    md = table(ours, peers, args)
    md_v = table(ours_v, peers_v, args)

    series = suite_series()
    bound = 8 * args.big * series
    series_v = suite_series(VECTORISED)
    bound_v = 8 * args.big * series_v
    extra = [
        f"- compile, per formula (median over the suite): {fmt(sorted(ours['compile'].values())[len(ours['compile']) // 2])}"
        f" (slowest {max(ours['compile'], key=ours['compile'].get)}: {fmt(max(ours['compile'].values()))})",
        f"- GetDrawInfo of the whole suite over a 2,000-bar window: {fmt(ours['drawinfo'])}",
        f"- peak resident memory of the bulk run at {args.big:,} bars (formulas one after another): "
        f"{peak_seq['engine_peak_kb'] / 1024:.0f} MiB; the whole suite alive at once: "
        f"{peak_all['engine_peak_kb'] / 1024:.0f} MiB; 8 bytes x bars x the suite's {series} named series: "
        f"{bound / 2**20:.0f} MiB (x1.5: {1.5 * bound / 2**20:.0f} MiB)",
    ]
    extra_v = [
        f"- peak resident memory with the five formulas alive at once at {args.big:,} bars: "
        f"{peak_v['engine_peak_kb'] / 1024:.0f} MiB; 8 bytes x bars x their {series_v} named series: "
        f"{bound_v / 2**20:.0f} MiB (x1.5: {1.5 * bound_v / 2**20:.0f} MiB)",
    ]
    every = {**peers, **peers_v}
    versions = ", ".join(f"{n} {every[n].get('version', '?')}" for n in every)
    cmd = "bench/compare/compare.py"
    text = "\n".join([
        "## Performance",
        "",
        "Twelve common indicators (bench/suite: MA, MACD, KDJ, RSI, BOLL, WR, CCI, ATR, BIAS, ROC, TRIX, DMA)",
        "over synthetic random-walk bars made from a fixed seed, timed in one run against pandas (the suite's",
        "own pandas statements) and, where installed, R's TTR and the streaming library trading-signals on",
        "the same bars.",
        "Bulk: compile, calculate every bar, publish and read every output. Tick: the newest bar changes and",
        "is recalculated and published. Append: one bar more, calculated and published. The vectorised",
        "peers recompute the whole array after a tick or an append; trading-signals replaces or adds one",
        "value. Process CPU time, medians over repetitions (bulk at the large size: --reps runs; tick and",
        "append: batches of 100, median per batch; recomputing peers: 15 runs).",
        "pandas' bulk time is mostly AVEDEV, which pandas can only do with a Python function per window",
        "(`rolling().apply`); TTR and trading-signals run their own counterparts of the indicators (e.g.",
        "stochastics for KDJ), which take similar work but do not give identical numbers.",
        "",
        md,
        "",
        *extra,
        "",
        "The five of them that pandas computes fully vectorised (MA 5/10/20/60, MACD, KDJ, RSI, BOLL: `rolling`",
        "and `ewm`, no Python function per window), with TA-Lib's C library as a peer (its own counterparts:",
        "SMA, MACD, a stochastic with exponential smoothing for KDJ, RSI, BBANDS; built from the C source of",
        "the npm package `talib`), same bars, same timing:",
        "",
        md_v,
        "",
        *extra_v,
        "",
        f"Machine: {machine()}; {datetime.date.today().isoformat()}; {versions}.",
        "",
        "Reproduce (Release build in build-bench, made on first use; TTR: `apt-get install r-cran-ttr`;",
        "trading-signals: `cd bench && npm install --no-save trading-signals`; TA-Lib:",
        "`cd bench && npm install --no-save --ignore-scripts talib`):",
        "",
        "```",
        cmd,
        "```",
        "",
    ])
    print(text)
    if not args.no_readme:
        (BENCH / "README-section.md").write_text(text, encoding="utf-8")
        log(f"wrote {BENCH / 'README-section.md'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
