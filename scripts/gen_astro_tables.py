#!/usr/bin/env python3
"""Generate the coefficient tables of the astronomical engine from the published series.

Reads, from the data folder (default: data/ next to this script's parent):
  VSOP87D.ear                     the complete VSOP87 version D series of the Earth
  VSOP87-check-values.chk         the check values published with VSOP87
  nutation_iau1980_40.txt         the first 40 rows of the 1980 IAU nutation series
  moon_longitude_elp2000_85.txt   the Moon's longitude, ELP-2000/85 in Fourier form

Writes:
  astro/vsop87d_earth_terms.inc   the kept Earth terms (first N rows of each series, file order)
  astro/nutation_terms.inc        the 40 nutation rows
  astro/elp_moon_terms.inc        the lunar longitude series S0, S1, S2
(included by astro/series_tables.h as constexpr arrays)
  tests/vsop87d_check_values.inc  the Earth check values with the truncation bound of each

Modes:
  (default)   write the files
  --check     evaluate the complete VSOP87D series at every Earth check date and compare with the
              published values (10 decimals); exit 1 on a mismatch. Proves the parser.
  --verify    regenerate into memory and exit 1 if any committed file differs.
"""
import argparse
import math
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Rows kept from each Earth series, in file order (the published rows run in decreasing amplitude).
KEPT = {
    ("L", 0): 190, ("L", 1): 80, ("L", 2): 40, ("L", 3): 8, ("L", 4): 8, ("L", 5): 4,
    ("B", 0): 80, ("B", 1): 40, ("B", 2): 20, ("B", 3): 8, ("B", 4): 4,
    ("R", 0): 120, ("R", 1): 60, ("R", 2): 40, ("R", 3): 6, ("R", 4): 6, ("R", 5): 2,
}
VARIABLES = {1: "L", 2: "B", 3: "R"}
HEADER_RE = re.compile(r"VSOP87 VERSION D4\s+EARTH\s+VARIABLE (\d) \(LBR\)\s+\*T\*\*(\d)\s+(\d+) TERMS")


def parse_vsop87d(path):
    """Return {(var, power): [(A, B, C), ...]} in file order."""
    series = {}
    current = None
    expected = 0
    with open(path, encoding="ascii") as f:
        for lineno, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip():
                continue
            m = HEADER_RE.search(line)
            if m:
                if current is not None and len(series[current]) != expected:
                    raise SystemExit(f"{path}:{lineno}: series {current} has {len(series[current])} rows, header said {expected}")
                current = (VARIABLES[int(m.group(1))], int(m.group(2)))
                expected = int(m.group(3))
                series[current] = []
                continue
            if current is None:
                raise SystemExit(f"{path}:{lineno}: term line before any header")
            # Fixed columns of the published format (1x,4i1,i5,12i3,f15.11,2f18.11,f14.11,f20.11):
            # A occupies columns 80-97, B 98-111, C 112-131.
            a = float(line[79:97])
            b = float(line[97:111])
            c = float(line[111:131])
            series[current].append((a, b, c))
    if current is not None and len(series[current]) != expected:
        raise SystemExit(f"{path}: series {current} has {len(series[current])} rows, header said {expected}")
    return series


def parse_check_values(path, version="VSOP87D", body="EARTH"):
    """Return [(jd, l, b, r)] for one version and body."""
    out = []
    with open(path, encoding="ascii") as f:
        lines = f.readlines()
    for i, line in enumerate(lines):
        parts = line.split()
        if len(parts) >= 3 and parts[0] == version and parts[1] == body:
            jd = float(parts[2][2:])
            vals = lines[i + 1].split()
            # " l   1.7519238681 rad       b   -.0000039656 rad       r    .9833276819  au"
            l, b, r = float(vals[1]), float(vals[4]), float(vals[7])
            out.append((jd, l, b, r))
    return out


def evaluate(series, var, tau, counts=None):
    """Sum of the series of one variable; counts limits the rows of each power."""
    total = 0.0
    power = 0
    while (var, power) in series:
        rows = series[(var, power)]
        if counts is not None:
            rows = rows[: counts[(var, power)]]
        s = math.fsum(a * math.cos(b + c * tau) for a, b, c in rows)
        total += s * tau ** power
        power += 1
    return total


def truncation_bound(series, var, tau):
    """Upper bound of what the omitted rows can contribute: sum of |A| |tau|^k."""
    bound = 0.0
    power = 0
    while (var, power) in series:
        rows = series[(var, power)][KEPT[(var, power)]:]
        bound += sum(abs(a) for a, _, _ in rows) * abs(tau) ** power
        power += 1
    return bound


def angle_diff(x, y):
    d = math.fmod(x - y, 2 * math.pi)
    if d > math.pi:
        d -= 2 * math.pi
    if d < -math.pi:
        d += 2 * math.pi
    return d


def parse_nutation(path):
    rows = []
    with open(path, encoding="ascii") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            p = line.split()
            rows.append(tuple(int(x) for x in p[:5]) + tuple(float(x) for x in p[5:9]))
    return rows


def parse_moon(path):
    sections = {}
    current = None
    with open(path, encoding="ascii") as f:
        for line in f:
            s = line.strip()
            if not s or s.startswith("#"):
                continue
            if s.startswith("["):
                current = s.strip("[]")
                sections[current] = []
                continue
            sections[current].append(tuple(float(x) for x in s.split()))
    return sections


def fmt(x):
    """Shortest text that reads back as the same double."""
    return repr(float(x))


GENERATED = "// Generated by scripts/gen_astro_tables.py from the published series in data/. Do not edit.\n"


def gen_vsop(series):
    out = [GENERATED]
    for var in "LBR":
        power = 0
        while (var, power) in KEPT:
            rows = series[(var, power)][: KEPT[(var, power)]]
            out.append(f"\ninline constexpr VsopTerm kEarth{var}{power}[{len(rows)}] = {{\n")
            for a, b, c in rows:
                out.append(f"    {{{fmt(a)}, {fmt(b)}, {fmt(c)}}},\n")
            out.append("};\n")
            power += 1
    return "".join(out)


def gen_nutation(rows):
    out = [GENERATED, "\n"]
    out.append(f"inline constexpr NutationTerm kNutation[{len(rows)}] = {{\n")
    for d, m, mp, f, om, a, a1, b, b1 in rows:
        out.append(f"    {{{d}, {m}, {mp}, {f}, {om}, {fmt(a)}, {fmt(a1)}, {fmt(b)}, {fmt(b1)}}},\n")
    out.append("};\n")
    return "".join(out)


def gen_moon(sections):
    out = [GENERATED]
    for name in ("S0", "S1", "S2"):
        rows = sections[name]
        out.append(f"\ninline constexpr ElpTerm kMoon{name}[{len(rows)}] = {{\n")
        for row in rows:
            out.append("    {" + ", ".join(fmt(x) for x in row) + "},\n")
        out.append("};\n")
    return "".join(out)


def gen_check_values(series, checks):
    out = [GENERATED,
           "// VSOP87D Earth check values {jd (TDB), l, b (rad), r (au)} and, for the kept rows of the\n"
           "// program's tables, an upper bound of the truncation error of l, b and r at that date.\n"]
    for jd, l, b, r in checks:
        tau = (jd - 2451545.0) / 365250.0
        out.append("{%s, %s, %s, %s, %s, %s, %s},\n" % (
            fmt(jd), fmt(l), fmt(b), fmt(r),
            fmt(truncation_bound(series, "L", tau)),
            fmt(truncation_bound(series, "B", tau)),
            fmt(truncation_bound(series, "R", tau))))
    return "".join(out)


def outputs(data_dir):
    series = parse_vsop87d(os.path.join(data_dir, "VSOP87D.ear"))
    checks = parse_check_values(os.path.join(data_dir, "VSOP87-check-values.chk"))
    nutation = parse_nutation(os.path.join(data_dir, "nutation_iau1980_40.txt"))
    moon = parse_moon(os.path.join(data_dir, "moon_longitude_elp2000_85.txt"))
    if len(nutation) != 40:
        raise SystemExit(f"nutation table has {len(nutation)} rows, expected 40")
    for name, n in (("S0", 55), ("S1", 8), ("S2", 3)):
        if len(moon.get(name, [])) != n:
            raise SystemExit(f"lunar series {name} has {len(moon.get(name, []))} rows, expected {n}")
    for key, n in KEPT.items():
        if len(series.get(key, [])) < n:
            raise SystemExit(f"series {key} has fewer than {n} rows")
    return {
        "astro/vsop87d_earth_terms.inc": gen_vsop(series),
        "astro/nutation_terms.inc": gen_nutation(nutation),
        "astro/elp_moon_terms.inc": gen_moon(moon),
        "tests/vsop87d_check_values.inc": gen_check_values(series, checks),
    }, series, checks


def check(series, checks):
    """The complete series must reproduce the published check values to their 10 decimals."""
    worst = 0.0
    failures = 0
    for jd, l, b, r in checks:
        tau = (jd - 2451545.0) / 365250.0
        got = (evaluate(series, "L", tau) % (2 * math.pi), evaluate(series, "B", tau), evaluate(series, "R", tau))
        diffs = (abs(angle_diff(got[0], l)), abs(got[1] - b), abs(got[2] - r))
        worst = max(worst, *diffs)
        if any(d > 0.6e-10 for d in diffs):
            failures += 1
            print(f"JD {jd}: computed {got}, published {(l, b, r)}", file=sys.stderr)
    print(f"{len(checks)} Earth check dates, largest difference {worst:.2e} (published to 1e-10)")
    return failures == 0 and len(checks) > 0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--data", default=os.path.join(ROOT, "data"))
    ap.add_argument("--out", default=ROOT)
    ap.add_argument("--check", action="store_true")
    ap.add_argument("--verify", action="store_true")
    args = ap.parse_args()
    files, series, checks = outputs(args.data)
    if args.check:
        sys.exit(0 if check(series, checks) else 1)
    if args.verify:
        stale = []
        for rel, text in files.items():
            path = os.path.join(args.out, rel)
            try:
                with open(path, encoding="utf-8") as f:
                    if f.read() != text:
                        stale.append(rel)
            except FileNotFoundError:
                stale.append(rel)
        if stale:
            print("out of date: " + ", ".join(stale), file=sys.stderr)
            sys.exit(1)
        print("generated tables are up to date")
        return
    for rel, text in files.items():
        path = os.path.join(args.out, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
        print("wrote " + rel)


if __name__ == "__main__":
    main()
