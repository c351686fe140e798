"""What a 721-phase curve costs from Python over the same curve in C++: System.light_curve
against vandrel_bench's BM_WindowCurve721 (the same C++ call the module makes: the system from
the window's boxes, the band by name, model and curve) and the engine's own BM_PreciseCurve721,
for spheres and for Roche stars (...Roche), one band, one thread. Python and C++ are measured in
turns, round after round, so that other work on the machine disturbs both alike; the medians
and the fastest of the rounds are compared.

    PYTHONPATH=build/python /usr/bin/python3 bench/python/light_curve_overhead.py [BUILD] [ROUNDS]
"""

import json
import os
import statistics
import subprocess
import sys
import time

import vandrel

SYSTEMS = {
    "Curve721": dict(q=1, incl=90, r1=0.2, r2=0.3, t1=6000, t2=6000, w1=0.5, w2=0.5,
                               tidal=False),
    "Curve721Roche": dict(q=0.5, incl=82, r1=0.4095, r2=0.2949, t1=8000, t2=6000,
                                    w1=0.5, w2=0.5),
}
SECONDS = 0.3  # per side and round


def cpp_times(bench, name):
    """Per curve: (wall, CPU) seconds of the C++ benchmark."""
    done = subprocess.run([bench, f"--benchmark_filter=^{name}$", f"--benchmark_min_time={SECONDS}",
                           "--benchmark_format=json"], capture_output=True, text=True, check=True)
    result = json.loads(done.stdout)["benchmarks"][0]
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[result["time_unit"]]
    return result["real_time"] * scale, result["cpu_time"] * scale


def python_times(system, phases):
    """Per curve: (wall, CPU) seconds of System.light_curve."""
    system.light_curve(phases, bands="V")
    count, wall, cpu = 0, time.perf_counter(), time.process_time()
    while time.perf_counter() - wall < SECONDS:
        system.light_curve(phases, bands="V", threads=1)
        count += 1
    return (time.perf_counter() - wall) / count, (time.process_time() - cpu) / count


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    bench = os.path.join(build, "vandrel_bench")
    phases = vandrel.phase_grid(721)
    print(f"{rounds} rounds of {SECONDS} s per side; load average {os.getloadavg()[0]:.2f} "
          f"on {os.cpu_count()} cores")
    for name, keywords in SYSTEMS.items():
        system = vandrel.System(**keywords)
        benchmarks = [f"BM_Window{name}", f"BM_Precise{name}"]
        cpp = {b: [] for b in benchmarks}
        python = []
        for _ in range(rounds):
            for b in benchmarks:
                cpp[b].append(cpp_times(bench, b))
            python.append(python_times(system, phases))
        for what, column in (("wall", 0), ("CPU", 1)):
            for kind, pick in (("median", statistics.median), ("fastest", min)):
                p = pick(t[column] for t in python) * 1e3
                line = f"{name:13} {what:4} {kind:7}: Python {p:6.2f} ms"
                for b in benchmarks:
                    c = pick(t[column] for t in cpp[b]) * 1e3
                    line += f"; {b} {c:6.2f} ms ({100 * (p / c - 1):+5.1f} %)"
                print(line)
    print(f"load average after: {os.getloadavg()[0]:.2f}")


if __name__ == "__main__":
    main()
