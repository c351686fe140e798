"""Light curves of a table of systems, computed on a Dask cluster.

    python3 -m vandrel.batch TABLE.csv --out DIR [--scheduler ADDRESS] [--workers N]
                             [--bands B1,B2,...] [--phases N] [--rings N] [--scale S]

One row per system. The columns are named like the options of the tool vandrel-cli
(star, load-star, q, incl, r1, r2, t1, t2, w1, w2, tidal, single-star, ld-law,
ld1, ld2, ...; '_' may stand for '-', any case; i stands for incl), plus name, the
name of the system's file. An empty cell leaves the option out. Commas, tabs or
semicolons separate the cells (`vandrel-cli atlas --header` writes such a table).

DIR receives one CSV per system, byte for byte what `vandrel-cli lightcurve
--precise --out FILE` writes for the same options, and index.csv (name, file,
contact state, status). A row that fails is reported and the others go on; a
rerun computes only what is missing (journal.csv records what is done and with
which settings). Without --scheduler the rows run on a LocalCluster on this
machine, one worker process per core (--workers N).

From Python: vandrel.batch.run(table, out, client=...); without out, the curves come
back as numpy arrays instead of files.
"""

import argparse
import contextlib
import csv
import hashlib
import itertools
import json
import os
import sys
import uuid

from . import _vandrel
from ._vandrel import System, phase_grid

NAME_COLUMN = "name"
DEBIAN_PYTHON = "/usr/bin/python3"
_ALIASES = {"i": "incl"}
_JOURNAL = "journal.csv"
_INDEX = "index.csv"


def _column_name(text):
    """A column's name as System's keyword: lower case, '_' for '-', aliases resolved."""
    name = text.strip().lower().replace("-", "_")
    return _ALIASES.get(name, name)


def _known_columns():
    """The column names a table may have."""
    return set(_vandrel._system_keywords()) | {NAME_COLUMN}


def _settings(row, base):
    """The row's options: names made uniform, empty cells dropped, relative star files
    taken from base."""
    known = _known_columns()
    settings = {}
    for key, value in row.items():
        if key is None:
            raise ValueError("a row has more cells than the table has columns")
        name = _column_name(key)
        if name not in known:
            raise ValueError(
                f"the table's column '{key}' is none of: {', '.join(sorted(known))}")
        if value is None or (isinstance(value, float) and value != value):
            continue  # an empty cell (None, or NaN from pandas)
        if isinstance(value, str):
            value = value.strip()
            if not value:
                continue
        if name == "load_star":
            value = os.path.join(base, os.fspath(value))
        settings[name] = value
    return settings


def read_table(path):
    """The rows of a table file as dictionaries of texts (see the module's help)."""
    with open(path, newline="", encoding="utf-8-sig") as f:
        text = f.read()
    try:
        dialect = csv.Sniffer().sniff(text.splitlines()[0] if text else "", ",\t;")
    except csv.Error:
        dialect = csv.excel
    rows = list(csv.DictReader(text.splitlines(), dialect=dialect))
    return [row for row in rows if any((v or "").strip() for v in row.values() if
                                       isinstance(v, str))]


def _rows_of(table):
    """The settings of every row of a table file, a sequence of dictionaries or a pandas
    DataFrame."""
    if isinstance(table, (str, os.PathLike)):
        base = os.path.dirname(os.path.abspath(os.fspath(table)))
        return [_settings(row, base) for row in read_table(table)]
    if hasattr(table, "to_dict"):  # a pandas DataFrame
        table = table.to_dict("records")
    return [_settings(dict(row), os.getcwd()) for row in table]


def _display_name(settings, number):
    """The name a row's file and messages go by: its name, its atlas star, its star file's
    name, else its row number."""
    for key in (NAME_COLUMN, "star"):
        if settings.get(key):
            return str(settings[key])
    if settings.get("load_star"):
        return os.path.splitext(os.path.basename(str(settings["load_star"])))[0]
    return f"row {number}"


def _key(settings, request):
    """What a row's result depends on: its options (a star file's contents too) and the
    batch's."""
    star_file = ""
    if settings.get("load_star"):
        try:
            with open(settings["load_star"], "rb") as f:
                star_file = hashlib.sha256(f.read(1 << 20)).hexdigest()
        except OSError:
            pass  # the row fails on its worker, which says why
    text = json.dumps({"row": {k: str(v) for k, v in sorted(settings.items())},
                       "star_file": star_file, "request": request,
                       "version": _vandrel.__version__}, sort_keys=True)
    return hashlib.sha256(text.encode()).hexdigest()[:32]


def compute_row(settings, bands, phases, rings, scale, as_text=True):
    """One row on a worker: the tool's CSV text (as_text) or the array of light_curve, the
    contact state and any warnings."""
    system = _vandrel._quiet_system({k: v for k, v in settings.items() if k != NAME_COLUMN})
    curve = system.light_curve_csv if as_text else system.light_curve
    values = curve(phase_grid(phases), bands=bands, rings=rings, scale=scale, threads=1)
    return {"csv" if as_text else "flux": values, "contact": system.state,
            "warnings": system.warnings}


def _read_journal(path):
    """file -> (key, contact) of the rows finished by earlier runs."""
    done = {}
    try:
        with open(path, newline="", encoding="utf-8") as f:
            text = f.read()
    except FileNotFoundError:
        return done
    lines = text.split("\n")
    lines.pop()  # an unfinished last line (a run killed while writing it) does not count
    for fields in csv.reader(lines):
        if len(fields) == 3 and fields[0] != "key":
            done[fields[1]] = (fields[0], fields[2])
    return done


def _failure_text(error):
    """What the index says of a row that failed (its error, or the error's text)."""
    if type(error).__name__ == "KilledWorker":
        return "the workers computing it died (KilledWorker)"
    return str(error) or type(error).__name__


def _client(scheduler, workers):
    """A client of the scheduler at that address, else of a new LocalCluster; and what to
    close after."""
    from distributed import Client, LocalCluster
    if scheduler:
        client = Client(scheduler, timeout="30s")
        return client, [client]
    cluster = LocalCluster(n_workers=workers or os.cpu_count() or 1, threads_per_worker=1,
                           processes=True, dashboard_address=None)
    client = Client(cluster)
    return client, [client, cluster]


def compute_rows(chunk, bands, phases, rings, scale, as_text=True):
    """Rows on a worker, one after the other (chunk: (n, settings) pairs): a list of (n,
    compute_row's result, None) or (n, None, the text of the row's error)."""
    done = []
    for n, settings in chunk:
        try:
            done.append((n, compute_row(settings, bands, phases, rings, scale, as_text), None))
        except Exception as error:  # the row fails, the chunk's others go on
            done.append((n, None, _failure_text(error)))
    return done


def _chunk_size(client, rows):
    """Rows per task: a few, so that the scheduler's and the transfers' cost per task is
    shared, but enough tasks that every worker stays busy to the end."""
    workers = max(1, sum(client.nthreads().values()))
    return max(1, min(8, rows // (8 * workers)))


def _compute(client, jobs, arguments, size):
    """Runs compute_rows on the cluster for the (n, settings) of jobs, size rows per task;
    yields (n, result, None) or (n, None, the error's text) as tasks finish. Few tasks are in
    flight at a time, so that a table of millions of rows never floods the scheduler; new
    ones go in as others finish. Task names are the run's own, so that runs sharing a
    scheduler never take each other's results."""
    from distributed import as_completed
    jobs = iter(jobs)
    run_id = uuid.uuid4().hex[:12]
    chunk_of = {}

    def submit():
        chunk = list(itertools.islice(jobs, size))
        if not chunk:
            return None
        future = client.submit(compute_rows, chunk, *arguments, pure=False,
                               key=f"vandrel-rows-{run_id}-{chunk[0][0]}")
        chunk_of[future.key] = chunk
        return future

    window = max(16, 4 * sum(client.nthreads().values()))
    first = [f for f in (submit() for _ in range(window)) if f is not None]
    if not first:
        return
    running = as_completed(first)
    for future in running:
        chunk = chunk_of.pop(future.key)
        try:
            yield from future.result()
        except Exception as error:  # the task's workers died, or the cluster went away
            for n, _ in chunk:
                yield n, None, _failure_text(error)
        future.release()
        following = submit()
        if following is not None:
            running.add(following)


class _Journal:
    """journal.csv: one line per row finished, with the key of its settings, appended as it
    finishes, so that a run killed at any moment leaves a journal the next run can read."""

    def __init__(self, path):
        self.path = path

    def __enter__(self):
        self.file = open(self.path, "a+", newline="", encoding="utf-8")
        self.writer = csv.writer(self.file, lineterminator="\n")
        if self.file.tell() == 0:
            self.writer.writerow(["key", "file", "contact"])
        else:
            self.file.seek(self.file.tell() - 1)
            if self.file.read(1) != "\n":
                self.file.write("\n")  # after the line a killed run left unfinished
        self.file.flush()
        return self

    def record(self, key, file, contact):
        """Notes a row as finished, on disk at once."""
        self.writer.writerow([key, file, contact])
        self.file.flush()

    def __exit__(self, *failure):
        self.file.close()


def run(table, out=None, client=None, *, scheduler=None, workers=None,
        bands=("red", "green", "blue"), phases=721, rings=20, scale="relative",
        progress=True, chunk=None):
    """Computes the light curve of every row of table, into files in the folder out or,
    without out, into numpy arrays.

    table: a table file (see the module's help), a sequence of dictionaries of
        System keywords, or a pandas DataFrame; a "name" entry names the file.
    out: the folder of the files (one CSV per row, index.csv, journal.csv); rows
        finished by an earlier run into it with the same settings are not computed
        again. None: no files; each row returned carries its curve as "flux", the
        array System.light_curve gives (bands x phases), None when it failed.
    client: a distributed.Client to run on; else one for the scheduler address,
        else a LocalCluster of workers processes (default one per core).
    bands, phases, rings, scale: as System.light_curve (phases: a count, as the
        tool's --phases; the phases are vandrel.phase_grid(phases)).
    chunk: rows per task (default: up to 8, so that each worker gets 8 tasks or
        more); a row that fails does not fail the others of its task.
    Returns the index rows, in the table's order (dictionaries: name, file,
    contact, status, error, and flux without out). A row that fails is reported
    and the others go on.
    """
    from tqdm import tqdm

    bands = [bands] if isinstance(bands, str) else list(bands)
    rows = _rows_of(table)
    request = {"bands": bands, "phases": phases, "rings": rings, "scale": scale}
    if chunk is not None and not (isinstance(chunk, int) and chunk >= 1):
        raise ValueError(f"chunk is a whole number of rows from 1, not {chunk!r}")
    # The batch's own settings are checked once here, with the tool's messages.
    if scale not in ("relative", "absolute", "mag"):
        raise ValueError(f"scale is relative, absolute or mag, not '{scale}'")
    phase_grid(phases)
    System().light_curve([0.0], bands=bands, rings=rings, scale="absolute")

    in_memory = out is None
    names = [_display_name(s, n + 1) for n, s in enumerate(rows)]
    results = [None] * len(rows)
    if in_memory:
        files, keys, pending = [""] * len(rows), [None] * len(rows), list(range(len(rows)))
        journal = contextlib.nullcontext()
    else:
        out = os.fspath(out)
        try:
            os.makedirs(out, exist_ok=True)
        except OSError as e:
            raise OSError(f"cannot create {out}: {e.strerror or e}") from None
        files = [f + ".csv" for f in _vandrel._file_names(names, [_INDEX, _JOURNAL])]
        keys = [_key(s, request) for s in rows]
        journal_path = os.path.join(out, _JOURNAL)
        earlier = _read_journal(journal_path)
        pending = []
        for n, (file, key) in enumerate(zip(files, keys)):
            previous = earlier.get(file)
            if previous and previous[0] == key and os.path.isfile(os.path.join(out, file)):
                results[n] = {"contact": previous[1], "status": "ok", "error": ""}
            else:
                pending.append(n)
        journal = _Journal(journal_path)

    own = []
    if client is None and pending:
        client, own = _client(scheduler, workers)
    try:
        with journal, tqdm(total=len(rows), initial=len(rows) - len(pending), unit="system",
                           disable=not progress, file=sys.stderr) as bar:
            jobs = ((n, rows[n]) for n in pending)
            arguments = (bands, phases, rings, scale, not in_memory)
            size = chunk or (_chunk_size(client, len(pending)) if pending else 1)
            finished = _compute(client, jobs, arguments, size) if pending else ()
            for n, result, error in finished:
                if error is None and not in_memory:
                    try:
                        _vandrel._write_file(os.path.join(out, files[n]), result["csv"])
                        journal.record(keys[n], files[n], result["contact"])
                    except OSError as e:
                        error = e
                if error is None:
                    results[n] = {"contact": result["contact"], "status": "ok", "error": ""}
                    for text in result["warnings"]:
                        bar.write(f"warning: {names[n]}: {text}")
                else:  # the row fails, the others go on
                    results[n] = {"contact": "", "status": "failed",
                                  "error": _failure_text(error)}
                    bar.write(f"failed: {names[n]}: {results[n]['error']}")
                if in_memory:
                    results[n]["flux"] = None if error else result["flux"]
                bar.update(1)
                bar.set_postfix_str(names[n][:30], refresh=False)
    finally:
        for thing in own:
            thing.close()

    index = [{"name": names[n], "file": files[n], **results[n]} for n in range(len(rows))]
    if not in_memory:
        _write_index(os.path.join(out, _INDEX), index)
    return index


def _write_index(path, index):
    """index.csv: one line per row, its status "ok" or "failed: " and why."""
    import io
    text = io.StringIO()
    writer = csv.writer(text, lineterminator="\n")
    writer.writerow(["name", "file", "contact", "status"])
    for row in index:
        status = "ok" if row["status"] == "ok" else f"failed: {row['error']}"
        writer.writerow([row["name"], row["file"], row["contact"], status])
    _vandrel._write_file(path, text.getvalue())


def main(argv=None):
    """python3 -m vandrel.batch: the command line (argv: its arguments without the program);
    returns the exit status, 1 when the batch could not start or a row failed."""
    parser = argparse.ArgumentParser(
        prog="python3 -m vandrel.batch",
        description="Light curves of a table of systems on a Dask cluster: one CSV per "
                    "system and DIR/index.csv.",
        epilog="Columns are named like vandrel-cli's options (star, q, incl, r1, ...); see "
               "help(vandrel.batch).")
    parser.add_argument("table", help="the table of systems (CSV, tab- or semicolon-separated)")
    parser.add_argument("--out", required=True, metavar="DIR", help="the folder of the results")
    parser.add_argument("--scheduler", metavar="ADDRESS",
                        help="a running Dask scheduler (tcp://HOST:8786); default: a "
                             "LocalCluster on this machine")
    parser.add_argument("--workers", type=int, metavar="N",
                        help="worker processes of the LocalCluster (default: one per core)")
    parser.add_argument("--bands", default="red,green,blue", metavar="B1,B2,...",
                        help="bands, as vandrel.bands() lists them (default red,green,blue)")
    parser.add_argument("--phases", type=int, default=721, metavar="N",
                        help="N phases from -0.25 to 0.75 (default 721)")
    parser.add_argument("--rings", type=int, default=20, metavar="N",
                        help="mesh rings per star (default 20)")
    parser.add_argument("--scale", default="relative", choices=["relative", "absolute", "mag"],
                        help="flux relative to each band's brightest point (default), "
                             "absolute, or magnitudes")
    parser.add_argument("--quiet", action="store_true", help="no progress bar")
    args = parser.parse_args(argv)
    missing = _missing_packages()
    if missing:
        print(f"vandrel.batch: {sys.executable} cannot import {', '.join(missing)} "
              f"(Debian: python3-numpy python3-distributed python3-tqdm); run it with "
              f"{DEBIAN_PYTHON}", file=sys.stderr)
        return 1
    if args.workers is not None and args.scheduler:
        parser.error("--workers concerns the local cluster; it does not go with --scheduler")
    if args.workers is not None and not 1 <= args.workers <= 256:
        parser.error("--workers needs a whole number from 1 to 256")
    try:
        index = run(args.table, args.out, scheduler=args.scheduler, workers=args.workers,
                    bands=[b for b in args.bands.split(",") if b], phases=args.phases,
                    rings=args.rings, scale=args.scale, progress=not args.quiet)
    except (OSError, ValueError, TypeError) as error:
        print(f"vandrel.batch: {error}", file=sys.stderr)
        return 1
    failed = [row for row in index if row["status"] != "ok"]
    print(f"{len(index) - len(failed)} of {len(index)} systems done; index "
          f"{os.path.join(args.out, _INDEX)}", file=sys.stderr)
    for row in failed:
        print(f"  failed: {row['name']}: {row['error']}", file=sys.stderr)
    return 1 if failed else 0


def _missing_packages():
    """The packages the batch needs that this interpreter cannot import."""
    missing = []
    for name in ("numpy", "distributed", "tqdm"):
        try:
            __import__(name)
        except ImportError:
            missing.append(name)
    return missing


if __name__ == "__main__":
    # A version manager's python3 first on PATH lacks Debian's numpy and dask: the batch
    # runs with Debian's interpreter instead, which imports the same package.
    if (_missing_packages() and os.access(DEBIAN_PYTHON, os.X_OK)
            and os.path.realpath(sys.executable) != os.path.realpath(DEBIAN_PYTHON)):
        print(f"vandrel.batch: {sys.executable} lacks {', '.join(_missing_packages())}; "
              f"running with {DEBIAN_PYTHON}", file=sys.stderr)
        sys.stderr.flush()
        os.execv(DEBIAN_PYTHON, [DEBIAN_PYTHON, "-m", "vandrel.batch", *sys.argv[1:]])
    # The tasks must name the function as vandrel.batch.compute_row, which workers import,
    # not as a function of this script.
    from vandrel import batch
    sys.exit(batch.main())
