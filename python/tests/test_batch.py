"""vandrel.batch on Dask clusters of this machine: the same files as single runs, failures
reported, killed workers and killed runs survived."""

import csv
import os
import signal
import subprocess
import sys
import threading
import time

import numpy as np
import pandas
import pytest

import vandrel
from vandrel import batch

distributed = pytest.importorskip("distributed")

BANDS = ["V", "TESS"]


def write_table(path, rows):
    with open(path, "w", newline="") as f:
        writer = csv.DictWriter(f, fieldnames=sorted({k for r in rows for k in r}))
        writer.writeheader()
        writer.writerows(rows)


def index_of(folder):
    with open(folder / "index.csv", newline="") as f:
        return list(csv.DictReader(f))


def local_client(workers):
    cluster = distributed.LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                                       dashboard_address=None)
    return distributed.Client(cluster), cluster


def test_two_workers_write_the_files_of_single_runs(cli, tmp_path):
    rows = [{"star": "AW UMa"},
            {"star": "Beta Per", "q": "0.3"},
            {"name": "made up", "q": "0.5", "incl": "85", "r1": "0.3", "r2": "0.25",
             "tidal": "no", "ld-law": "V=quadratic", "ld1": "V=0.4,0.2", "ld2": "V=0.5,0.2"},
            {"star": "No Such Star"}]
    write_table(tmp_path / "table.csv", rows)
    client, cluster = local_client(2)
    try:
        index = batch.run(tmp_path / "table.csv", tmp_path / "out", client=client, bands=BANDS,
                          phases=50, progress=False)
        # Without a folder, from a DataFrame whose missing cells are NaN: arrays, no files;
        # two rows per task, the failing row beside a good one.
        in_memory = batch.run(pandas.DataFrame(rows), client=client, bands=BANDS, phases=50,
                              progress=False, chunk=2)
    finally:
        client.close()
        cluster.close()
    assert [r["file"] for r in index] == ["AW_UMa.csv", "Beta_Per.csv", "made_up.csv",
                                          "No_Such_Star.csv"]
    assert index_of(tmp_path / "out")[3]["status"].startswith("failed: ")
    with pytest.raises(ValueError) as failure:
        vandrel.System(star="No Such Star")
    assert index[3]["error"] == str(failure.value)
    for n, (row, entry) in enumerate(zip(rows[:3], index)):
        single = vandrel.System(**{k: v for k, v in row.items() if k != "name"})
        text = single.light_curve_csv(vandrel.phase_grid(50), bands=BANDS)
        assert (tmp_path / "out" / entry["file"]).read_text() == text
        assert entry["contact"] == single.state
        np.testing.assert_array_equal(in_memory[n]["flux"],
                                      single.light_curve(vandrel.phase_grid(50), bands=BANDS))
    assert (in_memory[3]["status"], in_memory[3]["flux"]) == ("failed", None)
    code, _, err = cli("lightcurve", "--precise", "--star", "AW UMa", "--bands", "V,TESS",
                       "--phases", 50, "--out", tmp_path / "tool.csv")
    assert code == 0, err
    assert (tmp_path / "tool.csv").read_bytes() == (tmp_path / "out" / "AW_UMa.csv").read_bytes()


def test_a_worker_killed_mid_run_does_not_stop_the_batch(tmp_path):
    rows = [{"star": name} for name in vandrel.atlas()[:24]]
    client, cluster = local_client(2)
    try:
        killed = []

        def kill_a_worker():
            while not any(f.endswith(".csv") and f not in ("index.csv", "journal.csv")
                          for f in os.listdir(tmp_path / "out")):
                time.sleep(0.05)
            pid = next(iter(client.run(os.getpid).values()))
            os.kill(pid, signal.SIGKILL)
            killed.append(pid)

        os.makedirs(tmp_path / "out")
        killer = threading.Thread(target=kill_a_worker, daemon=True)
        killer.start()
        index = batch.run(rows, tmp_path / "out", client=client, bands=BANDS, phases=600,
                          progress=False)
        killer.join(timeout=10)
    finally:
        client.close()
        cluster.close()
    assert killed
    assert [r["status"] for r in index] == ["ok"] * len(rows)


def test_a_killed_run_restarted_redoes_no_finished_row(tmp_path):
    write_table(tmp_path / "table.csv", [{"star": name} for name in vandrel.atlas()[:30]])
    command = [sys.executable, "-m", "vandrel.batch", str(tmp_path / "table.csv"), "--out",
               str(tmp_path / "out"), "--workers", "2", "--phases", "800", "--bands", "V,TESS",
               "--quiet"]
    first = subprocess.Popen(command, start_new_session=True, stderr=subprocess.DEVNULL)
    journal = tmp_path / "out" / "journal.csv"
    try:
        deadline = time.monotonic() + 120
        while not (journal.exists() and len(journal.read_text().splitlines()) > 4):
            assert first.poll() is None and time.monotonic() < deadline
            time.sleep(0.05)
    finally:
        os.killpg(first.pid, signal.SIGKILL)  # the run, its cluster and its workers
        first.wait()
    finished = {line.split(",")[1] for line in journal.read_text().splitlines()[1:]}
    assert 4 <= len(finished) < 30
    before = {f: os.stat(tmp_path / "out" / f) for f in finished}

    second = subprocess.run(command, capture_output=True, text=True, timeout=300)
    assert second.returncode == 0, second.stderr
    index = index_of(tmp_path / "out")
    assert [r["status"] for r in index] == ["ok"] * 30
    for f, stat in before.items():
        now = os.stat(tmp_path / "out" / f)
        assert (now.st_ino, now.st_mtime_ns) == (stat.st_ino, stat.st_mtime_ns), f
    # Once all is done, a rerun has nothing to compute.
    done = {f: os.stat(f).st_mtime_ns for f in (tmp_path / "out").glob("*_*.csv")}
    third = subprocess.run(command, capture_output=True, text=True, timeout=60)
    assert third.returncode == 0, third.stderr
    assert {f: os.stat(f).st_mtime_ns for f in done} == done
