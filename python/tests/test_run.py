"""Formula.run against the command line: same formula, same bars, every digit."""
import math

import numpy as np
import pandas as pd
import pytest

import abacor
from conftest import SAMPLE, cli_run, parse_cli_csv

# (formula, params): moving averages, MACD, KDJ, references and crosses, the
# calendar built-ins (local-time dates), the period, drawing outputs, outputs
# without a name.
FORMULAS = [
    ("ma5:ma(close,n),colorred; ma20:ma(close,20);", {"n": 5}),
    ("dif:ema(close,12)-ema(close,26); dea:ema(dif,9); macd:(dif-dea)*2,colorstick;", None),
    ("rsv:=(close-llv(low,n))/(hhv(high,n)-llv(low,n))*100; k:sma(rsv,3,1); d:sma(k,3,1); j:3*k-2*d;", {"n": 9}),
    ("y:year; m:month; d:day; w:weekday; dt:date; t:time; p:period; refdate(close,1050105);", None),
    ("up:cross(ma(close,5),ma(close,20)); n:barslast(up); ref(close,3); vol/1000;", None),
    ("stickline(close>open,open,close,2,0); drawtext(cross(close,ma(close,10)),low,'x'); z:zig(3,10);", None),
]


@pytest.mark.parametrize("tz", ["UTC", "America/New_York", "Asia/Shanghai"])
@pytest.mark.parametrize("formula,params", FORMULAS)
def test_run_matches_command_line(sample, local_tz, tz, formula, params):
    local_tz(tz)
    done = cli_run(SAMPLE, formula, params, tz=tz)
    assert done.returncode == 0, done.stderr
    names, columns = parse_cli_csv(done.stdout)
    result = abacor.Formula(formula, params).run(sample)
    assert list(result.columns) == names
    assert result.index.equals(sample.index)
    assert all(result.dtypes == np.float64)
    for name in names:
        got = result[name].to_numpy()
        want = columns[name]
        assert len(got) == len(want)
        mismatches = [(i, g, w) for i, (g, w) in enumerate(zip(got, want))
                      if not ((w is None and math.isnan(g)) or g == w)]
        assert not mismatches, f"{name}: first mismatches {mismatches[:3]}"


def test_read_csv_reads_what_pandas_reads(sample):
    bars = abacor.read_csv(SAMPLE)
    assert list(bars.columns) == ["open", "high", "low", "close", "volume"]
    assert (bars.index == sample.index).all()
    for column in bars.columns:
        assert np.array_equal(bars[column].to_numpy(), sample[column.capitalize()].to_numpy(dtype=float))


def test_a_date_column_and_any_case_and_order(sample):
    f = abacor.Formula("a:ma(c,3)+vol; b:day;")
    want = f.run(sample)
    frame = sample.reset_index().rename(columns={"Date": "DATE"})[["Volume", "Close", "DATE", "High", "Low", "Open"]]
    got = f.run(frame)
    assert got.index.equals(frame.index)
    assert np.array_equal(got.to_numpy(), want.to_numpy(), equal_nan=True)


def test_amount_is_read_when_present(sample):
    frame = sample.assign(Amount=sample["Close"] * sample["Volume"])
    got = abacor.Formula("a:amount/vol;").run(frame)["a"].to_numpy()
    assert np.array_equal(got, (frame["Amount"] / frame["Volume"]).to_numpy())
    # Without an amount column the amount has no value.
    assert np.isnan(abacor.Formula("a:amount;").run(sample)["a"]).all()


def test_columns_are_read_in_place(sample):
    frame = sample.astype(float)
    view, _ = abacor._bars(frame)
    for i, name in enumerate(["Open", "High", "Low", "Close", "Volume"]):
        assert np.shares_memory(view[i], frame[name].to_numpy())


@pytest.mark.parametrize("tz", ["UTC", "Europe/Berlin"])
def test_time_zone_aware_dates_are_instants(sample, local_tz, tz):
    local_tz(tz)
    aware = sample.tz_localize("Asia/Shanghai")
    got = abacor.Formula("hr:hour; dt:date;").run(aware)
    assert got.index.equals(aware.index)
    # Midnight in Shanghai, seen from the process's own time zone.
    seen = aware.index.tz_convert(tz)
    assert np.array_equal(got["hr"].to_numpy(), seen.hour.to_numpy(dtype=float))
    want = (seen.year - 1900) * 10000 + seen.month * 100 + seen.day
    assert np.array_equal(got["dt"].to_numpy(), want.to_numpy(dtype=float))


def test_runs_in_parallel_threads_agree(sample):
    import concurrent.futures

    f = abacor.Formula("a:ema(close,12); b:sma(close,9,2);")
    want = f.run(sample)
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        results = list(pool.map(lambda _: f.run(sample), range(8)))
    for got in results:
        pd.testing.assert_frame_equal(got, want)
