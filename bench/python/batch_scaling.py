"""The atlas batch on LocalClusters of 1 and 2 workers: wall time and speed-up.

    PYTHONPATH=build/python /usr/bin/python3 bench/python/batch_scaling.py [ROUNDS]
"""

import os
import sys
import tempfile
import time

import distributed

import vandrel
from vandrel import batch


def timed(workers, rows):
    cluster = distributed.LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                                       dashboard_address=None)
    client = distributed.Client(cluster)
    try:
        client.run(lambda: __import__("vandrel").System())  # workers ready, module loaded
        with tempfile.TemporaryDirectory() as out:
            start = time.perf_counter()
            index = batch.run(rows, out, client=client, progress=False)
            took = time.perf_counter() - start
    finally:
        client.close()
        cluster.close()
    assert all(r["status"] == "ok" for r in index)
    return took


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    rows = [{"star": name} for name in vandrel.atlas()]
    print(f"{len(rows)} atlas systems, red, green, blue, 721 phases; {os.cpu_count()} cores")
    for r in range(rounds):
        one, two = timed(1, rows), timed(2, rows)
        print(f"round {r + 1}: 1 worker {one:.1f} s, 2 workers {two:.1f} s, "
              f"speed-up {one / two:.2f} (load average {os.getloadavg()[0]:.2f})")


if __name__ == "__main__":
    main()
