// practice/: the exercises a learner practises on, in seeded sequences. The explorer's practice
// mode (explore.html#practise&seed=S&pass=K&n=I), the worksheets (worksheet.html#seed=S&pass=K)
// and clipfigs --practise all take their triangles from here, so a teacher's sheet, a learner's
// link and a record on the command line name the same exercises.
//
// What goes in: a seed (a whole number, 0 to practiceSeedLimit), a pass (1 to 6, the passes of
// clipToFrustum in the order of ClipPlane: left, right, bottom, top, near, far) and a place in the
// sequence (from 1). What comes out: a triangle, three corners in the simulated camera's eye space.
// A sequence is fixed by its seed and pass alone: triangle I is made from (seed, pass, I) and
// nothing else, so a count only says how many of the first to take.
// What each triangle is (by construction, not by trying until one fits):
//   - corners that are multiples of 0.05, within 1.6 of the eye (finite, and well within what
//     the explorer accepts), read as parseTriangleText reads their decimals;
//   - the walk of pass K crosses its plane: two corners lie inside every plane before it, one
//     outside pass K's plane and one inside, so the polygon entering pass K keeps both, with the
//     bits they were given, as the ends of an edge; that edge's |d(P) − d(Q)| is at least 0.13;
//   - among any five in a row (so among the first ten of every sequence), one has a corner
//     behind the eye (w < 0) and, for the four side passes, one has a corner exactly on pass K's
//     plane that enters pass K (x = −z in eye space gives x = w exactly with this projection,
//     and likewise for the other side planes; the corner lies inside every plane before).
// What it never does: files, console, globals, locale, time. The generator is splitmix64 (exact
// integer arithmetic) and the corners are decimals made from integers, so the same seed gives
// the same floats on every platform.
#pragma once

#include <cstdint>
#include <string>

// The largest seed: what a page's address and its script carry exactly.
inline constexpr std::uint64_t practiceSeedLimit = 4294967295u;

// Triangle `index` (from 1) of the sequence of `seed` for pass `pass` (1 to 6): fills corners
// (x y z of each corner, eye space) and returns true; false for a pass or index out of range, or
// a seed above the limit, leaving corners alone.
bool practiceTriangle(std::uint64_t seed, int pass, int index, float corners[9]);

// Its first `count` triangles, a line each, "#t=x0,y0,z0,x1,y1,z1,x2,y2,z2" and a line end (LF),
// the numbers as the explorer's address writes them (triangleText): what clipfigs --practise
// prints. "" for a pass out of range, a count under 1 or a seed above the limit.
std::string practiceLines(std::uint64_t seed, int pass, int count);

// Reads a seed written as decimal digits alone (no sign, no spaces), 0 to practiceSeedLimit.
bool parsePracticeSeed(const std::string& text, std::uint64_t& seed);
