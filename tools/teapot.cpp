// teapot: writes the classic teapot as a triangle-object file.
//
//   teapot LEVEL OUTPUT [CONTROL-POINTS]
//
// Reads the teapot's 32 bicubic Bezier patches (by default the project's
// data/newell-teapot.txt: the patch count, 16 one-based point indices per patch, the point
// count, then x y z per point), cuts each patch into LEVEL x LEVEL cells of two triangles and
// writes them to OUTPUT as a count followed by one triangle per line. That is 64 x LEVEL^2
// triangles less the ones of zero area, which are skipped: where a patch row collapses to one
// point (the centres of the lid and of the bottom) one triangle of each cell touching it, so
// 64 x LEVEL^2 - 8 x LEVEL in all (at level 1 the spout tip's two cells are flat too).
//
// The triangles are wound counter-clockwise seen from outside, so their face normals point out
// of the body. The teapot stands upright, y up (the data's z), the spout towards +x, and is
// centred on the origin by its bounding box; the data's units are kept (about 6.4 long).
// The output is the same, byte for byte, on every run.
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Point {
    double x, y, z;
};

using Patch = std::array<int, 16>;  // zero-based point indices, row by row

struct ControlData {
    std::vector<Patch> patches;
    std::vector<Point> points;
};

[[noreturn]] void fail(const std::string& message)
{
    std::fprintf(stderr, "teapot: %s\n", message.c_str());
    std::exit(1);
}

ControlData readControlData(const char* path)
{
    std::FILE* file = std::fopen(path, "r");
    if (!file) fail(std::string("cannot open ") + path);
    ControlData data;
    int patchCount = 0;
    if (std::fscanf(file, "%d", &patchCount) != 1 || patchCount <= 0 || patchCount > 10000)
        fail(std::string(path) + ": bad patch count");
    data.patches.resize(size_t(patchCount));
    for (Patch& patch : data.patches)
        for (int& index : patch) {
            if (std::fscanf(file, "%d", &index) != 1) fail(std::string(path) + ": bad patch");
            --index;
        }
    int pointCount = 0;
    if (std::fscanf(file, "%d", &pointCount) != 1 || pointCount <= 0 || pointCount > 1000000)
        fail(std::string(path) + ": bad point count");
    data.points.resize(size_t(pointCount));
    for (Point& p : data.points)
        if (std::fscanf(file, "%lf %lf %lf", &p.x, &p.y, &p.z) != 3)
            fail(std::string(path) + ": bad point");
    std::fclose(file);
    for (const Patch& patch : data.patches)
        for (int index : patch)
            if (index < 0 || index >= pointCount)
                fail(std::string(path) + ": point index out of range");
    return data;
}

// The cubic Bernstein polynomials at t.
std::array<double, 4> bernstein(double t)
{
    const double s = 1.0 - t;
    return {s * s * s, 3.0 * t * s * s, 3.0 * t * t * s, t * t * t};
}

// The patch's point at (u, v): u runs down the rows of control points, v along them.
Point evaluate(const ControlData& data, const Patch& patch, double u, double v)
{
    const std::array<double, 4> bu = bernstein(u), bv = bernstein(v);
    Point sum = {0, 0, 0};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            const Point& p = data.points[size_t(patch[size_t(4 * i + j)])];
            const double weight = bu[size_t(i)] * bv[size_t(j)];
            sum.x += weight * p.x;
            sum.y += weight * p.y;
            sum.z += weight * p.z;
        }
    // Upright: the data's z becomes y; x stays, so y becomes -z (a proper rotation, which
    // keeps the winding).
    return {sum.x, sum.z, -sum.y};
}

struct Corner {
    float x, y, z;
};
using Triangle = std::array<Corner, 3>;

bool sameCorner(const Corner& a, const Corner& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// Zero area as the program will see it: two equal corners, or a zero cross product of the
// float corners' edges.
bool zeroArea(const Triangle& t)
{
    if (sameCorner(t[0], t[1]) || sameCorner(t[1], t[2]) || sameCorner(t[2], t[0])) return true;
    const double ax = double(t[1].x) - t[0].x, ay = double(t[1].y) - t[0].y,
                 az = double(t[1].z) - t[0].z;
    const double bx = double(t[2].x) - t[0].x, by = double(t[2].y) - t[0].y,
                 bz = double(t[2].z) - t[0].z;
    const double cx = ay * bz - az * by, cy = az * bx - ax * bz, cz = ax * by - ay * bx;
    return cx == 0 && cy == 0 && cz == 0;
}

std::vector<Triangle> tessellate(const ControlData& data, int level)
{
    // Every patch's grid of points, upright, before centring.
    const size_t side = size_t(level) + 1;
    std::vector<std::vector<Point>> grids;
    Point low = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const Patch& patch : data.patches) {
        std::vector<Point> grid;
        for (size_t a = 0; a < side; ++a)
            for (size_t b = 0; b < side; ++b) {
                const Point p = evaluate(data, patch, double(a) / level, double(b) / level);
                low = {std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z)};
                high = {std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z)};
                grid.push_back(p);
            }
        grids.push_back(grid);
    }
    const Point centre = {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};

    std::vector<Triangle> triangles;
    for (const std::vector<Point>& grid : grids) {
        auto corner = [&](size_t a, size_t b) {
            const Point& p = grid[a * side + b];
            return Corner{float(p.x - centre.x), float(p.y - centre.y), float(p.z - centre.z)};
        };
        for (size_t a = 0; a < size_t(level); ++a)
            for (size_t b = 0; b < size_t(level); ++b) {
                // In the data's parameterisation the outside sees (u, v) turn clockwise, so
                // each cell goes (a, b), (a, b + 1), (a + 1, b + 1) and so on.
                const Corner c00 = corner(a, b), c01 = corner(a, b + 1);
                const Corner c10 = corner(a + 1, b), c11 = corner(a + 1, b + 1);
                for (const Triangle& t : {Triangle{c00, c01, c11}, Triangle{c00, c11, c10}})
                    if (!zeroArea(t)) triangles.push_back(t);
            }
    }
    return triangles;
}

void writeTri(const char* path, const std::vector<Triangle>& triangles)
{
    std::FILE* file = std::fopen(path, "wb");  // binary: LF line ends on every system
    if (!file) fail(std::string("cannot write ") + path);
    std::fprintf(file, "%zu\n", triangles.size());
    // "%.9g" gives every float back exactly when read again.
    for (const Triangle& t : triangles)
        std::fprintf(file, "%.9g %.9g %.9g  %.9g %.9g %.9g  %.9g %.9g %.9g\n", double(t[0].x),
                     double(t[0].y), double(t[0].z), double(t[1].x), double(t[1].y),
                     double(t[1].z), double(t[2].x), double(t[2].y), double(t[2].z));
    if (std::fclose(file) != 0) fail(std::string("cannot write ") + path);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: teapot LEVEL OUTPUT [CONTROL-POINTS]\n"
                             "  LEVEL: cells along each side of a patch, 1 to 1000\n");
        return 2;
    }
    char* end = nullptr;
    const long level = std::strtol(argv[1], &end, 10);
    if (*argv[1] == '\0' || *end != '\0' || level < 1 || level > 1000)
        fail(std::string("LEVEL must be a whole number from 1 to 1000, not ") + argv[1]);
    const ControlData data = readControlData(argc == 4 ? argv[3] : TEAPOT_CONTROL_POINTS);
    const std::vector<Triangle> triangles = tessellate(data, int(level));
    writeTri(argv[2], triangles);
    std::printf("wrote %zu triangles to %s\n", triangles.size(), argv[2]);
    return 0;
}
