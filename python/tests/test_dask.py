"""abacor.dask.screen on a small LocalCluster against abacor.screen."""
import numpy as np
import pandas as pd
import pytest

import abacor

distributed = pytest.importorskip("distributed")

GOLDEN = "up:cross(ma(close,5),ma(close,20)); fast:ma(close,5); d:date;"


@pytest.fixture(scope="module")
def client():
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=False,
                                       dashboard_address=None)
    with distributed.Client(cluster) as c:
        yield c
    cluster.close()


@pytest.fixture
def files(sample, tmp_path):
    paths = []
    for i in range(7):
        part = sample.iloc[100 * i: 100 * i + 50 + 20 * i]
        path = tmp_path / f"SYM{i}.csv"
        part.to_csv(path, date_format="%Y-%m-%d")
        paths.append(path)
    return paths


def test_same_table_as_the_thread_pool(client, files, tmp_path):
    frames = {p.stem: abacor.read_csv(p) for p in files}
    want = abacor.screen(GOLDEN, frames, workers=2)
    assert want["error"].isna().all()
    got = abacor.dask.screen(GOLDEN, [str(p) for p in files], client=client)
    pd.testing.assert_frame_equal(got, want)
    # a glob, sorted; the default client
    got = abacor.dask.screen(GOLDEN, str(tmp_path / "SYM*.csv"))
    pd.testing.assert_frame_equal(got, want)


def test_a_broken_file_fails_only_its_symbol(client, files, tmp_path):
    broken = tmp_path / "BROKEN.csv"
    broken.write_text("date,open,high,low,close,volume\n2020-01-02,1,2,0.5,1.5,10\n2020-01-03,1,2,x,1.5,10\n")
    paths = [files[0], broken, files[1]]
    table = abacor.dask.screen(GOLDEN, paths, client=client)
    assert list(table.index) == ["SYM0", "BROKEN", "SYM1"]
    error = table.loc["BROKEN", "error"]
    assert str(broken) in error and ":3:" in error
    assert table.loc["BROKEN", ["up", "fast", "d"]].isna().all()
    want = abacor.screen(GOLDEN, {p.stem: abacor.read_csv(p) for p in files[:2]})
    pd.testing.assert_frame_equal(table.loc[["SYM0", "SYM1"]], want)


def test_bad_calls(client, files, tmp_path):
    with pytest.raises(abacor.FormulaError):
        abacor.dask.screen("up:cross(ma(close,5);", files, client=client)
    with pytest.raises(ValueError, match="no file matches"):
        abacor.dask.screen(GOLDEN, str(tmp_path / "none*.csv"), client=client)
    twin = tmp_path / "sub"
    twin.mkdir()
    (twin / "SYM0.csv").write_text(files[0].read_text())
    with pytest.raises(ValueError, match="same name"):
        abacor.dask.screen(GOLDEN, [files[0], twin / "SYM0.csv"], client=client)


def test_a_task_that_fails_names_its_symbol(client, files, monkeypatch):
    # The cluster runs in this process, so a worker sees the patched reader.
    real = abacor.read_csv

    def flaky(path):
        if "SYM3" in str(path):
            raise RuntimeError("disk on fire")
        return real(path)

    monkeypatch.setattr(abacor, "read_csv", flaky)
    table = abacor.dask.screen(GOLDEN, files, client=client)
    error = table.loc["SYM3", "error"]
    assert error.startswith("SYM3: the task failed on its worker") and "disk on fire" in error
    others = table.drop(index="SYM3")
    assert others["error"].isna().all() and len(others) == 6
