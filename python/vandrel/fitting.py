"""Fitting a system to observed light curves: vandrel.fit and its result.

The fit itself is the command-line tool's (vandrel-cli fit): the same readers of
text and FITS files, the same start, optimiser, uncertainties and sampler, run in
C++ without the global interpreter lock. This file only turns Python's ways of
holding observations (paths, arrays, dicts, pandas tables) into the tool's files
and columns, and the tool's report into a result object.
"""

import json
import os
from collections.abc import Mapping

import numpy as np

from ._vandrel import System, _fit

_X_COLUMNS = ("phase", "time")
_VALUE_COLUMNS = {"mag": 1, "magnitude": 1, "flux": 0}
_ERROR_COLUMNS = ("sigma", "error", "err")


def _columns(item):
    """The column names of a dict, a pandas table or a numpy record array; None otherwise."""
    if isinstance(item, Mapping):
        return list(item.keys())
    if hasattr(item, "columns"):
        return list(item.columns)
    names = getattr(getattr(item, "dtype", None), "names", None)
    return list(names) if names else None


def _from_table(item, where, times, band, magnitudes):
    """The observation sets of a table: one per band when it has a column of bands."""
    names = _columns(item)
    lower = {str(n).lower(): n for n in names}
    if isinstance(item, Mapping) and "path" in item:
        entry = {"path": os.fspath(item[lower["path"]]), "band": item.get("band", band),
                 "magnitudes": _flag(item.get("magnitudes", magnitudes))}
        for key in ("flux_column", "quality_mask"):
            if item.get(key) is not None:
                entry[key] = str(item[key])
        return [entry]
    x_name = next((lower[n] for n in _X_COLUMNS if n in lower), None)
    if x_name is None:
        raise ValueError(f"{where}: needs a column 'phase' or 'time' (it has {names})")
    if str(x_name).lower() == "time" and not times:
        raise ValueError(f"{where}: the first column holds times: phase them with period=P, "
                         "epoch=T0")
    if str(x_name).lower() == "phase" and times:
        raise ValueError(f"{where}: the column holds phases, but period was given for times")
    value_name = next((lower[n] for n in _VALUE_COLUMNS if n in lower), None)
    if value_name is None:
        raise ValueError(f"{where}: needs a column 'mag' or 'flux' (it has {names})")
    error_name = next((lower[n] for n in _ERROR_COLUMNS if n in lower), None)
    x = np.asarray(item[x_name], dtype=float)
    value = np.asarray(item[value_name], dtype=float)
    error = None if error_name is None else np.asarray(item[error_name], dtype=float)
    flag = _VALUE_COLUMNS[str(value_name).lower()]
    bands = item[lower["band"]] if "band" in lower else band
    if bands is None or isinstance(bands, str):
        return [{"name": where, "x": x, "value": value, "error": error, "band": bands,
                 "magnitudes": flag}]
    bands = np.asarray(bands).astype(str)
    if bands.shape != x.shape:
        raise ValueError(f"{where}: the band column differs in length from the others")
    sets = []
    for name in dict.fromkeys(bands):  # in the order met
        rows = bands == name
        sets.append({"name": f"{where} ({name})", "x": x[rows], "value": value[rows],
                     "error": None if error is None else error[rows], "band": str(name),
                     "magnitudes": flag})
    return sets


def _flag(magnitudes):
    return -1 if magnitudes is None else int(bool(magnitudes))


def _observation_sets(observed, bands, magnitudes, times):
    """The observations as the dicts the C++ fit takes."""
    single = (isinstance(observed, (str, os.PathLike, tuple)) or _columns(observed) is not None)
    items = [observed] if single else list(observed)
    if isinstance(bands, str) or bands is None:
        bands = [bands] * len(items)
    else:
        bands = list(bands)
        if len(bands) != len(items):
            raise ValueError(f"{len(bands)} bands for {len(items)} observation sets")
    sets = []
    for k, (item, band) in enumerate(zip(items, bands), start=1):
        where = f"observed {k}"
        if isinstance(item, (str, os.PathLike)):
            sets.append({"path": os.fspath(item), "band": band, "magnitudes": _flag(magnitudes)})
        elif _columns(item) is not None:
            sets.extend(_from_table(item, where, times, band, magnitudes))
        elif isinstance(item, (tuple, list)) and len(item) in (2, 3):
            sets.append({"name": where, "x": np.asarray(item[0], dtype=float),
                         "value": np.asarray(item[1], dtype=float),
                         "error": None if len(item) == 2 else np.asarray(item[2], dtype=float),
                         "band": band, "magnitudes": 1 if magnitudes is None else int(magnitudes)})
        else:
            raise TypeError(f"{where}: give a path, (x, value[, sigma]) arrays or a table with "
                            f"columns phase|time, mag|flux[, sigma][, band], not "
                            f"{type(item).__name__}")
    return sets


class Posterior:
    """The ensemble sampler's posterior: samples[i, k] of the quantity names[k] after the
    burn-in; median, p16 and p84 per name; walkers, steps, burn_in, acceptance."""

    def __init__(self, names, samples, report, parameters):
        self.names = list(names)
        self.samples = samples
        self.walkers = report["walkers"]
        self.steps = report["steps"]
        self.burn_in = report["burn_in"]
        self.acceptance = report["acceptance"]
        self.interrupted = report["interrupted"]
        stats = [p.get("mcmc", {}) for p in parameters]
        self.median = {n: s.get("median") for n, s in zip(self.names, stats)}
        self.p16 = {n: s.get("p16") for n, s in zip(self.names, stats)}
        self.p84 = {n: s.get("p84") for n, s in zip(self.names, stats)}

    def __repr__(self):
        return (f"<vandrel.fit Posterior {self.samples.shape[0]} samples of "
                f"{len(self.names)} quantities, acceptance {self.acceptance:.2f}>")


def _fitted_keywords(start, fitted, free):
    """The start's keywords with the values of the fit's system: the stars, the third light
    and the physics, each where it is fitted, given or not zero."""
    keywords = dict(start)
    keywords.update({k: fitted[k] for k in ("q", "incl", "r1", "r2", "t1", "t2")})
    for k in ("l3", "gd1", "gd2", "alb1", "alb2", "ecc"):
        if k in free or fitted.get(k, 0) != 0 or k in keywords:
            keywords[k] = fitted[k]
    if "omega" in free or keywords.get("ecc", 0) != 0 or "omega" in keywords:
        keywords["omega"] = fitted["omega"]
    if fitted.get("spots"):
        keywords["spot"] = [(s["star"], s["lat"], s["lon"], s["radius"], s["tfactor"])
                            for s in fitted["spots"]]
    return keywords


class FitResult:
    """What vandrel.fit returns.

    system       the fitted vandrel.System (the start's keywords with the fitted q,
                 incl, r1, r2, t1, t2 and, when fitted, given or not zero, l3, gd1,
                 gd2, alb1, alb2, ecc, omega and the spots)
    values       {name: value} of every reported quantity (the free parameters, a
                 radius that follows q, each file's zero-point or flux factor)
    errors       {name: 1-sigma uncertainty} (None where not determined)
    quantities   the report's list: name, value, sigma, unit, derived, at_bound, file
    chi2, reduced_chi2, degrees_of_freedom, points
    files        per observation set: source, band, points, rms, chi2, sigma, errors,
                 notes, and the arrays phase and model (the fitted model at each
                 observation, in the set's own unit)
    status       "converged", "did not converge", ...; converged, interrupted,
                 message (how the optimiser ended); optimiser: starts, iterations,
                 model evaluations, seconds. A fit that did not converge still
                 returns its best point, as the tool reports it.
    free         the free parameters' names; configuration: "detached", ...
    notes        what the fit says about its start and grid
    ephemeris    {"t0": ..., "period": ...} when the observations carry times
    posterior    a Posterior when mcmc_steps was given, else None
    report       the tool's report, as vandrel-cli fit prints it
    json         the tool's --json report, parsed
    """

    def __init__(self, start, raw):
        report = json.loads(raw["json"])
        self.json = report
        self.report = raw["report"]
        self.status = report["status"]
        self.converged = report["converged"]
        self.interrupted = report["interrupted"]
        self.message = report["message"]
        self.configuration = report["configuration"]
        self.free = report["free"]
        self.quantities = report["parameters"]
        self.values = {p["name"]: p["value"] for p in self.quantities}
        self.errors = {p["name"]: p["sigma"] for p in self.quantities}
        self.chi2 = report["chi2"]
        self.reduced_chi2 = report["reduced_chi2"]
        self.degrees_of_freedom = report["degrees_of_freedom"]
        self.points = report["points"]
        self.optimiser = report["optimiser"]
        self.notes = report["notes"]
        self.files = report["files"]
        for entry, phase, model in zip(self.files, raw["phase"], raw["model"]):
            entry["phase"], entry["model"] = phase, model
        fitted = report["system"]
        self.ephemeris = ({"t0": fitted["t0"], "period": fitted["period"]}
                          if "t0" in fitted else None)
        self.system = System(**_fitted_keywords(start.keywords, fitted, self.free))
        self.posterior = (Posterior(raw["names"], raw["samples"], report["mcmc"],
                                    self.quantities)
                          if raw["samples"] is not None else None)

    def __repr__(self):
        shown = ", ".join(f"{n} = {self.values[n]:.6g} ± {self.errors[n]:.2g}"
                          if self.errors[n] is not None else f"{n} = {self.values[n]:.6g}"
                          for n in self.free if n in self.values)
        return f"<vandrel.FitResult {self.status}: {shown}; chi2 = {self.chi2:.6g}>"


def fit(system, observed, bands=None, free=None, *, magnitudes=None, period=None, epoch=None,
        config=None, l3=None, starts=4, candidates=24, max_iterations=100, seed=1,
        mcmc_steps=0, walkers=0, rings=20, threads=0, progress=None):
    """Fits the system to observed light curves, as vandrel-cli fit does (the same code):
    Levenberg-Marquardt from several starts, uncertainties from the covariance, and the
    posterior from an ensemble sampler when mcmc_steps is given. Returns a FitResult.

    system: the start (a vandrel.System); its limb darkening and physics (gravity
        darkening, reflection, spots, an eccentric orbit) are held fixed.
    observed: one observation set or a list of them, each
        - a path: a text file (phase or time, magnitude or flux, optionally the
          error of each value) or a TESS / Kepler light-curve FITS file;
        - (x, value) or (x, value, sigma) arrays (magnitudes unless magnitudes=False);
        - a dict, pandas DataFrame or numpy record array with columns "phase" or
          "time", "mag" or "flux", optionally "sigma" and "band" (a column of band
          names makes one set per band); or a dict {"path": ..., "band": ...,
          "flux_column": ..., "quality_mask": ...}.
        Without errors a set is weighted by the scatter of points neighbouring in
        phase, and each set's zero-point (magnitudes) or flux factor is fitted.
    bands: the band of every set (a name) or one per set (U B V R I u g r i z G BP
        RP TESS Kepler); a FITS file's telescope names its own.
    free: the parameters to fit, "q,incl" or ["q", "incl"], as the tool's --free
        (default q, incl, r1, r2, t2 as the configuration allows).
    magnitudes: files: True or False to override their header; arrays: False for
        fluxes.
    period, epoch: the first columns hold times, phase = (time - epoch) / period
        (epoch a BJD for FITS files); "t0" and "period" may then be free.
    config: "detached", "semi-detached" or "contact" (default: the start's).
    l3: the start's third light (default: the system's, or 0).
    starts, candidates, max_iterations, seed, mcmc_steps, walkers: as the tool's
        --starts, --candidates, --max-iterations, --seed, --mcmc, --walkers.
    rings, threads: the engine's mesh rings and threads (0: one per core).
    progress: a function called with each line of progress the tool shows.

    The fit runs without the global interpreter lock; Ctrl-C stops it at its next
    iteration and raises KeyboardInterrupt. ValueError (OSError for a file that
    cannot be read) carries the tool's message.
    """
    if not isinstance(system, System):
        raise TypeError(f"fit needs a vandrel.System to start from, not {type(system).__name__}")
    if isinstance(free, (list, tuple)):
        free = ",".join(free)
    times = period is not None
    sets = _observation_sets(observed, bands, magnitudes, times)
    raw = _fit(system, sets, free or "", config or "", l3, period, epoch, starts, candidates,
               max_iterations, seed, mcmc_steps, walkers, rings, threads, progress)
    return FitResult(system, raw)
