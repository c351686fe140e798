#!/usr/bin/env python3
"""Builds src/shell/atlas_data.cpp, the star atlas compiled into the program.

Usage:
    make_atlas.py CATALOGUE_TSV [OTHER_SYSTEMS_TSV] > src/shell/atlas_data.cpp

CATALOGUE_TSV is the table of published contact-binary solutions (WUMaCat extract; columns
name, q, incl_deg, r1, r2, T1, T2, radius_kind, source). OTHER_SYSTEMS_TSV (default:
other_systems.tsv next to this script) holds every atlas system the catalogue does not cover.

The atlas order, the names as shown in the list and the rows with fixed values live in this
script. Every row is checked against the Roche model the program uses (separation 1, star 1
at the origin, star 2 at x = 1, q = M2/M1) before anything is printed:
  contact        both stars overfill the inner critical surface,
  semi-detached  exactly one star overfills it,
  detached       neither does.
The script stops with a message on stderr when a row fails; a summary goes to stderr too.

Radius cells in OTHER_SYSTEMS_TSV may hold, instead of a number:
  lobe     the star fills its Roche lobe: the pole radius is put where the potential is 1 %
           below the inner critical potential (rounded up to 1e-4),
  f=F      contact system with fill-out F = (Omega_in - Omega) / (Omega_in - Omega_out);
           both pole radii are taken on that common equipotential.
"""

import csv
import math
import os
import re
import sys

ATLAS_NAMES = [
    "44i Boo (3)", "AD Cnc (4)", "V523 Cas (5)", "VW Cep (6)", "ER Cep (7)", "GW Cep (8)",
    "RW Com (9)", "V1727 Cyg (10)", "BW Dra (11)", "XY Leo (12)", "ER Ori (13)", "BX Peg (14)",
    "VZ Psc (15)", "RT Scl (16)", "AB And (19)", "CN And (20)", "S Ant (21)", "OO Aql (22)",
    "SS Ari (23)", "TY Boo (24)", "XY Boo (25)", "AO Cam (26)", "TX Cnc (27)", "AH Cnc (28)",
    "V757 Cen (29)", "WZ Cep (30)", "BE Cep (31)", "TW Cet (32)", "VY Cet (33)", "RZ Com (34)",
    "W Crv (35)", "CG Cyg (36)", "DM Del (37)", "RZ Dra (38)", "YY Eri (39)", "AK Her (40)",
    "SY Hor (41)", "SW Lac (42)", "EM Lac (43)", "AM Leo (44)", "FT Lup (45)", "UU Lyn (46)",
    "UV Lyn (47)", "V361 Lyr (48)", "V502 Oph (49)", "V508 Oph (50)", "V566 Oph (51)",
    "U Peg (52)", "BB Peg (53)", "AE Phe (54)", "RW PsA (55)", "AU Ser (56)", "RZ Tau (57)",
    "TY UMa (58)", "VV Uma (59)", "AH Vir (60)", "LS Del (61)", "RT And (65)", "BL And (66)",
    "ST Aqr (67)", "CX Aqr (68)", "EE Aqr (69)", "V535 Ara (70)", "ZZ Aur (71)", "HP Aur (72)",
    "SV Cam (73)", "R CMa (74)", "XZ CMi (75)", "Delta Cap (76)", "AE Cas (77)", "RR Cen (78)",
    "EG Cep (79)", "TX Cet (80)", "RW CrB (81)", "RV Crv (82)", "V1073 Cyg (83)", "AX Dra (84)",
    "BV Dra (85)", "CM Dra (86)", "RU Eri (87)", "WX Eri (88)", "BW Eri (89)", "YY Gem (90)",
    "GW Gem (91)", "WY Hya (92)", "RS Ind (93)", "RY Ind (94)", "UV Leo (95)", "ES Lib (96)",
    "SW Lyn (97)", "TZ Lyr (98)", "V1010 Oph (99)", "BO Peg (100)", "DI Peg (101)",
    "AG Phe (102)", "UZ Pup (103)", "RS Sct (104)", "AQ Tuc (105)", "AW UMa (106)",
    "RU UMi (107)", "AG Vir (108)", "AX Vir (109)", "BF Vir (110)", "BH Vir (111)",
    "ER Vul (112)", "AD And (115)", "DS And (116)", "V346 Aql (117)", "RX Ari (118)",
    "IM Aur (119)", "VZ CVn (120)", "X Car (121)", "ST Car (122)", "ST Cen (123)",
    "XX Cep (124)", "GK Cep (125)", "TZ CrA (126)", "BR Cyg (127)", "V388 Cyg (128)",
    "AI Dra (129)", "AF Gem (130)", "SZ Her (131)", "TT Her (132)", "LT Her (133)",
    "V338 Her (134)", "VY Lac (135)", "UZ Oct (136)", "IW Per (137)", "RX Pyx (138)",
    "V505 Sgr (139)", "X Tri (140)", "RR TrA (141)", "DL Vir (142)", "RY Aqr (145)",
    "DV Aqr (146)", "AT Cam (147)", "AW Cam (148)", "AZ Cam (149)", "CW CMa (150)",
    "TV Cas (151)", "MN Cas (152)", "PV Cas (153)", "V364 Cas (154)", "BH Cen (155)",
    "RS Cha (156)", "MR Cyg (157)", "V442 Cyg (158)", "V463 Cyg (159)", "V548 Cyg (160)",
    "V1425 Cyg (161)", "BH Dra (162)", "AS Eri (163)", "RX Her (164)", "TX Her (165)",
    "UX Her (166)", "VZ Hya (167)", "HS Hya (168)", "AR Lac (169)", "CM Lac (170)",
    "CO Lac (171)", "FL Lyr (172)", "RW Mon (173)", "IM Mon (174)", "IQ Per (175)",
    "Zeta Phe (176)", "XZ Pup (177)", "AU Pup (178)", "KX Pup (179)", "NO Pup (180)",
    "V701 Sco (181)", "HO Tel (182)", "CF Tuc (183)", "DN UMa (184)", "W UMi (185)",
    "RT UMi (186)", "S Vel (187)", "BE Vul (188)", "TW And (191)", "AN And (192)",
    "KO Aql (193)", "V805 Aql (194)", "SX Aur (195)", "TT Aur (196)", "WW Aur (197)",
    "Y Cam (198)", "TU Cam (199)", "GW Car (200)", "IT Cas (201)", "SV Cen (202)",
    "U Cep (203)", "WX Cep (204)", "XY Cep (205)", "ZZ Cep (206)", "EK Cep (207)",
    "NN Cep (208)", "XY Cet (209)", "RZ Cha (210)", "RT CrB (211)", "SW Cyg (212)",
    "UZ Dra (213)", "BS Dra (214)", "S Equ (215)", "CW Eri (216)", "W Gru (217)", "u Her (218)",
    "HS Her (219)", "V624 Her (220)", "Chi2 Hya (221)", "Y Hyi (222)", "RT Lac (223)",
    "AW lac (224)", "Delta Lib (225)", "UX Men (226)", "AO Mon (227)", "U Oph (228)",
    "RV Oph (229)", "WZ Oph (230)", "V451 Oph (231)", "VV Ori (232)", "AQ Peg (233)",
    "EE Peg (234)", "ST Per (235)", "AG Per (236)", "DM Per (237)", "IZ Per (238)",
    "Beta Per (239)", "Y Psc (240)", "SZ Psc (241)", "V Pup (242)", "TX Pyx (243)",
    "XZ Sgr (244)", "V1647 Sgr (245)", "Mu1 Sco (246)", "V499 Sco (247)", "V760 Sco (248)",
    "V906 Sco (249)", "RW Tau (250)", "CD Tau (251)", "HU Tau (252)", "TX UMa  (253)",
    "DM Vir (254)", "Z Vul (255)", "V818 Tau (256)", "V954 Sco (257)", "BW Aqr (261)",
    "QY Aql (262)", "V337 Aql (263)", "V1182 Aql (264)", "V539 Ara (265)", "AR Aur (266)",
    "HS Aur (267)", "IU Aur (268)", "SS Boo (269)", "ZZ Boo (270)", "SS Cam (271)",
    "SZ Cam (272)", "TX Cas (273)", "YZ Cas (274)", "SZ Cen (275)", "KT Cen (276)",
    "AH Cep (277)", "CW Cep (278)", "GT Cep (279)", "TV Cet (280)", "U CrB (281)",
    "WW Cyg (282)", "MY Cyg (283)", "V470 Cyg (284)", "V1143 Cyg (285)", "W Del (286)",
    "RW Gem (287)", "TT Hya (288)", "KM Hya (289)", "T LMi (290)", "RU Mon (291)",
    "VV Mon (292)", "TU Mus (293)", "BK Peg (294)", "LX Per (295)", "VV Pyx (296)",
    "U Sge (297)", "Lambda Tau (298)", "EO Vel (299)", "RS Vul (300)", "V889 Aql (303)",
    "EO Aur (304)", "LY Aur (305)", "S Cnc (306)", "QX Car (307)", "AO Cas (308)",
    "V346 Cen (309)", "CQ Cep (310)", "EI Cep (311)", "Y Cyg (312)", "VW Cyg (313)",
    "V382 Cyg (314)", "V453 Cyg (315)", "V478 Cyg (316)", "RY Gem (317)", "AD Her (318)",
    "AI Hya (319)", "RR Lyn (320)", "TZ Men (321)", "TU Mon (322)", "AW Peg (323)",
    "RW Per (324)", "RY Per (325)", "CV Vel (326)", "SMC X-1 (327)", "RZ Cnc (331)",
    "UW CMa (332)", "V348 Car (333)", "Alpha CrB (334)", "UZ Cyg (335)", "RX Gem (336)",
    "AR Mon (337)", "AU Mon (338)", "Delta Ori (339)", "AI Phe (340)", "V861 Sco (341)",
    "RZ Sct (342)", "GP Vel (343)", "V884 Sco (344)", "FZ Ori (Tev)",
]

# Rows whose values are part of the program and are never taken from a source table.
# name: (q, incl, r1, r2, T1, T2, kind)
FIXED = {
    "44i Boo (3)": ("1.997", "70.9", "0.297", "0.412", "5800", "5553", "contact"),
    "V1727 Cyg (10)": ("2", "90", "0.3", "0.0005", "6700", "10000", "semi-detached"),
    "AW UMa (106)": ("0.072", "79.1", "0.567", "0.189", "7175", "6910", "contact"),
    "Beta Per (239)": ("0.227", "82.31", "0.203", "0.241", "12000", "4888", "semi-detached"),
    "SMC X-1 (327)": ("0.0625", "64", "0.562", "0.001", "31500", "10000", "semi-detached"),
    "V884 Sco (344)": ("21", "87", "0.001", "0.418", "10000", "45000", "detached"),
    "FZ Ori (Tev)": ("0.79152", "67.085", "0.3855", "0.347", "6108", "6055", "contact"),
}

KINDS = ("contact", "semi-detached", "detached")
ORIGINS = {"catalogue": "Catalogue", "published": "Published", "typical": "Typical"}

# Value ranges every row stays inside.
Q_MIN, Q_MAX = 0.0625, 21.0
R_MIN, R_MAX = 0.0005, 0.574
T_MAX = 45000.0

LOBE_MARGIN = 0.01        # lobe-filling star: Omega = (1 - LOBE_MARGIN) * Omega_crit
LOBE_MARGIN_RANGE = (0.005, 0.02)


# --- Roche geometry -------------------------------------------------------------------------

def omega_pole1(q, r):
    return 1.0 / r + q / math.sqrt(r * r + 1.0)


def omega_pole2(q, r):
    d = math.sqrt(1.0 + r * r)
    return 1.0 / d + q / r - q + 0.5 * (1.0 + q)


def omega_axis(q, x):
    return 1.0 / abs(x) + q * (1.0 / abs(x - 1.0) - x) + 0.5 * (1.0 + q) * x * x


def inner_lagrange_x(q):
    x = 0.5
    for _ in range(60):
        f = -1.0 / x**2 - q * ((x - 1.0) / abs(x - 1.0)**3 + 1.0) + (1.0 + q) * x
        fp = 2.0 / x**3 + 2.0 * q / abs(x - 1.0)**3 + (1.0 + q)
        x -= f / fp
    return x


def omega_crit(q):
    x = inner_lagrange_x(q)
    return 1.0 / x + q * (1.0 / (1.0 - x) - x) + 0.5 * (1.0 + q) * x * x


def _axis_extremum(q, lo, hi):
    # The potential along the axis has a single minimum outside the stars (L2 or L3).
    def slope(x):
        h = 1e-7
        return (omega_axis(q, x + h) - omega_axis(q, x - h)) / (2 * h)
    s_lo = slope(lo)
    for _ in range(200):
        mid = 0.5 * (lo + hi)
        s_mid = slope(mid)
        if (s_mid > 0) == (s_lo > 0):
            lo, s_lo = mid, s_mid
        else:
            hi = mid
    return 0.5 * (lo + hi)


def omega_outer(q):
    x2 = _axis_extremum(q, 1.0001, 3.0)
    x3 = _axis_extremum(q, -3.0, -0.0001)
    return max(omega_axis(q, x2), omega_axis(q, x3))


def pole_radius(omega_fn, q, target):
    """Pole radius at which the star's polar potential equals target (it falls with r)."""
    lo, hi = 1e-4, 0.95
    for _ in range(200):
        mid = 0.5 * (lo + hi)
        if omega_fn(q, mid) > target:
            lo = mid
        else:
            hi = mid
    return 0.5 * (lo + hi)


def roche_state(q, r1, r2):
    oc = omega_crit(q)
    return oc, omega_pole1(q, r1), omega_pole2(q, r2)


def kind_from_roche(q, r1, r2):
    oc, o1, o2 = roche_state(q, r1, r2)
    over = (o1 < oc) + (o2 < oc)
    return KINDS[2 - over] if over < 2 else "contact"


# --- formatting ------------------------------------------------------------------------------

def fmt(value, places):
    text = f"{value:.{places}f}"
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return text


def round_up(value, places):
    scale = 10**places
    return math.ceil(value * scale - 1e-9) / scale


def bare_name(atlas_name):
    return re.sub(r"\s*\([^)]*\)\s*$", "", atlas_name).strip()


# --- input tables ------------------------------------------------------------------------------

def read_catalogue(path):
    rows = {}
    with open(path, newline="", encoding="utf-8") as f:
        for rec in csv.DictReader(f, delimiter="\t"):
            if rec["radius_kind"].strip() != "polar":
                sys.exit(f"{rec['name']}: catalogue radii are not polar radii")
            m = re.search(r"solution ref (\S+?);", rec["source"])
            ref = m.group(1) if m else ""
            rows[rec["name"].strip()] = {
                "q": rec["q"], "incl": rec["incl_deg"], "r1": rec["r1"], "r2": rec["r2"],
                "t1": rec["T1"], "t2": rec["T2"], "kind": "contact",
                "note": "WUMaCat (Latkovic, Ceki & Lazarevic 2021, ApJS 254, 10)"
                        + (f", solution {ref}" if ref else ""),
            }
    return rows


def read_other(path):
    rows = {}
    with open(path, newline="", encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            cells = line.split("\t")
            if len(cells) != 10:
                sys.exit(f"{path}: expected 10 columns: {line!r}")
            name, kind, origin, q, incl, r1, r2, t1, t2, note = (c.strip() for c in cells)
            if name in rows:
                sys.exit(f"{path}: {name} appears twice")
            if kind not in KINDS:
                sys.exit(f"{name}: unknown kind {kind!r}")
            if origin not in ("published", "typical"):
                sys.exit(f"{name}: unknown origin {origin!r}")
            rows[name] = {"kind": kind, "origin": origin, "q": q, "incl": incl, "r1": r1,
                          "r2": r2, "t1": t1, "t2": t2, "note": note}
    return rows


def resolve_radii(name, q, r1_cell, r2_cell):
    """Turns the radius cells of other_systems.tsv into numbers (strings, as printed)."""
    oc = omega_crit(q)
    if r1_cell.startswith("f=") or r2_cell.startswith("f="):
        if r1_cell != r2_cell:
            sys.exit(f"{name}: a contact fill-out must be given for both stars alike")
        fill = float(r1_cell[2:])
        omega = oc - fill * (oc - omega_outer(q))
        r1 = pole_radius(omega_pole1, q, omega)
        r2 = pole_radius(omega_pole2, q, omega)
        return fmt(r1, 4), fmt(r2, 4)
    cells = []
    for cell, fn in ((r1_cell, omega_pole1), (r2_cell, omega_pole2)):
        if cell == "lobe":
            r = pole_radius(fn, q, (1.0 - LOBE_MARGIN) * oc)
            cells.append(fmt(round_up(r, 4), 4))
        else:
            float(cell)
            cells.append(cell)
    return cells[0], cells[1]


# --- building and checking ---------------------------------------------------------------------

def check_row(row, problems, notes):
    name = row["name"]
    q, r1, r2 = float(row["q"]), float(row["r1"]), float(row["r2"])
    incl, t1, t2 = float(row["incl"]), float(row["t1"]), float(row["t2"])
    if not Q_MIN <= q <= Q_MAX:
        problems.append(f"{name}: q {q} outside [{Q_MIN}, {Q_MAX}]")
    for r in (r1, r2):
        if not R_MIN <= r <= R_MAX:
            problems.append(f"{name}: pole radius {r} outside [{R_MIN}, {R_MAX}]")
    for t in (t1, t2):
        if not 0 < t <= T_MAX:
            problems.append(f"{name}: temperature {t} outside (0, {T_MAX}]")
    if not 0 <= incl <= 90:
        problems.append(f"{name}: inclination {incl} outside [0, 90]")
    if row["origin"] == "Fixed":
        return
    got = kind_from_roche(q, r1, r2)
    if got != row["kind"]:
        problems.append(f"{name}: listed as {row['kind']} but the Roche check gives {got}")
        return
    oc, o1, o2 = roche_state(q, r1, r2)
    if row["kind"] == "semi-detached":
        filler = min(o1, o2)
        margin = (oc - filler) / oc
        if row.get("lobe") and not LOBE_MARGIN_RANGE[0] <= margin <= LOBE_MARGIN_RANGE[1]:
            problems.append(f"{name}: lobe-filling margin {margin:.4f} out of range")
    if row["kind"] == "contact":
        oo = omega_outer(q)
        f1, f2 = (oc - o1) / (oc - oo), (oc - o2) / (oc - oo)
        if max(f1, f2) > 1.0:
            notes.append(f"{name}: beyond the outer critical surface (fill-out {max(f1, f2):.2f})")


def build(catalogue, other):
    rows, problems, notes = [], [], []
    used_cat, used_other = set(), set()
    if len(ATLAS_NAMES) != len(set(ATLAS_NAMES)):
        sys.exit("atlas names are not unique")
    for atlas_name in ATLAS_NAMES:
        bare = bare_name(atlas_name)
        if atlas_name in FIXED:
            q, incl, r1, r2, t1, t2, kind = FIXED[atlas_name]
            row = dict(q=q, incl=incl, r1=r1, r2=r2, t1=t1, t2=t2, kind=kind,
                       origin="Fixed", note="")
            if bare in catalogue:
                used_cat.add(bare)
        elif bare in catalogue:
            used_cat.add(bare)
            row = dict(catalogue[bare], origin="Catalogue")
            q, r1, r2 = float(row["q"]), float(row["r1"]), float(row["r2"])
            oc, o1, o2 = roche_state(q, r1, r2)
            if not (o1 < oc and o2 < oc):
                # The catalogue radii leave one star a hair inside its lobe in this model: put
                # that star on the other star's equipotential (or just inside L1), rounded up.
                target = min(o1, o2, oc * (1.0 - 1e-6))
                if o1 >= oc:
                    row["r1"] = fmt(round_up(pole_radius(omega_pole1, q, target), 6), 6)
                if o2 >= oc:
                    row["r2"] = fmt(round_up(pole_radius(omega_pole2, q, target), 6), 6)
                row["origin"] = "Published"
                raised = [f"{k} {catalogue[bare][k]} -> {row[k]}" for k in ("r1", "r2")
                          if row[k] != catalogue[bare][k]]
                row["note"] += "; raised to reach contact in this model: " + ", ".join(raised)
                notes.append(f"{atlas_name}: catalogue radii adjusted to r1 {row['r1']}, "
                             f"r2 {row['r2']} (was {catalogue[bare]['r1']}, "
                             f"{catalogue[bare]['r2']})")
        elif bare in other:
            used_other.add(bare)
            src = other[bare]
            q = float(src["q"])
            r1, r2 = resolve_radii(atlas_name, q, src["r1"], src["r2"])
            row = dict(src, r1=r1, r2=r2, origin=ORIGINS[src["origin"]],
                       lobe="lobe" in (src["r1"], src["r2"]))
        else:
            sys.exit(f"{atlas_name}: no values in either table")
        row["name"] = atlas_name
        check_row(row, problems, notes)
        rows.append(row)
    for bare in sorted(set(other) - used_other):
        problems.append(f"{bare}: in other_systems.tsv but not in the atlas (or shadowed)")
    for bare in sorted(set(catalogue) - used_cat):
        notes.append(f"{bare}: catalogue row not used by the atlas")
    return rows, problems, notes


def cpp_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def emit(rows, out):
    w = out.write
    w("// Star atlas built into the program: the systems offered in the atlas list, in list order.\n")
    w("// Generated by tools/atlas/make_atlas.py from the contact-binary catalogue and\n")
    w("// tools/atlas/other_systems.tsv; change those and regenerate instead of editing here.\n")
    w("// Columns: name, q = M2/M1, inclination (deg), pole radii r1 r2 (separation units),\n")
    w("// temperatures T1 T2 (K), origin of the numbers, kind of system.\n")
    w('#include "shell/atlas_data.h"\n\nnamespace vp {\n\n')
    w("// clang-format off\n")
    w("const std::array<AtlasRow, kAtlasRowCount> kAtlasRows = {{\n")
    for row in rows:
        fields = [cpp_string(row["name"]), row["q"], row["incl"], row["r1"], row["r2"],
                  row["t1"], row["t2"], "AtlasOrigin::" + row["origin"], cpp_string(row["kind"])]
        line = "    {" + ", ".join(fields) + "},"
        if row["note"]:
            line += "  // " + row["note"]
        w(line + "\n")
    w("}};\n// clang-format on\n\n}  // namespace vp\n")


def main(argv):
    if len(argv) not in (2, 3):
        sys.exit(__doc__)
    other_path = argv[2] if len(argv) == 3 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "other_systems.tsv")
    catalogue = read_catalogue(argv[1])
    other = read_other(other_path)
    rows, problems, notes = build(catalogue, other)
    if len(rows) != 324:
        problems.append(f"{len(rows)} rows instead of 324")
    for note in notes:
        print("note: " + note, file=sys.stderr)
    if problems:
        for p in problems:
            print("error: " + p, file=sys.stderr)
        sys.exit(1)
    emit(rows, sys.stdout)
    counts = {}
    for row in rows:
        counts[row["origin"]] = counts.get(row["origin"], 0) + 1
        counts[row["kind"]] = counts.get(row["kind"], 0) + 1
    print("rows: " + ", ".join(f"{k} {v}" for k, v in counts.items()), file=sys.stderr)


if __name__ == "__main__":
    main(sys.argv)
