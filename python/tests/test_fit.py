"""vandrel.fit against the tool's fit on the same observations: the same values, posterior
and messages."""

import json
import threading
import time

import numpy as np
import pytest

import vandrel
from conftest import tool_error

START = {"q": 0.55, "incl": 85, "r1": 0.28, "r2": 0.21, "t1": 6500, "t2": 5000}
FIT = {"free": "q,incl,r2", "rings": 12, "threads": 1, "starts": 2, "candidates": 6}
QUICK = {**FIT, "starts": 1, "candidates": 0}
TOOL_FIT = ["--free", "q,incl,r2", "--rings", "12", "--threads", "1", "--starts", "2",
            "--candidates", "6", "--quiet"]


def options(values):
    return [a for k, v in values.items() for a in (f"--{k}", str(v))]


@pytest.fixture(scope="module")
def observed(cli, tmp_path_factory):
    """A detached system observed in V with 0.5 % noise, made by the tool."""
    path = tmp_path_factory.mktemp("fit") / "observed.txt"
    code, _, err = cli("observe", "--precise", "--band", "V", "--q", "0.6", "--incl", "86",
                       "--r1", "0.28", "--r2", "0.2", "--t1", "6500", "--t2", "5200",
                       "--count", "300", "--noise", "0.005", "--rings", "12", "--out", path)
    assert code == 0, err
    return path


def test_fit_equals_the_tool(cli, observed, tmp_path):
    code, _, err = cli("fit", "--observed", observed, "--band", "V", *options(START), *TOOL_FIT,
                       "--mcmc", "12", "--walkers", "8", "--json", tmp_path / "tool.json")
    assert code == 0, err
    tool = json.loads((tmp_path / "tool.json").read_text())
    system = vandrel.System(**START)
    result = vandrel.fit(system, observed, bands="V", mcmc_steps=12, walkers=8, **FIT)
    assert result.converged and result.status == tool["status"] == "converged"
    assert result.quantities == tool["parameters"]
    assert (result.chi2, result.points) == (tool["chi2"], tool["points"])
    fitted = result.system
    assert (fitted.q, fitted.incl, fitted.r2, fitted.r1) == pytest.approx(
        (result.values["q"], result.values["incl"], result.values["r2"], START["r1"]), rel=1e-13)
    assert result.posterior.samples.shape == (12 * 8 - 12 // 4 * 8, len(tool["parameters"]))
    assert result.posterior.median["q"] == tool["parameters"][0]["mcmc"]["median"]
    model = result.files[0]["model"]
    assert model.shape == (300,) and np.sqrt(np.mean((model - np.loadtxt(
        observed, delimiter=",", skiprows=1)[:, 1]) ** 2)) == pytest.approx(
        tool["files"][0]["rms"], rel=1e-12)

    # The same observations held in arrays, or in a table with a column of bands.
    rows = np.loadtxt(observed, delimiter=",", skiprows=1)
    from_arrays = vandrel.fit(system, (rows[:, 0], rows[:, 1]), bands="V", **FIT)
    table = {"phase": rows[:, 0], "mag": rows[:, 1], "band": ["V"] * len(rows)}
    from_table = vandrel.fit(system, [table], **FIT)
    for other in (from_arrays, from_table):
        assert [(p["name"], p["value"], p["sigma"]) for p in other.quantities] == [
            (p["name"], p["value"], p["sigma"]) for p in tool["parameters"]]


def test_the_fitted_system_carries_the_fitted_physics(observed):
    start = vandrel.System(**START, gd2=0.5, spot=[(1, 10, 90, 20, 0.9)])
    result = vandrel.fit(start, observed, bands="V", **{**QUICK, "free": "gd2,spot1.lon"})
    assert (result.system.gd2, result.system.spots[0][2]) == pytest.approx(
        (result.values["gd2"], result.values["spot1.lon"]), rel=1e-12)


def test_fit_lets_other_threads_run_and_stops_when_asked(observed):
    system = vandrel.System(**START)
    lines, took = [], []

    def work():
        start = time.perf_counter()
        vandrel.fit(system, observed, bands="V", progress=lines.append, **QUICK)
        took.append(time.perf_counter() - start)

    worker = threading.Thread(target=work)
    last, longest = time.perf_counter(), 0.0
    worker.start()
    while worker.is_alive():
        now = time.perf_counter()
        longest, last = max(longest, now - last), now
    worker.join()
    assert lines and longest < took[0] / 2, (longest, took[0])

    # An exception in the progress function (as Ctrl-C) stops the fit and is raised.
    def stop(line):
        raise KeyboardInterrupt

    start = time.perf_counter()
    with pytest.raises(KeyboardInterrupt):
        vandrel.fit(system, observed, bands="V", progress=stop, **QUICK)
    assert time.perf_counter() - start < took[0] / 2


@pytest.mark.parametrize("call, tool_options, kind", [
    (lambda path, tmp: vandrel.fit(vandrel.System(**START), path, bands="V", free="q,mass"),
     ["--observed", "{path}", "--band", "V", "--free", "q,mass"], ValueError),
    (lambda path, tmp: vandrel.fit(vandrel.System(**START), f"{tmp}/missing.txt", bands="V"),
     ["--observed", "{tmp}/missing.txt", "--band", "V"], OSError),
    (lambda path, tmp: vandrel.fit(vandrel.System(**START), f"{tmp}/bad.txt", bands="V"),
     ["--observed", "{tmp}/bad.txt", "--band", "V"], ValueError),
    (lambda path, tmp: vandrel.fit(vandrel.System(**START), path),
     ["--observed", "{path}"], ValueError),
    (lambda path, tmp: vandrel.fit(vandrel.System(single_star=True), path, bands="V"),
     ["--observed", "{path}", "--band", "V", "--single-star"], ValueError),
    (lambda path, tmp: vandrel.fit(vandrel.System(**START, tidal=False), path, bands="V",
                                   config="contact"),
     ["--observed", "{path}", "--band", "V", "--no-tidal", "--config", "contact"], ValueError),
])
def test_fit_errors_carry_the_tools_messages(cli, observed, tmp_path, call, tool_options, kind):
    (tmp_path / "bad.txt").write_text("phase, mag\n0.1, 0.5\n0.2, bright\n")
    args = [o.format(path=observed, tmp=tmp_path) for o in tool_options]
    code, _, err = cli("fit", *args, *options(START))
    assert code != 0
    with pytest.raises(Exception) as caught:
        call(observed, tmp_path)
    assert (caught.type, str(caught.value)) == (kind, tool_error(err, "fit"))


def test_observations_the_module_refuses(observed):
    system = vandrel.System(**START)
    with pytest.raises(ValueError, match="observed 1: row 2: the magnitude 1000"):
        vandrel.fit(system, ([0.1, 0.2], [0.5, 1000.0]), bands="V")
    with pytest.raises(ValueError, match="columns differ in length"):
        vandrel.fit(system, ([0.1, 0.2], [0.5]), bands="V")
    with pytest.raises(ValueError, match="holds times: phase them with period"):
        vandrel.fit(system, {"time": [1.0, 2.0], "mag": [0.5, 0.6]}, bands="V")
    with pytest.raises(ValueError, match="2 bands for 1 observation sets"):
        vandrel.fit(system, [observed], bands=["V", "I"])
    with pytest.raises(TypeError):
        vandrel.fit(system, 42, bands="V")
