"""Bad input gets a clear Python exception, never a crash."""
import numpy as np
import pandas as pd
import pytest

import abacor
from conftest import SAMPLE, cli_run


def small(sample):
    return sample.iloc[:30].astype(float)


def without_close(f):
    return f.drop(columns=["Close"])


def text_close(f):
    return f.assign(Close=f["Close"].astype(str))


def nan_close(f):
    g = f.copy()
    g.iloc[7, g.columns.get_loc("Close")] = np.nan
    return g


def inf_volume(f):
    g = f.copy()
    g.iloc[3, g.columns.get_loc("Volume")] = np.inf
    return g


def unsorted(f):
    return f.iloc[[0, 1, 3, 2, 4]]


def repeated_date(f):
    return f.iloc[[0, 1, 1, 2]]


def no_dates(f):
    return f.reset_index(drop=True)


def bad_date_column(f):
    return f.reset_index(drop=True).assign(date=["not a date"] * len(f))


def too_old(f):
    return f.set_index(pd.date_range("1899-12-01", periods=len(f)))


BAD_FRAMES = [
    (without_close, "missing column 'close'"),
    (text_close, "column 'close' is not numeric"),
    (nan_close, "column 'close' has no number at row 7"),
    (inf_volume, "column 'volume' has no number at row 3"),
    (lambda f: f.iloc[:0], "no bars"),
    (unsorted, "dates are not in ascending order at row 3"),
    (repeated_date, "dates are not in ascending order at row 2"),
    (no_dates, "DatetimeIndex or a date column"),
    (bad_date_column, "does not hold dates"),
    (too_old, "before 1900"),
    (lambda f: f.to_numpy(), "bars are a pandas DataFrame"),
]


@pytest.mark.parametrize("make,words", BAD_FRAMES)
def test_bad_frames_raise_bars_error(sample, make, words):
    bars = make(small(sample))
    f = abacor.Formula("a:ma(close,3);")
    for attempt in (f.run, f.stream):
        with pytest.raises(abacor.BarsError, match=words):
            attempt(bars)
    # the screen reports it for that symbol only
    table = abacor.screen("a:ma(close,3);", {"bad": bars, "good": small(sample)}, workers=2)
    assert words in table.loc["bad", "error"]
    assert table.loc["good", "error"] is None
    assert table.loc["good", "a"] == pytest.approx(small(sample)["Close"].iloc[-3:].mean(), rel=1e-12)


@pytest.mark.parametrize("text", ["ma5:ma(close,5", "a:=close; a:open;", "x:unknownfn(close);", ""])
def test_formula_errors_carry_the_command_lines_words(text):
    with pytest.raises(abacor.FormulaError) as caught:
        abacor.Formula(text)
    e = caught.value
    done = cli_run(SAMPLE, text)
    assert done.returncode == 1
    assert done.stderr.rstrip("\n") == str(e)
    assert isinstance(e.code, int) and e.code > 0
    assert str(e).startswith(f"error {e.code}")
    assert e.message and e.message in str(e)
    if e.line > 0:
        assert f"line {e.line}, column {e.column}" in str(e)
    with pytest.raises(abacor.FormulaError):
        abacor.screen(text, {"x": pd.DataFrame()})


@pytest.mark.parametrize("params,words", [
    ({"m": 5}, "parameter 'm' is not in the formula"),
    ({"n": "five"}, "needs a finite number"),
    ({"n": float("nan")}, "needs a finite number"),
    ([("n", 5)], "params is a mapping"),
])
def test_bad_parameters(params, words):
    with pytest.raises((ValueError, TypeError), match=words):
        abacor.Formula("a:ma(close,n); {m is only in a comment: m} drawtext(1,close,'m');", params)


def test_a_parameter_in_use_is_accepted(sample):
    f = abacor.Formula("a:ma(close,N);", {"N": 4})
    assert f.params == ["N"]
    assert f.run(small(sample))["a"].iloc[-1] == pytest.approx(small(sample)["Close"].iloc[-4:].mean(), rel=1e-12)


@pytest.mark.parametrize("content,words", [
    ("date,open,high,low,close,volume\n2020-01-02,1,2,0.5,1.5,10\n2020-01-03,1,2,0.5,abc,10\n",
     ":3: not a number in column \"close\""),
    ("date,open,high,low,close\n2020-01-02,1,2,0.5,1.5\n", ":1: missing column \"volume\""),
    ("date,open,high,low,close,volume\n2020-01-03,1,2,0.5,1.5,10\n2020-01-02,1,2,0.5,1.5,10\n",
     ":3: dates are not in ascending order"),
    ("", "no bars"),
])
def test_csv_files_that_do_not_parse_name_file_and_line(tmp_path, content, words):
    path = tmp_path / "broken.csv"
    path.write_text(content)
    with pytest.raises(abacor.BarsError) as caught:
        abacor.read_csv(path)
    assert str(caught.value).startswith(str(path))
    assert words in str(caught.value)
    with pytest.raises(abacor.BarsError, match="cannot open"):
        abacor.read_csv(tmp_path / "missing.csv")


@pytest.mark.parametrize("bar,words", [
    ({"open": 1, "high": 2, "low": 0.5, "close": 1.5}, "no 'volume'"),
    ({"open": 1, "high": 2, "low": 0.5, "close": "x", "volume": 1}, "'close' is not a number"),
    ({"open": 1, "high": 2, "low": 0.5, "close": float("nan"), "volume": 1}, "'close' is not a number"),
    ({"open": 1, "high": 2, "low": 0.5, "close": 1, "volume": 1, "date": "1985-01-01"}, "is not after"),
    ({"open": 1, "high": 2, "low": 0.5, "close": 1, "volume": 1}, "has no date"),
    ({"open": 1, "high": 2, "low": 0.5, "close": 1, "volume": 1, "amount": 3, "date": "2030-01-01"}, "no amount"),
    ([1, 2, 3], "a mapping or a Series"),
])
def test_bad_stream_bars(sample, bar, words):
    live = abacor.Formula("a:ma(close,3);").stream(small(sample))
    before = live.frame()
    with pytest.raises(abacor.BarsError, match=words):
        live.append(bar)
    pd.testing.assert_frame_equal(live.frame(), before)
