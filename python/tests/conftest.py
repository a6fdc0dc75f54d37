"""Shared fixtures: the command line, the shipped sample read by pandas itself."""
import os
import pathlib
import subprocess
import time

import pandas as pd
import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
SAMPLE = ROOT / "data" / "daily-ohlcv.csv"


def cli_path():
    path = os.environ.get("ABACOR_CLI", str(ROOT / "build" / "host" / "abacor"))
    if not os.path.exists(path):
        pytest.fail(f"the command line {path} is not built (set ABACOR_CLI)")
    return path


def cli_run(csv_path, formula, params=None, tz=None):
    """`abacor run --format csv`: (output names, {name: list of values or None})."""
    args = [cli_path(), "run", "--bars", str(csv_path), "--formula", formula, "--format", "csv"]
    for name, value in (params or {}).items():
        args += ["--param", f"{name}={value!r}"]
    env = dict(os.environ)
    if tz is not None:
        env["TZ"] = tz
    done = subprocess.run(args, capture_output=True, text=True, env=env)
    return done


def parse_cli_csv(out):
    lines = out.strip("\n").split("\n")
    names = lines[0].split(",")[2:]
    columns = {n: [] for n in names}
    for line in lines[1:]:
        cells = line.split(",")[2:]
        for n, cell in zip(names, cells):
            columns[n].append(float(cell) if cell else None)
    return names, columns


@pytest.fixture
def local_tz():
    """Sets the process's time zone for a test (local-time dates depend on it)."""
    saved = os.environ.get("TZ")

    def use(tz):
        os.environ["TZ"] = tz
        time.tzset()

    yield use
    if saved is None:
        os.environ.pop("TZ", None)
    else:
        os.environ["TZ"] = saved
    time.tzset()


@pytest.fixture(scope="session")
def sample():
    """The shipped sample, read by pandas (not by abacor)."""
    return pd.read_csv(SAMPLE, parse_dates=["Date"], index_col="Date")
