#!/usr/bin/env python3
"""A learner's clipper, written apart from the program's (Python, double precision): the test
fixture that cliptrace check must accept, and, with --mistake, the same clipper with one
deliberate mistake, which it must find and name.

    learner_clipper.py TRIANGLES.txt TRACE.jsonl [--mistake NAME] [--found FOUND.jsonl]

TRIANGLES.txt is `cliptrace triangles --text`. NAME is one of flipped-test, divided-first,
t-from-q, t-after-divide, missing-cut, missing-q, wrong-plane (left and right in each other's
place), skipped-near (the near pass hands its input back), rotate (every output list starts one
vertex later: right, with a note) or boundary (a vertex on the plane counted outside: right under
a tolerance). With --found it writes, for each triangle, where its mistake first shows: the first
pass whose output differs from the right clipper's on the same input, and there the first edge
whose contribution differs, as {"id", "pass", "edge"} (null, null when it never shows).
"""
import json
import math
import sys

# (coordinate index, upper bound?) per pass, in the clipper's order: left, right, bottom, top,
# near, far. Inside: c >= -w (lower) or c <= w (upper).
PLANES = [(0, False), (0, True), (1, False), (1, True), (2, False), (2, True)]
TOLERANCE = 1e-5


def distance(v, plane):
    c, upper = PLANES[plane]
    return v[3] - v[c] if upper else v[c] + v[3]


def lerp(p, q, t):
    return [a + (b - a) * t for a, b in zip(p, q)]


def inside(v, plane, mistake):
    d = distance(v, plane)
    if mistake == 'flipped-test':
        return d < 0
    if mistake == 'boundary':
        return d > 0
    if mistake == 'divided-first':
        c, upper = PLANES[plane]
        if v[3] == 0:
            return False
        return v[c] / v[3] <= 1 if upper else v[c] / v[3] >= -1
    return d >= 0


def cut_parameter(p, q, plane, mistake):
    dp, dq = distance(p, plane), distance(q, plane)
    t = dp / (dp - dq) if dp != dq else math.nan
    if mistake == 't-from-q':
        return 1 - t
    if mistake == 't-after-divide' and p[3] > 0 and q[3] > 0:
        c, upper = PLANES[plane]
        bound = 1.0 if upper else -1.0
        a, b = p[c] / p[3], q[c] / q[3]
        return (bound - a) / (b - a) if a != b else math.nan
    return t


def edge(p, q, plane, mistake):
    """What this clipper appends for the edge p -> q."""
    p_in, q_in = inside(p, plane, mistake), inside(q, plane, mistake)
    out = []
    if p_in != q_in:
        dropped = (mistake == 'missing-cut' and p_in)
        if not dropped:
            out.append(lerp(p, q, cut_parameter(p, q, plane, mistake)))
    if q_in and not (mistake == 'missing-q' and not p_in):
        out.append(q)
    return out


def clip(polygon, plane, mistake):
    """One pass, edge by edge; the contributions as a list per edge."""
    n = len(polygon)
    if mistake == 'skipped-near' and plane == 4:
        return [[v] for v in polygon]  # handed back as it came
    return [edge(polygon[i], polygon[(i + 1) % n], plane, mistake) for i in range(n)]


def flat(contributions):
    return [v for part in contributions for v in part]


def same(a, b, tolerance):
    return all(abs(x - y) <= tolerance or (x != x and y != y) for x, y in zip(a, b))


def merged(vertices, tolerance):
    """Consecutive vertices within the tolerance as one, the list taken as a cycle."""
    kept = []
    for v in vertices:
        if not kept or not same(kept[-1], v, tolerance):
            kept.append(v)
    while len(kept) > 1 and same(kept[-1], kept[0], tolerance):
        kept.pop()
    return kept


def same_polygon(a, b, tolerance):
    """The same vertices in the same cyclic order, wherever each list starts."""
    a, b = merged(a, tolerance), merged(b, tolerance)
    if len(a) != len(b):
        return False
    return not a or any(all(same(a[i], b[(i + r) % len(b)], tolerance) for i in range(len(a)))
                        for r in range(len(b)))


def first_difference(polygon, plane, mistake):
    """The first edge (from 1) whose contribution differs from the right clipper's, or None.
    A vertex within the tolerance of the one its list had last counts as that one (a vertex on
    the plane comes out once or twice as rounding decides)."""
    tolerance = TOLERANCE * max([abs(c) for v in polygon for c in v] + [0])
    last = {'right': None, 'mine': None}

    def kept(part, which):
        out = []
        for v in part:
            if last[which] is None or not same(last[which], v, tolerance):
                out.append(v)
                last[which] = v
        return out

    right, mine = clip(polygon, plane, None), clip(polygon, plane, mistake)
    if same_polygon(flat(right), flat(mine), tolerance):
        return None
    for i, (a, b) in enumerate(zip(right, mine)):
        a, b = kept(a, 'right'), kept(b, 'mine')
        if len(a) != len(b) or not all(same(u, v, tolerance) for u, v in zip(a, b)):
            return i + 1
    return None


def number(x):
    if x != x:
        return 'NaN'
    if math.isinf(x):
        return 'Infinity' if x > 0 else '-Infinity'
    return x


def main(args):
    mistake, found_file = None, None
    if '--mistake' in args:
        mistake = args.pop(args.index('--mistake') + 1)
        args.remove('--mistake')
    if '--found' in args:
        found_file = args.pop(args.index('--found') + 1)
        args.remove('--found')
    triangles_file, trace_file = args
    order = list(range(6))
    if mistake == 'wrong-plane':
        order[0], order[1] = 1, 0
    with open(triangles_file) as lines, open(trace_file, 'w') as trace:
        found = open(found_file, 'w') if found_file else None
        for line in lines:
            fields = line.split()
            if not fields:
                continue
            polygon = [[float(x) for x in fields[1 + 4 * k:5 + 4 * k]] for k in range(3)]
            passes, where = [], (None, None)
            for k, plane in enumerate(order):
                if where[0] is None:
                    if mistake == 'wrong-plane':
                        right = flat(clip(polygon, k, None))
                        mine = flat(clip(polygon, plane, None))
                        tolerance = TOLERANCE * max([abs(c) for v in polygon for c in v] + [0])
                        if not same_polygon(right, mine, tolerance):
                            where = (k + 1, None)
                    else:
                        difference = first_difference(polygon, k, mistake)
                        if difference is not None:
                            # A pass handed back as it came has no edge of its own.
                            where = (k + 1, None if mistake == 'skipped-near' else difference)
                polygon = flat(clip(polygon, plane, None if mistake == 'wrong-plane' else
                                    mistake))
                if mistake == 'rotate' and polygon:
                    polygon = polygon[1:] + polygon[:1]
                passes.append([[number(c) for c in v] for v in polygon])
            trace.write(json.dumps({'id': fields[0], 'passes': passes}) + '\n')
            if found:
                found.write(json.dumps({'id': fields[0], 'pass': where[0], 'edge': where[1]})
                            + '\n')
        if found:
            found.close()


if __name__ == '__main__':
    main(sys.argv[1:])
