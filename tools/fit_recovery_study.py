#!/usr/bin/python3
"""How well vandrel-cli fit's uncertainties describe the scatter of its results.

For a detached and a contact system, twenty (--realisations) observation files are made with
`vandrel-cli observe --precise`, each with its own Gaussian noise, and each is fitted with
`vandrel-cli fit` from a start 10 to 20 % away from the truth. For every free parameter the
script prints the truth, the mean of the fitted values, their scatter (standard deviation over
the realisations), the median uncertainty the fit reported, the ratio of the two, and how many
fits lie within three of their uncertainties of the truth. The uncertainties hold when the
ratio lies between 1/2 and 2.

Usage: /usr/bin/python3 tools/fit_recovery_study.py [--cli build/vandrel-cli]
           [--realisations 20] [--noise 0.005] [--count 1000] [--jobs 2] [--systems detached,contact]
"""

import argparse
import concurrent.futures
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

# The true systems and the starts of their fits. A contact envelope lies in a narrow band of
# radii (between the Roche lobe and the outer critical surface), so its radii start 3 % away,
# which moves them across a good part of that band; the other parameters start 10-15 % away.
SYSTEMS = {
    "detached": {
        "truth": {"q": 0.6, "incl": 86, "r1": 0.28, "r2": 0.2, "t1": 7500, "t2": 5200},
        "start": {"q": 0.69, "incl": 77.4, "r1": 0.2436, "r2": 0.224, "t2": 5980},
        "config": "detached",
    },
    "contact": {
        "truth": {"q": 0.35, "incl": 82, "r1": 0.46, "r2": 0.29, "t1": 6200, "t2": 5900},
        "start": {"q": 0.2975, "incl": 73.8, "r1": 0.4738, "r2": 0.2813, "t2": 5192},
        "config": "contact",
    },
}
FREE = ["q", "incl", "r1", "r2", "t2"]
PERIOD, EPOCH = 0.8, 2460000.25


def options(values):
    out = []
    for name, value in values.items():
        out += ["--" + name, str(value)]
    return out


def one_fit(cli, folder, name, system, seed, noise, count):
    observed = os.path.join(folder, f"{name}-{seed}.txt")
    report = os.path.join(folder, f"{name}-{seed}.json")
    ephemeris = ["--period", str(PERIOD), "--epoch", str(EPOCH)]
    subprocess.run([cli, "observe", "--precise", "--band", "V", "--flux", "--count", str(count),
                    "--noise", str(noise), "--cycles", "50", "--seed", str(seed),
                    "--factor", "800", "--error-column", "--threads", "1", "--out", observed]
                   + ephemeris + options(system["truth"]), check=True)
    started = time.monotonic()
    fit = subprocess.run([cli, "fit", "--observed", observed, "--band", "V", "--quiet",
                          "--config", system["config"], "--free", ",".join(FREE),
                          "--threads", "1", "--json", report]
                         + ephemeris + options(system["truth"]) + options(system["start"]),
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    seconds = time.monotonic() - started
    if not os.path.exists(report):
        raise RuntimeError(f"{name}, seed {seed}: the fit wrote no report: {fit.stderr}")
    with open(report) as f:
        result = json.load(f)
    result["exit"] = fit.returncode
    result["seed"] = seed
    result["wall_seconds"] = seconds
    return result


def study(cli, name, realisations, noise, count, jobs):
    system = SYSTEMS[name]
    with tempfile.TemporaryDirectory(prefix="vandrel-study-") as folder:
        with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
            fits = list(pool.map(lambda s: one_fit(cli, folder, name, system, s, noise, count),
                                 range(1, realisations + 1)))
    converged = [f for f in fits if f["converged"] and f["exit"] == 0]
    print(f"\n{name}: {len(converged)} of {len(fits)} fits converged; noise {noise * 100:g} % "
          f"of the flux, {count} points each; median fit "
          f"{statistics.median(f['wall_seconds'] for f in fits):.1f} s")
    print(f"{'parameter':10}{'truth':>10}{'mean':>12}{'scatter':>12}{'sigma':>12}"
          f"{'sigma/scatter':>15}{'within 3 sigma':>16}")
    ratios_ok = True
    for parameter in FREE:
        values, sigmas = [], []
        for f in converged:
            entry = next(p for p in f["parameters"] if p["name"] == parameter)
            values.append(entry["value"])
            sigmas.append(entry["sigma"])
        truth = system["truth"][parameter]
        scatter = statistics.stdev(values) if len(values) > 1 else float("nan")
        sigma = statistics.median(sigmas)
        ratio = sigma / scatter if scatter > 0 else float("nan")
        within = sum(abs(v - truth) < 3 * s for v, s in zip(values, sigmas))
        ratios_ok &= 0.5 <= ratio <= 2
        print(f"{parameter:10}{truth:>10.6g}{statistics.mean(values):>12.6g}{scatter:>12.4g}"
              f"{sigma:>12.4g}{ratio:>15.2f}{within:>11d} of {len(values)}")
    for f in fits:
        if f not in converged:
            print(f"  seed {f['seed']}: {f['status']} (exit {f['exit']})")
            continue
        for entry in f["parameters"]:
            if entry["name"] in FREE:
                pull = (entry["value"] - system["truth"][entry["name"]]) / entry["sigma"]
                if abs(pull) >= 3:
                    print(f"  seed {f['seed']}: {entry['name']} = {entry['value']:.6g} +- "
                          f"{entry['sigma']:.3g}, {pull:+.1f} sigma from the truth; "
                          f"chi-squared {f['chi2']:.1f} for {f['degrees_of_freedom']:.0f}")
    verdict = "within" if ratios_ok and len(converged) == len(fits) else "NOT within"
    print(f"{name}: the reported sigmas are {verdict} a factor 2 of the scatter")
    return ratios_ok and len(converged) == len(fits)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--cli", default=os.path.join(here, "..", "build", "vandrel-cli"))
    parser.add_argument("--realisations", type=int, default=20)
    parser.add_argument("--noise", type=float, default=0.005)
    parser.add_argument("--count", type=int, default=1000)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--systems", default="detached,contact")
    args = parser.parse_args()
    if not os.access(args.cli, os.X_OK):
        sys.exit(f"no vandrel-cli at {args.cli}: build it first (scripts/build.sh build) or give --cli")
    ok = True
    for name in args.systems.split(","):
        if name not in SYSTEMS:
            sys.exit(f"unknown system '{name}' (detached, contact)")
        ok &= study(args.cli, name, args.realisations, args.noise, args.count, args.jobs)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
