#!/usr/bin/env python3
"""Writes data/BEXWWL.dat, the WWL/BEX table of the award area, from Lithuania's border.

A square of the BEX grid (rows A-P southwards from 56 deg 30' N, columns 00-39 eastwards
from 20 deg 50' E, 10' by 10' each) belongs to the award area when some part of Lithuania
lies inside it: an edge of the border polygon passes through the square's interior, or the
square lies wholly inside the border. Squares that Lithuania only touches along a grid
line do not count.

Each entry lists the square's eight locator subsquares (5' by 2.5'), northern row first,
west before east:  K26=KO24OT,KO24PT,KO24OS,KO24PS,KO24OR,KO24PR,KO24OQ,KO24PQ

Usage:
  tools/make_bexwwl.py                 write data/BEXWWL.dat
  tools/make_bexwwl.py --check         also run the independent checks and print a report
  tools/make_bexwwl.py --output FILE   write elsewhere
  --places CSV                         places for --check (default tools/data/lt-places.csv)
Python 3.8+, standard library only.
"""

import argparse
import csv
import json
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
BORDER = os.path.join(HERE, "data", "lithuania-border.geojson")
PLACES = os.path.join(HERE, "data", "lt-places.csv")  # optional, for --check
OUTPUT = os.path.join(HERE, "..", "data", "BEXWWL.dat")

ROWS = 16  # A..P
COLUMNS = 40  # 00..39
NORTH = 56.5  # northern edge of row A, degrees
WEST = 125.0 / 6.0  # western edge of column 00 (20 deg 50'), degrees
STEP = 1.0 / 6.0  # 10 minutes of arc


# ---- the border ----------------------------------------------------------------------


def load_rings(path):
    """All rings (outer and holes) of a GeoJSON Polygon / MultiPolygon feature."""
    with open(path, encoding="utf-8") as f:
        doc = json.load(f)
    geom = doc["geometry"] if doc.get("type") == "Feature" else doc
    if geom["type"] == "Polygon":
        polygons = [geom["coordinates"]]
    elif geom["type"] == "MultiPolygon":
        polygons = geom["coordinates"]
    else:
        raise SystemExit("unexpected geometry type " + geom["type"])
    rings = []
    for polygon in polygons:
        for ring in polygon:
            pts = [(float(x), float(y)) for x, y, *_ in ring]
            if pts[0] != pts[-1]:
                pts.append(pts[0])
            rings.append(pts)
    return rings


def edges_of(rings):
    for ring in rings:
        for a, b in zip(ring, ring[1:]):
            if a != b:
                yield a, b


def inside(rings, x, y):
    """Even-odd rule over every ring: inside an outer ring and not inside a hole."""
    result = False
    for ring in rings:
        for (x1, y1), (x2, y2) in zip(ring, ring[1:]):
            if (y1 > y) != (y2 > y):
                xc = x1 + (y - y1) * (x2 - x1) / (y2 - y1)
                if xc > x:
                    result = not result
    return result


# ---- the grid ------------------------------------------------------------------------


def square_bounds(row, col):
    """(west, south, east, north) in degrees."""
    north = NORTH - row * STEP
    west = WEST + col * STEP
    return west, north - STEP, west + STEP, north


def code_of(row, col):
    return "%c%02d" % (65 + row, col)


def square_of_point(lon, lat):
    """Grid (row, col) of a point, or None outside the grid."""
    row = math.floor((NORTH - lat) * 6)
    col = math.floor((lon - WEST) * 6)
    if 0 <= row < ROWS and 0 <= col < COLUMNS:
        return row, col
    return None


def segment_enters(a, b, box):
    """True when the segment a-b passes through the open rectangle box (Liang-Barsky)."""
    xmin, ymin, xmax, ymax = box
    (x1, y1), (x2, y2) = a, b
    dx, dy = x2 - x1, y2 - y1
    t0, t1 = 0.0, 1.0
    for p, q in ((-dx, x1 - xmin), (dx, xmax - x1), (-dy, y1 - ymin), (dy, ymax - y1)):
        if p == 0:
            if q < 0:
                return False
        else:
            t = q / p
            if p < 0:
                t0 = max(t0, t)
            else:
                t1 = min(t1, t)
    if t0 > t1:
        return False
    # The clipped piece lies in the closed rectangle; it enters the open one unless it
    # only runs along an edge or touches it in one point.
    tm = (t0 + t1) / 2
    xm, ym = x1 + tm * dx, y1 + tm * dy
    return xmin < xm < xmax and ymin < ym < ymax


def crosses(rings, row, col):
    box = square_bounds(row, col)
    return any(segment_enters(a, b, box) for a, b in edges_of(rings))


def award_squares(rings):
    """Set of (row, col) of the squares that hold some part of the border's area."""
    crossed = set()
    for a, b in edges_of(rings):
        lo_x, hi_x = min(a[0], b[0]), max(a[0], b[0])
        lo_y, hi_y = min(a[1], b[1]), max(a[1], b[1])
        r0 = max(0, math.floor((NORTH - hi_y) * 6) - 1)
        r1 = min(ROWS - 1, math.floor((NORTH - lo_y) * 6) + 1)
        c0 = max(0, math.floor((lo_x - WEST) * 6) - 1)
        c1 = min(COLUMNS - 1, math.floor((hi_x - WEST) * 6) + 1)
        for r in range(r0, r1 + 1):
            for c in range(c0, c1 + 1):
                if (r, c) not in crossed and segment_enters(a, b, square_bounds(r, c)):
                    crossed.add((r, c))
    squares = set(crossed)
    # A square that no edge enters lies wholly inside or wholly outside: its centre says.
    for r in range(ROWS):
        for c in range(COLUMNS):
            if (r, c) in crossed:
                continue
            w, s, e, n = square_bounds(r, c)
            if inside(rings, (w + e) / 2, (s + n) / 2):
                squares.add((r, c))
    return squares


# ---- locators ------------------------------------------------------------------------


def locators_of(row, col):
    """The eight locators of a square, northern row first, west before east.

    Whole numbers only: latitude in 2.5' units from 90 S, longitude in 5' units from 180 W.
    """
    north_units = 1356 - 4 * row  # 56 deg 30' = 1356 units of 2.5' north of the equator
    west_units = 250 + 2 * col  # 20 deg 50' = 250 units of 5' east of Greenwich
    result = []
    for k in range(4):
        lat_u = north_units - (k + 1) + 90 * 24  # southern edge of the k-th row
        for m in range(2):
            lon_u = west_units + m + 180 * 12
            result.append(
                "%c%c%d%d%c%c"
                % (
                    65 + lon_u // 240,
                    65 + lat_u // 240,
                    (lon_u % 240) // 24,
                    (lat_u % 240) // 24,
                    65 + lon_u % 24,
                    65 + lat_u % 24,
                )
            )
    return result


def table_bytes(squares):
    lines = ["[BEX]"]
    for r, c in sorted(squares):
        lines.append(code_of(r, c) + "=" + ",".join(locators_of(r, c)))
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


# ---- independent checks ---------------------------------------------------------------


def scanline_squares(rings, lines_per_row=240):
    """Squares in which the border covers a stretch of some scan line (every 2.5")."""
    found = set()
    edges = list(edges_of(rings))
    for r in range(ROWS):
        north = NORTH - r * STEP
        south = north - STEP
        band = [(a, b) for a, b in edges if min(a[1], b[1]) <= north and max(a[1], b[1]) >= south]
        for i in range(lines_per_row):
            y = north - (i + 0.5) * STEP / lines_per_row
            xs = []
            for (x1, y1), (x2, y2) in band:
                if (y1 > y) != (y2 > y):
                    xs.append(x1 + (y - y1) * (x2 - x1) / (y2 - y1))
            xs.sort()
            for x_in, x_out in zip(xs[0::2], xs[1::2]):
                c0 = max(0, math.floor((x_in - WEST) * 6))
                c1 = min(COLUMNS - 1, math.floor((x_out - WEST) * 6))
                for c in range(c0, c1 + 1):
                    w = WEST + c * STEP
                    if x_in < w + STEP and x_out > w:
                        found.add((r, c))
    return found


def check(rings, squares, places=PLACES):
    ok = True
    print("squares in the award area: %d" % len(squares))
    scan = scanline_squares(rings)
    extra = sorted(scan - squares)
    slivers = sorted(squares - scan)
    print("scan-line test (every 2.5\" of latitude): %d squares" % len(scan))
    if extra:
        ok = False
        print("  ERROR: found by scan lines but not by the edge test: "
              + " ".join(code_of(*s) for s in extra))
    print("  listed but thinner than the scan-line spacing: "
          + (" ".join(code_of(*s) for s in slivers) or "none"))

    if places and os.path.exists(places):
        with open(places, encoding="utf-8", newline="") as f:
            rows = list(csv.DictReader(f))
        missing = []
        for row in rows:
            lon, lat = float(row["lon"]), float(row["lat"])
            sq = square_of_point(lon, lat)
            if sq is None or sq not in squares:
                missing.append((row["name"], lat, lon, code_of(*sq) if sq else "-",
                                inside(rings, lon, lat)))
        print("places of lt-places.csv: %d, in a listed square: %d" %
              (len(rows), len(rows) - len(missing)))
        for name, lat, lon, code, ins in missing:
            print("  not in a listed square: %s %.4f %.4f (%s)%s" %
                  (name, lat, lon, code, "  ERROR: inside the border" if ins else ""))
            ok = ok and not ins

    # Squares known from the map: towns, the Curonian Spit, and squares across the
    # borders with Kaliningrad (Russia), Latvia, Belarus and Poland.
    expect = {
        "K26": (True, "Vilnius"), "J18": (True, "Kaunas"), "H01": (True, "Nida"),
        "H00": (True, "Curonian Spit west of Nida"), "G00": (True, "sliver of the spit"),
        "E32": (True, "Zarasai"), "B04": (True, "Skuodas"), "E02": (True, "Klaipeda"),
        "I06": (True, "Rusne, Nemunas delta"), "P20": (True, "south of Druskininkai"),
        "E00": (False, "Baltic Sea off Klaipeda"), "I01": (False, "Russian part of the spit"),
        "I03": (False, "Kaliningrad, south of the Nemunas delta"),
        "M10": (False, "Kaliningrad, west of the tripoint with Poland"),
        "A03": (False, "Latvia, coast at Rucava"), "A25": (False, "Latvia"),
        "K31": (False, "Belarus east of Vilnius"), "P25": (False, "Belarus, near Lida"),
        "O12": (False, "Poland, Suwalki area"),
    }
    for code, (listed, what) in expect.items():
        row, col = ord(code[0]) - 65, int(code[1:])
        good = ((row, col) in squares) == listed
        ok = ok and good
        print("  %s (%s): %s%s" % (code, what, "listed" if (row, col) in squares else "not listed",
                                   "" if good else "  ERROR"))

    print("map (# wholly inside, + partly, . not listed):")
    print("    " + "".join(str(c % 10) for c in range(COLUMNS)))
    for r in range(ROWS):
        cells = []
        for c in range(COLUMNS):
            if (r, c) not in squares:
                cells.append(".")
            else:
                w, s, e, n = square_bounds(r, c)
                corners = [(w, s), (w, n), (e, s), (e, n)]
                whole = (r, c) in scan and all(inside(rings, x, y) for x, y in corners)
                cells.append("#" if whole and not crosses(rings, r, c) else "+")
        print("%c   %s" % (65 + r, "".join(cells)))

    def show(title, cells):
        print(title)
        for r, c in cells:
            w, s, e, n = square_bounds(r, c)
            print("  %s %s  [%.4f-%.4f E, %.4f-%.4f N]" %
                  (code_of(r, c), "listed" if (r, c) in squares else "-     ", w, e, s, n))

    show("Curonian Spit and lagoon, columns 00-02, rows E-J:",
         [(r, c) for r in range(4, 10) for c in range(0, 3)])
    return ok


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--border", default=BORDER)
    ap.add_argument("--output", default=OUTPUT)
    ap.add_argument("--check", action="store_true")
    ap.add_argument("--places", default=PLACES,
                    help="CSV of places (lat, lon columns) that --check expects in listed squares")
    args = ap.parse_args()
    rings = load_rings(args.border)
    squares = award_squares(rings)
    data = table_bytes(squares)
    with open(args.output, "wb") as f:
        f.write(data)
    print("wrote %s: %d squares" % (os.path.normpath(args.output), len(squares)))
    if args.check and not check(rings, squares, args.places):
        sys.exit(1)


if __name__ == "__main__":
    main()
