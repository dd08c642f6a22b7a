// The mesh tools, run as a user runs them: teapot (the shipped teapot.tri and its
// regeneration, its shape, size and winding) and obj2tri (OBJ conversion and its errors). The
// files they write are read back through the program's own loader.
#include "model/model.h"

#include "tests/tool_run.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Every command with its standard error joined to its output.
ToolRun run(const std::string& command)
{
    return runCommand(command + " 2>&1");
}

bool exists(const std::string& path)
{
    return access(path.c_str(), F_OK) == 0;
}

// A fresh directory, removed with everything in it at the end of its scope.
struct TempDir {
    TempDir()
    {
        char pattern[] = "/tmp/clipdemo-tools-XXXXXX";
        if (mkdtemp(pattern)) path = pattern;
    }
    ~TempDir()
    {
        if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string path;
};

// The triangles of a triangle-object file, read by the program's parser; fails the test on a
// fault.
std::vector<Triangle> loadTriangles(const std::string& path)
{
    const std::string text = readFile(path);
    TriParser parser = startTriParse(text.data(), text.size());
    int count = 0;
    std::vector<Triangle> triangles;
    if (!parseTriCount(parser, count)) {
        ADD_FAILURE() << describeTriFault(parser, path.c_str());
        return triangles;
    }
    triangles.resize(size_t(count));
    if (!parseTriangles(parser, count, triangles.data()))
        ADD_FAILURE() << describeTriFault(parser, path.c_str());
    return triangles;
}

using Point = std::array<double, 3>;

Point corner(const Triangle& t, int j)
{
    return {t.vertices[j].x, t.vertices[j].y, t.vertices[j].z};
}
Point minus(const Point& a, const Point& b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Point cross(const Point& a, const Point& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Point& a, const Point& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
double length(const Point& a)
{
    return std::sqrt(dot(a, a));
}

// How many times the mesh winds around p: the solid angles of its triangles seen from p, over
// 4 pi. Inside a closed mesh whose triangles turn counter-clockwise seen from outside it is 1,
// outside 0; it degrades gracefully where the mesh has gaps.
double windingNumber(const std::vector<Triangle>& mesh, const Point& p)
{
    double sum = 0;
    for (const Triangle& t : mesh) {
        const Point a = minus(corner(t, 0), p), b = minus(corner(t, 1), p),
                    c = minus(corner(t, 2), p);
        const double la = length(a), lb = length(b), lc = length(c);
        sum += 2 * std::atan2(dot(a, cross(b, c)),
                              la * lb * lc + dot(a, b) * lc + dot(b, c) * la + dot(c, a) * lb);
    }
    return sum / (4 * M_PI);
}

// The volume the mesh encloses, by the divergence theorem: positive when the triangles are
// wound counter-clockwise seen from outside.
double signedVolume(const std::vector<Triangle>& mesh)
{
    double volume = 0;
    for (const Triangle& t : mesh) volume += dot(corner(t, 0), cross(corner(t, 1), corner(t, 2)));
    return volume / 6;
}

// The pot without spout and handle as a solid of revolution: pi r^2 dz integrated up the
// outside of its profile (radius r, height z), the Bezier curves of the control points in the
// plane y = 0 of the data: bottom, lower and upper body, rim, then (across the gap to the lid's
// edge, where dz = 0) the lid and its knob. The axis back down adds nothing (r = 0).
double potOfRevolutionVolume()
{
    const double profile[6][4][2] = {
        {{0, 0}, {1.425, 0}, {1.5, 0.075}, {1.5, 0.15}},
        {{1.5, 0.15}, {1.5, 0.225}, {2, 0.45}, {2, 0.9}},
        {{2, 0.9}, {2, 1.35}, {1.75, 1.875}, {1.5, 2.4}},
        {{1.5, 2.4}, {1.4375, 2.53125}, {1.3375, 2.53125}, {1.4, 2.4}},
        {{1.3, 2.4}, {1.3, 2.55}, {0.4, 2.55}, {0.2, 2.7}},
        {{0.2, 2.7}, {0, 2.85}, {0.8, 3.15}, {0, 3.15}},
    };
    auto at = [](const double (&p)[4][2], double t, int k) {
        const double s = 1 - t;
        return s * s * s * p[0][k] + 3 * t * s * s * p[1][k] + 3 * t * t * s * p[2][k] +
               t * t * t * p[3][k];
    };
    double volume = 0;
    const int steps = 4000;
    for (const auto& curve : profile)
        for (int i = 0; i < steps; ++i) {
            const double t0 = double(i) / steps, t1 = double(i + 1) / steps;
            const double r = (at(curve, t0, 0) + at(curve, t1, 0)) / 2;
            volume += M_PI * r * r * (at(curve, t1, 1) - at(curve, t0, 1));
        }
    return volume;
}

const std::string shippedTeapot = std::string(CLIPDEMO_SOURCE_DIR) + "/data/teapot.tri";

TEST(TeapotTool, RegeneratesTheShippedTeapotByteForByte)
{
    const TempDir temp;
    const std::string& dir = temp.path;
    const ToolRun first = run(std::string(TEAPOT_TOOL) + " 8 " + dir + "/a.tri");
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.output, "wrote 4032 triangles to " + dir + "/a.tri\n");
    EXPECT_EQ(run(std::string(TEAPOT_TOOL) + " 8 " + dir + "/b.tri").status, 0);
    const std::string regenerated = readFile(dir + "/a.tri");
    EXPECT_EQ(regenerated, readFile(dir + "/b.tri")) << "the same bytes on every run";
    EXPECT_TRUE(regenerated == readFile(shippedTeapot))
        << "data/teapot.tri differs from what the tool makes: regenerate it with "
           "build/tools/teapot 8 data/teapot.tri";
}

TEST(TeapotTool, MakesTwoTrianglesPerCellLessTheCollapsedOnes)
{
    // 32 patches of level x level cells, two triangles each; the 4 lid-top and 4 bottom
    // patches each have one row of cells collapsed to a point, where one triangle per cell
    // has zero area. (At level 1 the spout tip's corners lie on one line: its cells are flat.)
    const TempDir temp;
    const std::string& dir = temp.path;
    for (int level : {2, 3, 4, 8, 16}) {
        const std::string path = dir + "/level" + std::to_string(level) + ".tri";
        const int expected = 64 * level * level - 8 * level;
        const ToolRun made =
            run(std::string(TEAPOT_TOOL) + " " + std::to_string(level) + " " + path);
        EXPECT_EQ(made.status, 0);
        EXPECT_EQ(made.output,
                  "wrote " + std::to_string(expected) + " triangles to " + path + "\n");
        EXPECT_EQ(loadTriangles(path).size(), size_t(expected)) << "level " << level;
    }
}

TEST(TeapotTool, ShippedTeapotHasNoZeroAreaTriangle)
{
    // Loaded as the program loads it: every face normal finite and of unit length.
    const TriObj teapot(shippedTeapot.c_str(), 255, 128, 128);
    ASSERT_EQ(teapot.count, 4032);
    int bad = 0;
    for (int i = 0; i < teapot.count; ++i) {
        const Vector3& n = teapot.triangles[i].normal;
        const double l = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
        bad += !(std::fabs(l - 1) < 1e-6);
    }
    EXPECT_EQ(bad, 0);
}

TEST(TeapotTool, ShippedTeapotsNormalsPointOutOfTheBody)
{
    const std::vector<Triangle> mesh = loadTriangles(shippedTeapot);
    ASSERT_FALSE(mesh.empty());

    // Enclosed volume: the pot of revolution plus the parts of spout and handle outside it
    // (about a tenth more), less a little for the flat cells inside the curved surface.
    const double volume = signedVolume(mesh);
    const double pot = potOfRevolutionVolume();
    EXPECT_NEAR(pot, 25.137, 0.01);
    EXPECT_GT(volume, pot);
    EXPECT_LT(volume, 1.1 * pot);

    // Just behind each triangle the mesh winds once more than just in front of it.
    int inward = 0, checked = 0;
    for (size_t i = 0; i < mesh.size(); i += 5) {
        const Triangle& t = mesh[i];
        const Point a = corner(t, 0), b = corner(t, 1), c = corner(t, 2);
        Point n = cross(minus(b, a), minus(c, a));
        const double l = length(n);
        for (double& x : n) x /= l;
        const Point centre = {(a[0] + b[0] + c[0]) / 3, (a[1] + b[1] + c[1]) / 3,
                              (a[2] + b[2] + c[2]) / 3};
        const double e = 1e-3;
        const Point front = {centre[0] + e * n[0], centre[1] + e * n[1], centre[2] + e * n[2]};
        const Point back = {centre[0] - e * n[0], centre[1] - e * n[1], centre[2] - e * n[2]};
        inward += !(windingNumber(mesh, back) - windingNumber(mesh, front) > 0.5);
        ++checked;
    }
    EXPECT_EQ(inward, 0) << "of " << checked << " triangles checked";
}

TEST(TeapotTool, ShippedTeapotStandsUprightOnTheOriginInTheDataUnits)
{
    const std::vector<Triangle> mesh = loadTriangles(shippedTeapot);
    ASSERT_FALSE(mesh.empty());
    Point low = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    Point top = {0, -HUGE_VAL, 0}, front = {-HUGE_VAL, 0, 0};
    for (const Triangle& t : mesh)
        for (int j = 0; j < 3; ++j) {
            const Point p = corner(t, j);
            for (int k = 0; k < 3; ++k) {
                low[k] = std::fmin(low[k], p[k]);
                high[k] = std::fmax(high[k], p[k]);
            }
            if (p[1] > top[1]) top = p;
            if (p[0] > front[0]) front = p;
        }
    // Centred by its bounding box.
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(low[k] + high[k], 0.0, 1e-6) << "axis " << k;
    // Upright: from the bottom (data z = 0) to the knob's top (z = 3.15) along y; the body's
    // widest circle, radius 2, across z.
    EXPECT_NEAR(high[1] - low[1], 3.15, 1e-6);
    EXPECT_NEAR(high[2] - low[2], 4.0, 0.01);
    // The knob's top is on the axis of the pot, the spout's tip points to +x above the middle.
    EXPECT_NEAR(top[2], 0.0, 1e-6);
    EXPECT_GT(front[1], 0.5);
    // Handle to spout about 6.4 data units: about 1.3 at the animation's scale of 0.2.
    EXPECT_NEAR(0.2 * (high[0] - low[0]), 1.3, 0.05);
}

TEST(TeapotTool, RefusesBadArguments)
{
    const std::string tool = TEAPOT_TOOL;
    const TempDir temp;
    const std::string& dir = temp.path;
    const struct {
        std::string arguments;
        int status;
        std::string output;
    } cases[] = {
        {"", 2, "usage: teapot LEVEL OUTPUT [CONTROL-POINTS]\n"
                "  LEVEL: cells along each side of a patch, 1 to 1000\n"},
        {"0 " + dir + "/x.tri", 1, "teapot: LEVEL must be a whole number from 1 to 1000, not 0\n"},
        {"8x " + dir + "/x.tri", 1,
         "teapot: LEVEL must be a whole number from 1 to 1000, not 8x\n"},
        {"1001 " + dir + "/x.tri", 1,
         "teapot: LEVEL must be a whole number from 1 to 1000, not 1001\n"},
        {"8 " + dir + "/x.tri " + dir + "/none.txt", 1,
         "teapot: cannot open " + dir + "/none.txt\n"},
        {"8 " + dir + "/no/such/dir.tri", 1, "teapot: cannot write " + dir + "/no/such/dir.tri\n"},
    };
    for (const auto& c : cases) {
        const ToolRun result = run(tool + " " + c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments;
        EXPECT_EQ(result.output, c.output) << c.arguments;
    }
    EXPECT_FALSE(exists(dir + "/x.tri"));
}

// An OBJ file in the test's directory, converted; the run's result.
class Obj2Tri : public ::testing::Test {
protected:
    ToolRun convert(const std::string& obj)
    {
        std::ofstream(dir + "/in.obj", std::ios::binary) << obj;
        return run(std::string(OBJ2TRI_TOOL) + " " + dir + "/in.obj " + out);
    }
    TempDir temp;
    std::string dir = temp.path;
    std::string out = dir + "/out.tri";
};

TEST_F(Obj2Tri, ConvertsVerticesAndFanTriangulatedFaces)
{
    const ToolRun result = convert(
        "# a unit square, a pentagon and a triangle by negative indices\r\n"
        "mtllib none.mtl\r\n"
        "o square\r\n"
        "v 0 0 0\r\n"
        "v 1 0 0 1.0\r\n"
        "v 1 1 0 0.5 0.5 0.5\r\n"
        "v 0 1 0  # a comment after a vertex\r\n"
        "vt 0 0\n"
        "vn 0 0 1\n"
        "g faces\n"
        "s off\n"
        "usemtl red\n"
        "f 1/1/1 2/1/1 3/1/1 4/1/1\n"
        "v 0 0 2\n"
        "v 2 0 2\n"
        "v 3 1 2\n"
        "v 1 3 2\n"
        "v -1 1 2\n"
        "f 5//1 6//1 \\\n"
        "  7//1 8//1 9//1\n"
        "f -3/1 -2/1 -1/1\n"
        "l 1 2\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "wrote 6 triangles to " + out + "\n");
    const std::vector<Triangle> mesh = loadTriangles(out);
    // Fans from each face's first corner, in the face's own order.
    const float expected[6][9] = {
        {0, 0, 0, 1, 0, 0, 1, 1, 0}, {0, 0, 0, 1, 1, 0, 0, 1, 0},
        {0, 0, 2, 2, 0, 2, 3, 1, 2}, {0, 0, 2, 3, 1, 2, 1, 3, 2}, {0, 0, 2, 1, 3, 2, -1, 1, 2},
        {3, 1, 2, 1, 3, 2, -1, 1, 2},
    };
    ASSERT_EQ(mesh.size(), 6u);
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 3; ++j) {
            EXPECT_EQ(mesh[size_t(i)].vertices[j].x, expected[i][3 * j]) << i << " " << j;
            EXPECT_EQ(mesh[size_t(i)].vertices[j].y, expected[i][3 * j + 1]) << i << " " << j;
            EXPECT_EQ(mesh[size_t(i)].vertices[j].z, expected[i][3 * j + 2]) << i << " " << j;
        }
}

TEST_F(Obj2Tri, KeepsEveryFloatExactly)
{
    const ToolRun result = convert("v 0.1 -3.4028235e38 1e-45\nv 1 2 3\nv 4 5 6\nf 1 2 3\n");
    EXPECT_EQ(result.status, 0);
    const std::vector<Triangle> mesh = loadTriangles(out);
    ASSERT_EQ(mesh.size(), 1u);
    EXPECT_EQ(mesh[0].vertices[0].x, 0.1f);
    EXPECT_EQ(mesh[0].vertices[0].y, -3.4028235e38f);
    EXPECT_EQ(mesh[0].vertices[0].z, 1e-45f);
}

TEST_F(Obj2Tri, RefusesBadInputWithOneLineAndWritesNothing)
{
    const struct {
        const char* what;
        std::string obj;
        std::string message;  // after "obj2tri: <input>"
    } cases[] = {
        {"too few coordinates", "v 1 2\n", ":1: a vertex needs three finite numbers x y z"},
        {"a word for a coordinate", "v 0 0 0\nv 1 x 2\n",
         ":2: a vertex needs three finite numbers x y z"},
        {"a coordinate beyond float", "v 1 2 1e39\n",
         ":1: a vertex needs three finite numbers x y z"},
        {"two corners", "v 0 0 0\nv 1 0 0\nf 1 2\n", ":3: a face needs at least three corners"},
        {"index zero", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n",
         ":4: vertex index 0 (indices count from 1)"},
        {"index past the end", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n",
         ":4: vertex index 4 refers to no vertex (3 defined so far)"},
        {"index before the first", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -4 1 2\n",
         ":4: vertex index -4 refers to no vertex (3 defined so far)"},
        {"a forward reference", "v 0 0 0\nv 1 0 0\nf 1 2 3\nv 0 1 0\n",
         ":3: vertex index 3 refers to no vertex (2 defined so far)"},
        {"a word for an index", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 c/1\n",
         ":4: \"c/1\" is not a vertex index"},
        {"no faces", "v 0 0 0\nv 1 0 0\nv 0 1 0\n", ": no faces, nothing to convert"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(out.c_str());
        const ToolRun result = convert(c.obj);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.output, "obj2tri: " + dir + "/in.obj" + c.message + "\n");
        EXPECT_FALSE(exists(out));
    }
    const ToolRun missing = run(std::string(OBJ2TRI_TOOL) + " " + dir + "/none.obj " + out);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.output, "obj2tri: cannot open " + dir + "/none.obj\n");
    const ToolRun usage = run(std::string(OBJ2TRI_TOOL));
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.output, "usage: obj2tri INPUT.obj OUTPUT.tri\n");
}

} // namespace
