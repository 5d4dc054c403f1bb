#!/usr/bin/env python3
"""Writes data/BorderLT.dat, Lithuania's border for the BEX map window, from the border
polygon that tools/make_bexwwl.py uses for the WWL/BEX table.

Every ring of the polygon is thinned with the Douglas-Peucker rule: a vertex is dropped
when the ring without it stays within TOLERANCE degrees (measured with longitudes scaled
by cos 55 deg, as the map draws them) of the original. The default, 0.0006 deg (about
65 m), is far below one screen pixel of the map and keeps the Curonian Spit whole.

Output, plain ASCII with CRLF line ends:
  ; comment lines (origin and licence)
  RING n                       a ring of n vertices follows (first vertex not repeated)
  lon lat                      one vertex per line, degrees with 5 decimals

Usage:
  tools/make_border.py                  write data/BorderLT.dat
  tools/make_border.py --tolerance DEG  another tolerance
  tools/make_border.py --output FILE    write elsewhere
Python 3.8+, standard library only.
"""

import argparse
import json
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
BORDER = os.path.join(HERE, "data", "lithuania-border.geojson")
OUTPUT = os.path.join(HERE, "..", "data", "BorderLT.dat")
KX = math.cos(math.radians(55.0))  # longitude scale of the map

HEADER = [
    "; Lithuania's border for the BEX map of Kvadrix.",
    "; Data from Who's On First (https://whosonfirst.org/), licence terms",
    "; https://whosonfirst.org/docs/licenses/ (attribution required); underlying",
    "; sources GeoNames (CC BY 4.0) and Quattroshapes (CC BY).",
    "; Made by tools/make_border.py from tools/data/lithuania-border.geojson (the",
    "; country record 85633269, the polygon of the WWL/BEX table), rings thinned",
    "; to {tol} degrees.",
    "; RING n starts a ring of n vertices; each vertex is 'longitude latitude'.",
]


def load_rings(path):
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
            if len(pts) > 1 and pts[0] == pts[-1]:
                pts.pop()
            if len(pts) >= 3:
                rings.append(pts)
    return rings


def distance(p, a, b):
    """Distance of p from the segment a-b, longitudes scaled by cos 55 deg."""
    px, py = p[0] * KX, p[1]
    ax, ay = a[0] * KX, a[1]
    bx, by = b[0] * KX, b[1]
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    if length2 == 0.0:
        return math.hypot(px - ax, py - ay)
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def thin(points, tolerance):
    """Douglas-Peucker over an open polyline; keeps both ends. Iterative."""
    keep = [False] * len(points)
    keep[0] = keep[-1] = True
    stack = [(0, len(points) - 1)]
    while stack:
        first, last = stack.pop()
        worst, at = -1.0, -1
        for i in range(first + 1, last):
            d = distance(points[i], points[first], points[last])
            if d > worst:
                worst, at = d, i
        if at >= 0 and worst > tolerance:
            keep[at] = True
            stack.append((first, at))
            stack.append((at, last))
    return [p for p, k in zip(points, keep) if k]


def thin_ring(ring, tolerance):
    # Split the closed ring at its first vertex and at the vertex farthest from it, so
    # that both halves are open polylines.
    far = max(range(len(ring)), key=lambda i: distance(ring[i], ring[0], ring[0]))
    a = thin(ring[: far + 1], tolerance)
    b = thin(ring[far:] + [ring[0]], tolerance)
    return a[:-1] + b[:-1]


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tolerance", type=float, default=0.0006)
    parser.add_argument("--output", default=OUTPUT)
    parser.add_argument("--border", default=BORDER)
    args = parser.parse_args(argv)

    rings = load_rings(args.border)
    lines = [h.format(tol=args.tolerance) for h in HEADER]
    total_in = total_out = 0
    for ring in rings:
        thinned = thin_ring(ring, args.tolerance)
        if len(thinned) < 3:
            continue
        total_in += len(ring)
        total_out += len(thinned)
        lines.append("RING %d" % len(thinned))
        lines.extend("%.5f %.5f" % (x, y) for x, y in thinned)
    with open(args.output, "w", encoding="ascii", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")
    print("%s: %d rings, %d of %d vertices" % (args.output, len(rings), total_out, total_in))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
