"""Vandrel Pro from Python: eclipsing binary stars as the program models them.

    import vandrel
    system = vandrel.System.from_atlas("AW UMa")
    phases = vandrel.phase_grid(721)
    flux = system.light_curve(phases, bands=["V", "TESS"])   # shape (2, 721)
    rv = system.radial_velocities(phases, period=0.439, a=3.0)  # {"rv1": ..., ...}
    result = vandrel.fit(system, "observed.txt", bands="V", free="q,incl")

System holds a binary (the window's parameters and the model computed from them);
its light_curve and radial_velocities come from the flux engine, picture and
recording from the window's own drawing; absolute_dimensions gives the stars in
solar units. vandrel.fit fits a system to observed light curves, and
vandrel.batch runs light curves of a table of systems on a Dask cluster. Errors are raised with the messages of the command-line tool
vandrel-cli: ValueError for values it refuses, OSError for files.
"""

from ._vandrel import System, __version__, atlas, bands, phase_grid
from .fitting import FitResult, fit

__all__ = ["System", "FitResult", "atlas", "bands", "fit", "phase_grid", "__version__"]
