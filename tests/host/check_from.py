#!/usr/bin/env python3
"""Runs formulas through `abacor run --format csv` over the shipped sample with
--from 0 and with later --from values, and checks that every bar both runs
print carries the same digits.

Covered: every indicator of bench/suite/ and the windowed functions, alone and
nested, including the tie of 1992-10-30 where MA(C,5) and MA(C,20) are both
exactly 8.214 in decimal. A formula with a recursive smoother (SMA, EMA ...)
is seeded at the first calculated bar by definition; for those the rows of
the first SEED_ROWS bars of the later run are left out.

Exit codes: 0 agreement, 1 disagreement or failure.
"""
import argparse
import pathlib
import re
import subprocess
import sys

STARTS = [7, 1975, 3001]
SEED_ROWS = 1000
RECURSIVE = re.compile(r"(?<![A-Z])(SMA|EMA|EXPMA|DMA|AMA|TMA|MEMA|EXPMEMA|SAR|SARTURN)\s*\(", re.I)

WINDOWED = [
    "X:MA(C,5)-MA(C,20);Y:CROSS(MA(C,5),MA(C,20));",
    "A:SUM(C,7);B:SUM(VOL,250);D:MA(C,60);E:MA(C,250);",
    "A:WMA(C,6);B:WMA(C,30);C1:MULAR(C/REF(C,1),4);",
    "A:COUNT(C>O,7);B:SUMBARS(VOL,100000000);C1:SMMA(C,5);",
    "A:XMA(C,5);B:XMA(C,20);C1:XMA(MA(C,3),9);",
    "A:STD(C,20);B:STDP(C,20);C1:VAR(C,20);D:VARP(C,20);E:DEVSQ(C,20);F:AVEDEV(C,14);",
    "A:COVAR(C,O,20);B:RELATE(C,VOL,20);C1:FORCAST(C,14);D:SLOPE(C,14);E:VOLAT(C,20);",
    "A:HHV(H,9);B:LLV(L,9);C1:HHVBARS(MA(C,3),20);D:MA(MA(C,5),20);",
    "M:=MA(C,4);A:SUM(M,9)+STD(M,5)+COVAR(M,C,6);B:WMA(MA(C,4),5)+AVEDEV(STD(C,4),3);",
]


def run(cli, bars, formula, start):
    out = subprocess.run([cli, "run", "--bars", bars, "--formula", formula, "--from", str(start), "--format", "csv"],
                         capture_output=True, text=True, timeout=120)
    if out.returncode != 0:
        raise RuntimeError(f"abacor run failed ({out.returncode}): {out.stderr.strip()}")
    rows = out.stdout.splitlines()
    return rows[0], {int(r.split(",", 1)[0]): r for r in rows[1:]}


def check(cli, bars, label, formula, text):
    header, full = run(cli, bars, formula, 0)
    skip = SEED_ROWS if RECURSIVE.search(text) else 0
    failures = 0
    for start in STARTS:
        later_header, later = run(cli, bars, formula, start)
        if later_header != header:
            print(f"{label} --from {start}: header {later_header!r} differs from {header!r}")
            failures += 1
            continue
        compared = [b for b in sorted(later) if b >= start + skip]
        bad = [b for b in compared if later[b] != full.get(b)]
        if not compared or bad:
            first = bad[0] if bad else None
            print(f"{label} --from {start}: {len(bad)} of {len(compared)} rows differ; first at bar {first}:")
            if first is not None:
                print(f"  --from 0:     {full.get(first)}\n  --from {start}: {later[first]}")
            failures += 1
    status = "ok" if failures == 0 else "DIFFERS"
    print(f"{label:40s} {status}{' (seeded rows skipped)' if skip else ''}")
    return failures == 0


def main():
    root = pathlib.Path(__file__).resolve().parents[2]
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--bars", default=str(root / "data" / "daily-ohlcv.csv"))
    args = parser.parse_args()
    ok = True
    for path in sorted((root / "bench" / "suite").glob("*.txt")):
        ok &= check(args.cli, args.bars, path.name, "@" + str(path), path.read_text())
    for formula in WINDOWED:
        ok &= check(args.cli, args.bars, formula[:40], formula, formula)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
