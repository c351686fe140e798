"""The cost of a 721-phase curve from Python, next to build/vandrel_bench's
BM_PreciseCurve721 (the same systems, one thread):

    PYTHONPATH=build/python /usr/bin/python3 -m pytest bench/python/bench_light_curve.py -p no:cacheprovider
    build/vandrel_bench --benchmark_filter=PreciseCurve721
"""

import pytest

import vandrel

SYSTEMS = {
    # spheres 0.2 and 0.3, edge-on: BM_PreciseCurve721
    "spheres": dict(q=1, incl=90, r1=0.2, r2=0.3, t1=6000, t2=6000, w1=0.5, w2=0.5,
                    tidal=False),
    # Roche stars near filling their lobes: BM_PreciseCurve721Roche
    "roche": dict(q=0.5, incl=82, r1=0.4095, r2=0.2949, t1=8000, t2=6000, w1=0.5, w2=0.5),
}


@pytest.mark.parametrize("name", SYSTEMS)
def test_light_curve_721(benchmark, name):
    system = vandrel.System(**SYSTEMS[name])
    phases = vandrel.phase_grid(721)
    benchmark.pedantic(system.light_curve, args=(phases,), kwargs={"bands": "V"},
                       rounds=30, warmup_rounds=2)
