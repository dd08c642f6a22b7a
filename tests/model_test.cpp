// The triangle model: reading triangle-object files through TriObj, what the loader prints and
// when it refuses a file, face normals, and the flat mesh arrays.
#include "tests/model_test_support.h"

namespace {

using namespace std::string_literals;

TEST_F(ModelFiles, EveryLayoutReadsTheSameTriangles)
{
    const struct {
        const char* name;
        const char* text;
    } layouts[] = {
        {"one line", "2 0 0 0 1 0 0 0 1 0 0.5 -2.25 1e-3 3 4 5 -1.5 0 2"},
        {"one vertex per line",
         "2\n0 0 0\n1 0 0\n0 1 0\n0.5 -2.25 1e-3\n3 4 5\n-1.5 0 2\n"},
        {"one triangle per line", "2\n0 0 0 1 0 0 0 1 0\n.5 -2.25 0.001 3. 4 5 -1.5 -0 2\n"},
        {"tabs and CR LF", "2\r\n0\t0\t0\r\n1\t0\t0\r\n0\t1\t0\r\n\t0.5\t-2.25\t1E-3\r\n"
                           "3\t4\t5\r\n-1.5\t0\t2\r\n"},
        {"runs of blanks and signs", "  +2\n\n\n  0   0 0 +1 0 0\f0\v1 0 5e-1 -225e-2 +.001  "
                                     "3 4 5 -1.5 0 2"},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const std::string path = write("mesh.tri", layout.text);
        StdoutCapture capture;
        const TriObj object(path.c_str(), 255, 128, 128);
        EXPECT_EQ(capture.text(), "Reading in " + path + " (2 triangles). . .\n");
        expectTwoTriangles(object);
    }
}

TEST_F(ModelFiles, ACountSmallerThanTheDataReadsOnlyThatManyTriangles)
{
    const std::string path = write("three.tri", "2\n0 0 0 1 0 0 0 1 0\n"
                                                "0.5 -2.25 1e-3 3 4 5 -1.5 0 2\n"
                                                "7 7 7 8 8 8 9 9 9\n"
                                                "whatever follows is not read\n");
    StdoutCapture capture;
    const TriObj object(path.c_str(), 1, 2, 3);
    EXPECT_EQ(capture.text(), "Reading in " + path + " (2 triangles). . .\n");
    expectTwoTriangles(object);
}

TEST_F(ModelFiles, ACountOfZeroGivesAnEmptyMesh)
{
    const std::string path = write("empty.tri", "0\n");
    StdoutCapture capture;
    TriObj object(path.c_str(), 255, 128, 128);
    EXPECT_EQ(capture.text(), "Reading in " + path + " (0 triangles). . .\n");
    EXPECT_EQ(object.count, 0);

    MeshArrays mesh = {-1, nullptr, nullptr, nullptr, nullptr, nullptr};
    buildMeshArrays(object, &mesh.modelVertices, &mesh.triangleCount, &mesh.modelNormals,
                    &mesh.colors);
    EXPECT_EQ(mesh.triangleCount, 0);
    delete[] mesh.modelVertices;
    delete[] mesh.modelNormals;
    delete[] mesh.colors;
}

TEST_F(ModelFiles, EveryTriangleGetsTheColourAndItsUnitNormal)
{
    const std::string path = write("mesh.tri", "2 0 0 0 1 0 0 0 1 0  0 0 0 0 3 0 2 0 0");
    StdoutCapture capture;
    const TriObj object(path.c_str(), 255, 128, 128);
    ASSERT_EQ(object.count, 2);
    const float expected[2][3] = {{0, 0, 1}, {0, 0, -1}};  // counter-clockwise from +z, then -z
    for (int i = 0; i < 2; ++i) {
        const Triangle& t = object.triangles[i];
        EXPECT_EQ(t.color[0], 255);
        EXPECT_EQ(t.color[1], 128);
        EXPECT_EQ(t.color[2], 128);
        EXPECT_EQ(t.normal.x, expected[i][0]);
        EXPECT_EQ(t.normal.y, expected[i][1]);
        EXPECT_EQ(t.normal.z, expected[i][2]);
    }
}

TEST_F(ModelFiles, AMissingFileEndsTheProcessWithTheErrorLineOnStandardOutput)
{
    const std::string path = dir + "/nothere.tri";
    const Outcome outcome = runInChild([&] { TriObj object(path.c_str(), 255, 128, 128); });
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.output, "ERROR: unable to open TriObj [" + path + "]!\n");
}

TEST_F(ModelFiles, ADirectoryIsRefusedAsUnreadable)
{
    const std::string path = dir + "/sub.tri";
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    const Outcome outcome = runInChild([&] { TriObj object(path.c_str(), 255, 128, 128); });
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.output, "ERROR: unable to read TriObj [" + path + "]!\n");
}

// Each malformed file is refused with the loading line (where the count could be read) and
// one error line, status 1.
TEST_F(ModelFiles, MalformedFilesAreRefusedWithOneErrorLine)
{
    const std::string triangle = "0 0 0 1 0 0 0 1 0\n";
    const struct {
        const char* what;
        std::string text;
        std::string expected;  // "@" stands for the file's name
    } cases[] = {
        {"empty file", "", "ERROR: TriObj [@] holds no triangle count!\n"},
        {"only white space", " \n\t\r\n", "ERROR: TriObj [@] holds no triangle count!\n"},
        {"count not a number", "abc\n" + triangle,
         "ERROR: TriObj [@] starts with \"abc\", not a triangle count!\n"},
        {"count not whole", "1.5\n" + triangle,
         "ERROR: TriObj [@] starts with \"1.5\", not a triangle count!\n"},
        {"count with a letter", "1x\n" + triangle,
         "ERROR: TriObj [@] starts with \"1x\", not a triangle count!\n"},
        {"a lone sign", "- 1\n" + triangle,
         "ERROR: TriObj [@] starts with \"-\", not a triangle count!\n"},
        {"count beyond 32 bits", "99999999999\n" + triangle,
         "ERROR: TriObj [@] has a triangle count out of range (99999999999)!\n"},
        {"count below 32 bits", "-2147483649\n",
         "ERROR: TriObj [@] has a triangle count out of range (-2147483649)!\n"},
        {"negative count", "-3\n" + triangle,
         "Reading in @ (-3 triangles). . .\nERROR: TriObj [@] has a negative triangle count "
         "(-3)!\n"},
        {"lowest count", "-2147483648\n",
         "Reading in @ (-2147483648 triangles). . .\nERROR: TriObj [@] has a negative "
         "triangle count (-2147483648)!\n"},
        {"count larger than the file holds", "2147483647\n" + triangle,
         "Reading in @ (2147483647 triangles). . .\nERROR: TriObj [@] is too short to hold "
         "2147483647 triangles!\n"},
        {"two triangles' worth of text for three", "3 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1",
         "Reading in @ (3 triangles). . .\nERROR: TriObj [@] is too short to hold 3 "
         "triangles!\n"},
        {"data ends in the last triangle", "2\n" + triangle + "0 0 0 1 0 0 0 1\n\n\n",
         "Reading in @ (2 triangles). . .\nERROR: TriObj [@] ends early, in triangle 2 of "
         "2!\n"},
        {"data ends in the first triangle", "1\n0 0 0 1 0 0 0 1                  ",
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] ends early, in triangle 1 of "
         "1!\n"},
        {"a word for a coordinate", "1\n0 0 0\n1 0 x\n0 1 0\n",
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"x\" where a number is "
         "expected (line 3, triangle 1)!\n"},
        {"commas between coordinates", "2\n" + triangle + "0,0,0 1,0,0 0,1,0 0,0,0 0,0,0\n",
         "Reading in @ (2 triangles). . .\nERROR: TriObj [@] has \",0,0\" where a number "
         "is expected (line 3, triangle 2)!\n"},
        {"a number run into a word", "1\r\n0 0 0 1 0 0 0 0.5cm 1\r\n",
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"cm\" where a number "
         "is expected (line 2, triangle 1)!\n"},
        {"a NaN payload before the last number", "1 0 0 0 1 0 0 0 -nan(1) 1",
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"(1)\" where a number "
         "is expected (line 1, triangle 1)!\n"},
        {"an unfinished infinity", "1 0 0 0 1 0 0 0 1 infin",
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"infin\" where a number "
         "is expected (line 1, triangle 1)!\n"},
        {"a lone sign at the end", "1 0 0 0 1 0 0 0 1 -",
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"-\" where a number "
         "is expected (line 1, triangle 1)!\n"},
        {"a count run into a number", "4032.0 " + triangle,
         "ERROR: TriObj [@] starts with \"4032.0\", not a triangle count!\n"},
        {"a NUL byte and a long word", "1\n0 0 0 1 0 0 0 1\0zzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"s,
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"?" + std::string(23, 'z') +
             "...\" where a number is expected (line 2, triangle 1)!\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = write("bad.tri", c.text);
        std::string expected = c.expected;
        for (size_t at; (at = expected.find('@')) != std::string::npos;)
            expected.replace(at, 1, path);
        const Outcome outcome = runInChild([&] { TriObj object(path.c_str(), 255, 128, 128); });
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.output, expected);
    }
}

TEST_F(ModelFiles, TheShortestTextForTheCountIsAccepted)
{
    // Two triangles of one-digit numbers with single blanks: exactly 36 characters after the
    // count, the least two triangles can take.
    const std::string path = write("tight.tri", "2 1 0 0 0 1 0 0 0 1 1 0 0 0 1 0 0 0 1");
    StdoutCapture capture;
    const TriObj object(path.c_str(), 255, 128, 128);
    EXPECT_EQ(object.count, 2);
}

TEST_F(ModelFiles, AZeroAreaTriangleKeepsItsNaNNormal)
{
    const std::string path = write("flat.tri", "1 0 0 0 1 1 1 2 2 2");
    StdoutCapture capture;
    const TriObj object(path.c_str(), 255, 128, 128);
    ASSERT_EQ(object.count, 1);
    EXPECT_TRUE(std::isnan(object.triangles[0].normal.x));
    EXPECT_TRUE(std::isnan(object.triangles[0].normal.y));
    EXPECT_TRUE(std::isnan(object.triangles[0].normal.z));
}

TEST_F(ModelFiles, FaceNormalFollowsTheRightHandRuleWithUnitLength)
{
    const std::string path = write("empty.tri", "0");
    StdoutCapture capture;
    TriObj object(path.c_str(), 0, 0, 0);
    const struct {
        Vector3 v0, v1, v2;
        Vector3 expected;
    } cases[] = {
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{0, 0, 0}, {2, 0, 0}, {0, 3, 0}, {0, 0, 1}},
        {{0, 0, 0}, {0, 0, 5}, {7, 0, 0}, {0, 1, 0}},
        {{1, 1, 1}, {1, 2, 1}, {1, 1, 2}, {1, 0, 0}},
    };
    for (const auto& c : cases) {
        Vector3 normal = {9, 9, 9};
        object.faceNormal(normal, c.v0, c.v1, c.v2);
        EXPECT_EQ(normal.x, c.expected.x);
        EXPECT_EQ(normal.y, c.expected.y);
        EXPECT_EQ(normal.z, c.expected.z);
    }

    // Random triangles: unit length, square to both edges, on the right-hand side.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-100, 100);
    for (int k = 0; k < 1000; ++k) {
        Vector3 v[3];
        for (Vector3& p : v) p = {coordinate(random), coordinate(random), coordinate(random)};
        Vector3 normal;
        object.faceNormal(normal, v[0], v[1], v[2]);
        const double e1[3] = {double(v[1].x) - v[0].x, double(v[1].y) - v[0].y,
                              double(v[1].z) - v[0].z};
        const double e2[3] = {double(v[2].x) - v[0].x, double(v[2].y) - v[0].y,
                              double(v[2].z) - v[0].z};
        const double n[3] = {normal.x, normal.y, normal.z};
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        EXPECT_NEAR(length, 1.0, 1e-6);
        const double l1 = std::sqrt(e1[0] * e1[0] + e1[1] * e1[1] + e1[2] * e1[2]);
        const double l2 = std::sqrt(e2[0] * e2[0] + e2[1] * e2[1] + e2[2] * e2[2]);
        EXPECT_NEAR((n[0] * e1[0] + n[1] * e1[1] + n[2] * e1[2]) / l1, 0.0, 1e-5);
        EXPECT_NEAR((n[0] * e2[0] + n[1] * e2[1] + n[2] * e2[2]) / l2, 0.0, 1e-5);
        // The determinant of (e1, e2, n) is positive for a right-handed normal.
        const double det = e1[0] * (e2[1] * n[2] - e2[2] * n[1]) -
                           e1[1] * (e2[0] * n[2] - e2[2] * n[0]) +
                           e1[2] * (e2[0] * n[1] - e2[1] * n[0]);
        EXPECT_GT(det, 0.0);
    }
}

TEST_F(ModelFiles, MeshArraysHoldCopiesThatOutliveTheTriObj)
{
    const std::string path = write("mesh.tri", "2 0 0 0 1 0 0 0 1 0 0.5 -2.25 1e-3 3 4 5 -1.5 0 2");
    MeshArrays mesh = {0, nullptr, nullptr, nullptr, nullptr, nullptr};
    {
        StdoutCapture capture;
        TriObj* object = new TriObj(path.c_str(), 255, 128, 128);
        buildMeshArrays(*object, &mesh.modelVertices, &mesh.triangleCount, &mesh.modelNormals,
                        &mesh.colors);
        delete object;
    }
    // Checked only after the TriObj is gone (AddressSanitizer would see any use of it).
    ASSERT_EQ(mesh.triangleCount, 2);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j) {
            const Vector4& v = mesh.modelVertices[3 * i + j];
            EXPECT_EQ(v.x, twoTriangles[i][3 * j]);
            EXPECT_EQ(v.y, twoTriangles[i][3 * j + 1]);
            EXPECT_EQ(v.z, twoTriangles[i][3 * j + 2]);
            EXPECT_TRUE(sameBits(v.w, 1.0f));
        }
    for (int k = 0; k < 6; ++k) EXPECT_EQ(mesh.colors[k], k % 3 == 0 ? 255 : 128);
    // The first normal by hand: (0,0,1). The second: the cross product of (2.5, 6.25, 4.999)
    // and (-2, 2.25, 1.999) is about (1.2463, -14.9955, 18.125), length about 23.557.
    EXPECT_EQ(mesh.modelNormals[0].x, 0.0f);
    EXPECT_EQ(mesh.modelNormals[0].y, 0.0f);
    EXPECT_EQ(mesh.modelNormals[0].z, 1.0f);
    EXPECT_NEAR(mesh.modelNormals[1].x, 1.2463 / 23.5569, 1e-4);
    EXPECT_NEAR(mesh.modelNormals[1].y, -14.9955 / 23.5569, 1e-4);
    EXPECT_NEAR(mesh.modelNormals[1].z, 18.125 / 23.5569, 1e-4);
    delete[] mesh.modelVertices;
    delete[] mesh.modelNormals;
    delete[] mesh.colors;
}

} // namespace
