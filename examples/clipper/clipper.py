#!/usr/bin/env python3
"""Your own polygon clipper, checked against clipdemo's.

Reads test triangles in clip space (the text that `cliptrace triangles --text` writes, one
triangle a line: ID x y z w x y z w x y z w) from the file named on the command line, or from
standard input when none is named, runs each through the six passes of the clipper and writes
the trace that `cliptrace check` reads, one line per triangle:

    {"id": "r1", "passes": [P1, P2, P3, P4, P5, P6]}

each P the polygon after that pass, a list of [x, y, z, w] vertices in your clipper's order.

    python3 clipper.py triangles.txt > trace.jsonl

Your part is clip_to_plane below. As shipped, it hands the polygon back unchanged, so every
triangle that some plane cuts is reported wrong, as `skipped`, at the first pass that cuts it.
Standard library only.
"""
import json
import math
import sys

# The six planes in the order they are applied. A point (x, y, z, w) is inside the clip volume
# when -w <= x <= w, -w <= y <= w and -w <= z <= w, boundaries included.
PLANES = ['left',    # keeps x >= -w
          'right',   # keeps x <= w
          'bottom',  # keeps y >= -w
          'top',     # keeps y <= w
          'near',    # keeps z >= -w
          'far']     # keeps z <= w


def clip_to_plane(polygon, plane):
    """Clips polygon (a list of [x, y, z, w]) against one plane (a name of PLANES) and returns
    the part that is inside, as a new list of vertices.

    Write this. Walk the edges P -> Q (the last one closes the polygon back to its first
    vertex) and decide for each what to append to the output."""
    return [list(v) for v in polygon]


def number(value):
    """A number of the trace: JSON has no NaN or infinity, so those are written as strings."""
    if math.isnan(value):
        return 'NaN'
    if math.isinf(value):
        return 'Infinity' if value > 0 else '-Infinity'
    return value


def main():
    source = open(sys.argv[1]) if len(sys.argv) > 1 else sys.stdin
    for line in source:
        fields = line.split()
        if not fields:
            continue
        values = [float(x) for x in fields[1:13]]
        polygon = [values[4 * k:4 * k + 4] for k in range(3)]
        passes = []
        for plane in PLANES:
            polygon = clip_to_plane(polygon, plane)
            passes.append([[number(c) for c in v] for v in polygon])
        print(json.dumps({'id': fields[0], 'passes': passes}))


if __name__ == '__main__':
    main()
