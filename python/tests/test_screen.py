"""The screens against each other and against Formula.run."""
import numpy as np
import pandas as pd
import pytest

import abacor

GOLDEN = "up:cross(ma(close,5),ma(close,20)); fast:ma(close,5); slow:ma(close,20);"


def market(sample, count):
    """Symbols cut from the sample at different places and lengths."""
    bars = sample.astype(float)
    return {f"S{i:02d}": bars.iloc[37 * i: 37 * i + 60 + 13 * i] for i in range(count)}


def test_screen_is_the_last_bar_of_run(sample):
    bars = market(sample, 12)
    table = abacor.screen(GOLDEN, bars, workers=3)
    f = abacor.Formula(GOLDEN)
    assert list(table.index) == list(bars)
    assert table.index.name == "symbol"
    assert list(table.columns) == f.outputs + ["error"]
    for symbol, frame in bars.items():
        want = f.run(frame).iloc[-1]
        assert np.array_equal(table.loc[symbol, f.outputs].to_numpy(dtype=float), want.to_numpy(), equal_nan=True)
        assert table.loc[symbol, "error"] is None


@pytest.mark.parametrize("workers", [1, 2, 5, 64])
def test_worker_counts_agree(sample, workers):
    bars = market(sample, 20)
    pd.testing.assert_frame_equal(abacor.screen(GOLDEN, bars, workers=workers), abacor.screen(GOLDEN, bars, workers=1))


def test_params_and_an_output_named_error(sample):
    bars = market(sample, 3)
    table = abacor.screen("error:ma(close,n);", bars, params={"n": 3})
    assert list(table.columns) == ["error", "#error"]
    assert table["#error"].isna().all()
    with pytest.raises(ValueError, match="workers"):
        abacor.screen(GOLDEN, bars, workers=0)


def test_an_empty_market(sample):
    table = abacor.screen(GOLDEN, {})
    assert table.empty and list(table.columns) == abacor.Formula(GOLDEN).outputs + ["error"]
