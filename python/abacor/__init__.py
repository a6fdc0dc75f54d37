"""Abacor formulas over pandas DataFrames.

    import abacor
    f = abacor.Formula("ma5:ma(close,n); ma20:ma(close,20);", params={"n": 5})
    f.outputs                    # ['ma5', 'ma20'], the names `abacor run` prints
    values = f.run(bars)         # a DataFrame, one float column per output
    live = f.stream(bars)        # live.append(bar), live.update(bar)
    table = abacor.screen(text, {"AAA": bars_a, "BBB": bars_b}, workers=2)
    table = abacor.dask.screen(text, "market/*.csv", client=client)

Bars are a DataFrame with open, high, low, close and volume columns and an
optional amount column (any case, any order, extra columns ignored), dated by
a DatetimeIndex or by a date column (date, datetime, time, timestamp or day).
Dates without a time zone are read as local time, as `abacor run` reads the
dates of a CSV file; dates with a time zone are instants.
"""
import numbers
import os
import re

import numpy as np
import pandas as pd

from ._abacor import Compiled as _Compiled
from ._abacor import Stream as _Stream
from ._abacor import check as _check
from ._abacor import read_csv as _read_csv

__all__ = ["Formula", "FormulaError", "BarsError", "Stream", "screen", "read_csv", "ERROR_COLUMN"]

#: The column of `screen` results that holds each symbol's failure (None when it succeeded).
ERROR_COLUMN = "error"

_FIELDS = ("open", "high", "low", "close", "volume")
_DATE_NAMES = ("date", "datetime", "time", "timestamp", "day")
_FIRST_STAMP = pd.Timestamp("1900-01-01").value  # as the engine's check


class FormulaError(ValueError):
    """A formula that does not compile.

    `code`, `line`, `column` and `position` are the engine's error block as the
    command line reports it, `message` its text (UTF-8, may be empty); str()
    gives the command line's words, with the failing line and a caret.
    """

    def __init__(self, code, line, column, position, message, description):
        super().__init__(description.rstrip("\n"))
        self.code = code
        self.line = line
        self.column = column
        self.position = position
        self.message = message


class BarsError(ValueError):
    """Bars that cannot be calculated: a missing column, a value that is not a
    number, no bars, dates out of order, or a CSV file that does not parse."""


def _strip_text(text):
    # Comments {...} and quoted strings cannot name a parameter.
    return re.sub(r"\{[^}]*\}|'[^']*'|\"[^\"]*\"", " ", text.lower())


def _check_params(text, params):
    if params is None:
        return []
    if not hasattr(params, "items"):
        raise TypeError("params is a mapping of parameter name to number")
    body = _strip_text(text)
    out = []
    for name, value in params.items():
        if not isinstance(name, str) or not name:
            raise ValueError(f"parameter names are non-empty strings, not {name!r}")
        if not isinstance(value, numbers.Real) or isinstance(value, bool) or not np.isfinite(value):
            raise ValueError(f"parameter {name!r} needs a finite number, not {value!r}")
        if not re.search(r"(?<![\w.])" + re.escape(name.lower()) + r"(?![\w.])", body):
            raise ValueError(f"parameter {name!r} is not in the formula")
        out.append((name, float(value)))
    return out


def _numeric(series, name):
    dtype = series.dtype
    if isinstance(dtype, np.dtype):  # the common case, kept cheap: screens call it per symbol
        if dtype.kind not in "fiu":
            raise BarsError(f"column {name!r} is not numeric (dtype {dtype})")
        values = series.to_numpy()
        return values if dtype == np.float64 else values.astype(np.float64)  # float64: the column itself
    if not pd.api.types.is_numeric_dtype(dtype) or pd.api.types.is_bool_dtype(dtype):
        raise BarsError(f"column {name!r} is not numeric (dtype {dtype})")
    return series.to_numpy(dtype=np.float64, na_value=np.nan)


def _dates(frame, columns):
    index = frame.index
    if not isinstance(index, pd.DatetimeIndex):
        name = next((columns[n] for n in _DATE_NAMES if n in columns), None)
        if name is None:
            raise BarsError("the bars need a DatetimeIndex or a date column")
        try:
            index = pd.DatetimeIndex(pd.to_datetime(frame[name]))
        except (ValueError, TypeError) as e:
            raise BarsError(f"column {name!r} does not hold dates: {e}") from None
    if index.hasnans:
        raise BarsError(f"no date at row {int(np.flatnonzero(index.isna())[0])}")
    return index


def _view(frame):
    """The engine's view of a DataFrame: ((open, high, low, close, volume,
    amount or None, stamps, local), dates), float64 columns read in place.
    Values and dates are checked by the engine (see _problem)."""
    if not isinstance(frame, pd.DataFrame):
        raise BarsError(f"bars are a pandas DataFrame, not {type(frame).__name__}")
    if len(frame) == 0:
        raise BarsError("the frame has no bars")
    columns = {}
    for c in frame.columns:
        if isinstance(c, str):
            if c.lower() in columns:
                raise BarsError(f"two columns are named {c.lower()!r}")
            columns[c.lower()] = c
    arrays = []
    for name in _FIELDS + ("amount",):
        if name in columns:
            arrays.append(_numeric(frame[columns[name]], name))
        elif name == "amount":
            arrays.append(None)
        else:
            raise BarsError(f"missing column {name!r}")
    dates = _dates(frame, columns)
    return tuple(arrays) + (dates.asi8, dates.tz is None), dates


def _problem(found, view, dates):
    """The message of a problem the engine found: (kind, column, row)."""
    kind, column, row = found
    if kind == 1:
        name = (_FIELDS + ("amount",))[column]
        return f"column {name!r} has no number at row {row} ({dates[row]}): {view[column][row]}"
    if kind == 2:
        return f"dates are not in ascending order at row {row} ({dates[row - 1]}, then {dates[row]})"
    if kind == 3:
        return f"dates before 1900 are not supported (row 0: {dates[0]})"
    return "the calculation failed"


def _bars(frame):
    """_view, checked: raises BarsError for anything the engine cannot calculate."""
    view, dates = _view(frame)
    found = _check(view)
    if found is not None:
        raise BarsError(_problem(found, view, dates))
    return view, dates.tz


class Formula:
    """A formula compiled once: `Formula(text, params=None)`.

    `params` maps parameter names to numbers (the formula uses them as names,
    e.g. `ma(close,n)` with params={"n": 5}). A formula that does not compile
    raises FormulaError; a parameter the formula does not use raises ValueError.
    """

    def __init__(self, text, params=None):
        if not isinstance(text, str):
            raise TypeError("the formula text is a str")
        self._text = text
        self._params = _check_params(text, params)
        self._compiled = _Compiled(text, self._params)
        error = self._compiled.error
        if error is not None:
            raise FormulaError(*error)
        self._outputs = list(self._compiled.outputs)

    @property
    def text(self):
        return self._text

    @property
    def outputs(self):
        """The output names, as `abacor run` prints them ("#i" for an output without a name)."""
        return list(self._outputs)

    @property
    def params(self):
        """The parameter names."""
        return [name for name, _ in self._params]

    def run(self, bars):
        """Every output over every bar of `bars`: a DataFrame with the same
        index and one float64 column per output; NaN where there is no value.
        The columns are read without copying when they are float64; the
        calculation runs without the GIL."""
        view, _ = _bars(bars)
        values = self._compiled.run(view)
        return pd.DataFrame(values.T, index=bars.index, columns=self._outputs, copy=False)

    def stream(self, bars):
        """A live Stream over a copy of `bars`, calculated once."""
        return Stream(self, bars)

    def __repr__(self):
        return f"Formula({self._text!r}, outputs={getattr(self, '_outputs', None)!r})"


class Stream:
    """A formula kept live on growing bars (made by Formula.stream).

    `append(bar)` adds a bar, `update(bar)` replaces the newest one (a tick);
    each calculates only the newest bar again and returns the newest outputs as
    a Series named by the bar's date. A bar is a mapping (or Series) with open,
    high, low, close, volume (and amount when the stream's bars have it) and
    its date under date/datetime/time/timestamp/day, or as a Series' name;
    `update` keeps the newest date when the bar gives none.
    """

    def __init__(self, formula, bars):
        view, self._tz = _bars(bars)
        self._formula = formula
        self._stream = _Stream(formula._compiled, view)
        self._stamps = [int(view[6][-1])] if len(view[6]) < 2 else [int(view[6][-2]), int(view[6][-1])]

    @property
    def outputs(self):
        return self._formula.outputs

    def __len__(self):
        return self._stream.count

    def update(self, bar):
        """Replaces the newest bar; returns the newest outputs."""
        before = self._stamps[-2] if len(self._stamps) > 1 else None
        values, stamp = self._bar(bar, self._stamps[-1], before)
        newest = self._stream.update(*values, stamp)
        self._stamps[-1] = stamp
        return self._newest(newest, stamp)

    def append(self, bar):
        """Adds a bar after the newest; returns the new bar's outputs."""
        values, stamp = self._bar(bar, None, self._stamps[-1])
        newest = self._stream.append(*values, stamp)
        self._stamps = [self._stamps[-1], stamp]
        return self._newest(newest, stamp)

    def frame(self):
        """Every output over every bar so far, as Formula.run would give it."""
        index = self._index(self._stream.stamps())
        return pd.DataFrame(self._stream.read_all(len(self.outputs)).T, index=index, columns=self.outputs)

    def _index(self, stamps):
        index = pd.DatetimeIndex(np.asarray(stamps, dtype="datetime64[ns]"))
        return index if self._tz is None else index.tz_localize("UTC").tz_convert(self._tz)

    def _newest(self, values, stamp):
        return pd.Series(values, index=self.outputs, name=self._index([stamp])[0], dtype=np.float64)

    def _bar(self, bar, default_stamp, after):
        if isinstance(bar, pd.Series):
            fields, name = bar.to_dict(), bar.name
        elif hasattr(bar, "items"):
            fields, name = dict(bar.items()), None
        else:
            raise BarsError(f"a bar is a mapping or a Series, not {type(bar).__name__}")
        fields = {str(k).lower(): v for k, v in fields.items()}
        wanted = _FIELDS + (("amount",) if self._stream.has_amount else ())
        values = []
        for key in wanted:
            if key not in fields:
                raise BarsError(f"the bar has no {key!r}")
            v = fields[key]
            if not isinstance(v, numbers.Real) or isinstance(v, bool) or not np.isfinite(v):
                raise BarsError(f"the bar's {key!r} is not a number: {v!r}")
            values.append(float(v))
        if not self._stream.has_amount:
            if "amount" in fields:
                raise BarsError("the stream's bars have no amount column")
            values.append(0.0)
        stamp = self._stamp(fields, name, default_stamp)
        if after is not None and stamp <= after:
            raise BarsError(f"the bar's date {self._index([stamp])[0]} is not after {self._index([after])[0]}")
        return values, stamp

    def _stamp(self, fields, name, default_stamp):
        when = next((fields[k] for k in _DATE_NAMES if k in fields), None)
        if when is None and name is not None and not isinstance(name, numbers.Integral):
            when = name
        if when is None:
            if default_stamp is None:
                raise BarsError("the bar has no date")
            return default_stamp
        try:
            ts = pd.Timestamp(when)
        except (ValueError, TypeError) as e:
            raise BarsError(f"the bar's date {when!r} is not a date: {e}") from None
        if ts is pd.NaT:
            raise BarsError("the bar has no date")
        if (ts.tz is None) != (self._tz is None):
            raise BarsError(f"the bar's date {ts} and the stream's dates differ in having a time zone")
        if ts.value < _FIRST_STAMP:
            raise BarsError(f"dates before 1900 are not supported ({ts})")
        return int(ts.value)


def _screen_frame(symbols, values, errors, outputs):
    frame = pd.DataFrame(values, index=pd.Index(symbols, name="symbol", dtype=object), columns=outputs)
    column = "#" + ERROR_COLUMN if ERROR_COLUMN in outputs else ERROR_COLUMN
    frame[column] = pd.Series(errors, index=frame.index, dtype=object)
    return frame


def screen(text, bars_by_symbol, params=None, workers=None):
    """Runs one formula over each symbol's bars on a thread pool of `workers`
    threads (default: the machine's processors) and returns a DataFrame indexed
    by symbol, in the mapping's order, with each output's value at the symbol's
    last bar.

    A symbol that fails does not stop the others: its outputs are NaN and the
    column "error" (ERROR_COLUMN; "#error" if the formula has an output named
    "error") holds why; it is None for the symbols that succeeded. A formula
    that does not compile raises FormulaError.
    """
    formula = Formula(text, params)
    if workers is None:
        workers = os.cpu_count() or 1
    if not isinstance(workers, numbers.Integral) or workers < 1:
        raise ValueError(f"workers is a positive whole number, not {workers!r}")
    symbols = list(bars_by_symbol.keys())
    views, rows, errors = [], [], [None] * len(symbols)
    for row, symbol in enumerate(symbols):
        try:
            views.append(_view(bars_by_symbol[symbol]))
            rows.append(row)
        except BarsError as e:
            errors[row] = str(e)
    values = np.full((len(symbols), len(formula.outputs)), np.nan)
    if views:
        # The engine checks each symbol's values and dates on the pool too.
        computed, problems = formula._compiled.screen([v for v, _ in views], int(workers))
        values[rows] = computed
        for row, (view, dates), found in zip(rows, views, problems):
            if found is not None:
                errors[row] = _problem(found, view, dates)
    return _screen_frame(symbols, values, errors, formula.outputs)


def read_csv(path):
    """Bars from a CSV file, read as `abacor run --bars` reads it: a DataFrame
    with a DatetimeIndex named "date" (local time) and float64 columns open,
    high, low, close, volume (and amount when the file has it). A file that
    does not parse raises BarsError naming the file and the line."""
    try:
        o, h, l, c, v, a, stamps = _read_csv(os.fspath(path))
    except ValueError as e:
        raise BarsError(str(e)) from None
    columns = {"open": o, "high": h, "low": l, "close": c, "volume": v}
    if a is not None:
        columns["amount"] = a
    index = pd.DatetimeIndex(stamps.view("datetime64[ns]"), name="date")
    return pd.DataFrame(columns, index=index)


from . import dask  # noqa: E402,F401  (abacor.dask.screen; imports Dask only when called)
