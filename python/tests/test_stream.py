"""Formula.stream against Formula.run: appends and ticks give what a run over
the same bars gives, every digit."""
import numpy as np
import pandas as pd
import pytest

import abacor

FORMULAS = [
    "ma5:ma(close,5); e:ema(close,12); s:sma(close,9,2);",
    "k:hhv(high,9)-llv(low,9); n:barslast(cross(ma(close,5),ma(close,20))); r:ref(close,3); t:sum(vol,0);",
    "z:zig(3,8); cn:count(close>open,10); d:date; w:weekday;",
]


def same(got, want):
    return np.array_equal(np.asarray(got, dtype=float), np.asarray(want, dtype=float), equal_nan=True)


@pytest.mark.parametrize("text", FORMULAS)
def test_appends_match_runs(sample, text):
    f = abacor.Formula(text)
    bars = sample.iloc[:700]
    live = f.stream(bars.iloc[:200])
    # 500 appends: past the stream's first store size, which then grows.
    for i in range(200, 700):
        newest = live.append(bars.iloc[i])
        assert newest.name == bars.index[i]
        if i % 97 == 0 or i == 699:
            assert same(newest, f.run(bars.iloc[: i + 1]).iloc[-1]), i
    pd.testing.assert_frame_equal(live.frame(), f.run(bars), check_names=False)


@pytest.mark.parametrize("text", FORMULAS)
def test_ticks_match_runs(sample, text):
    f = abacor.Formula(text)
    bars = sample.iloc[:400].astype(float)
    live = f.stream(bars)
    for factor in (1.01, 0.97, 1.2, 1.0):
        tick = bars.iloc[-1].copy()
        tick["Close"] = bars["Close"].iloc[-1] * factor
        tick["High"] = max(tick["High"], tick["Close"])
        tick["Low"] = min(tick["Low"], tick["Close"])
        newest = live.update(tick)
        changed = bars.copy()
        changed.iloc[-1] = tick
        assert same(newest, f.run(changed).iloc[-1]), factor
    assert len(live) == 400


def test_a_bar_as_a_mapping(sample):
    f = abacor.Formula("a:close+open; d:day;")
    live = f.stream(sample.iloc[:10])
    newest = live.append({"OPEN": 1.0, "high": 3.0, "low": 0.5, "close": 2.0, "vol": 5, "volume": 7,
                          "date": "2030-01-31"})
    assert newest["a"] == 3.0 and newest["d"] == 31.0
    # update without a date keeps the newest one
    newest = live.update({"open": 1.5, "high": 3.0, "low": 0.5, "close": 2.0, "volume": 7})
    assert newest["a"] == 3.5 and newest.name == pd.Timestamp("2030-01-31")
