// The mesh pass takes short cuts (matrices built once, clipping on the stack, wholly inside and
// wholly outside triangles skipping the passes). Here it must send exactly the calls, to the
// last bit, of the pass done the plain way: for every triangle the projection built anew,
// clipToFrustum with its new array, the inverse built anew, everything freed.
#include "anim/anim.h"
#include "clip/clip.h"
#include "model/model.h"
#include "tests/gl_recorder.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

// The pass the plain way, with no short cut: for every triangle its own projection matrix, a new
// clip-space array, clipToFrustum's new array, its own inverse matrix, and both arrays freed.
void plainDrawClippedTriangle(const Vector4* vertices, const Vector3& normal,
                              const unsigned char* color, int mapBack)
{
    Matrix4 matrix;
    matFrustum(matrix, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
               frustum.far);
    Vector4* clipSpace = new Vector4[3];
    for (int k = 0; k < 3; ++k) matTransformPoint(clipSpace[k], matrix, vertices[k]);
    Vector4* clipped = nullptr;
    const int count = clipToFrustum(clipSpace, 3, &clipped);
    if (mapBack) {
        matFrustumInverse(matrix, frustum.left, frustum.right, frustum.bottom, frustum.top,
                          frustum.near, frustum.far);
        for (int i = 0; i < count; ++i) matTransformPoint(clipped[i], matrix, clipped[i]);
    }
    glColor3ubv(color);
    glNormal3fv(&normal.x);
    glBegin(GL_POLYGON);
    for (int i = 0; i < count; ++i) glVertex4fv(&clipped[i].x);
    glEnd();
    delete[] clipSpace;
    delete[] clipped;
}

void plainDrawMesh(const Vector4* vertices, const Vector3* normals, const unsigned char* colors,
                   int count, int mapBack)
{
    for (int i = 0; i < count; ++i)
        plainDrawClippedTriangle(vertices + 3 * i, normals[i], colors + 3 * i, mapBack);
}

// Same calls, same arguments to the bit (so -0 and +0 differ, and NaN equals NaN).
::testing::AssertionResult sameCalls(const std::vector<GlCall>& expected,
                                     const std::vector<GlCall>& actual)
{
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure()
               << expected.size() << " calls expected, " << actual.size() << " made";
    for (size_t i = 0; i < expected.size(); ++i) {
        const GlCall& e = expected[i];
        const GlCall& a = actual[i];
        // memcmp must not see the null data() of an empty vector (glEnd has no arguments).
        const bool sameArgs = e.args.size() == a.args.size() &&
                              (e.args.empty() || std::memcmp(e.args.data(), a.args.data(),
                                                             e.args.size() * sizeof(double)) == 0);
        if (e.name != a.name || !sameArgs) {
            ::testing::AssertionResult failure = ::testing::AssertionFailure();
            failure << "call " << i << ": expected " << e.name << "(";
            for (double v : e.args) failure << v << " ";
            failure << "), got " << a.name << "(";
            for (double v : a.args) failure << v << " ";
            return failure << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

// Both passes over the same triangles, in one view.
::testing::AssertionResult sameAsPlain(const Vector4* vertices, const Vector3* normals,
                                       const unsigned char* colors, int count, int mapBack)
{
    clearGlCalls();
    plainDrawMesh(vertices, normals, colors, count, mapBack);
    const std::vector<GlCall> expected = glCalls();
    clearGlCalls();
    drawMesh(vertices, normals, colors, count, mapBack);
    return sameCalls(expected, glCalls());
}

TEST(MeshPassShortCuts, SameCallsAsThePlainPassOverAnAnimatedLargeTeapot)
{
    // The teapot at level 16 (16 256 triangles), made by the teapot tool.
    const char* base = std::getenv("TMPDIR");
    const std::string path = std::string(base && *base ? base : "/tmp") + "/equivalence-" +
                             std::to_string(getpid()) + ".tri";
    const std::string command = std::string(TEAPOT_TOOL) + " 16 " + path;
    ASSERT_EQ(std::system(command.c_str()), 0);
    TriObj* object = new TriObj(path.c_str(), 255, 128, 128);
    std::remove(path.c_str());
    MeshArrays mesh = {};
    buildMeshArrays(*object, &mesh.modelVertices, &mesh.triangleCount, &mesh.modelNormals,
                    &mesh.colors);
    delete object;
    ASSERT_GT(mesh.triangleCount, 16000);
    std::vector<Vector4> sceneVertices(size_t(3) * mesh.triangleCount);
    std::vector<Vector3> sceneNormals(size_t(mesh.triangleCount));
    mesh.sceneVertices = sceneVertices.data();
    mesh.sceneNormals = sceneNormals.data();

    const MeshArrays savedMesh = meshArrays;
    const MotionState savedMotion = motionState;
    meshArrays = mesh;
    // Every 15th of the first 900 steps: the teapot crosses every face, in every mix.
    long inside = 0, cut = 0, gone = 0;
    for (int frame = 0; frame < 60 && !HasFailure(); ++frame) {
        for (int step = 0; step < 15; ++step) stepAnimation(1);
        for (int mapBack : {1, 0})
            EXPECT_TRUE(sameAsPlain(mesh.sceneVertices, mesh.sceneNormals, mesh.colors,
                                    mesh.triangleCount, mapBack))
                << "frame " << frame << (mapBack ? ", world view" : ", clip-space view");
        const std::vector<GlCall>& calls = glCalls();
        for (size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].name != "glBegin") continue;
            size_t vertices = 0;
            while (calls[i + 1 + vertices].name == "glVertex4fv") ++vertices;
            (vertices == 0 ? gone : vertices == 3 ? inside : cut) += 1;
        }
    }
    meshArrays = savedMesh;
    motionState = savedMotion;
    delete[] mesh.modelVertices;
    delete[] mesh.modelNormals;
    delete[] mesh.colors;
    std::printf("clip-space view triangles: %ld drawn whole or with three corners, %ld cut to "
                "another count, %ld clipped away\n", inside, cut, gone);
    EXPECT_GT(cut, 10000);
    EXPECT_GT(gone, 10000);
}

// Triangles made to sit on and about the planes, where the short cuts' tests and the passes'
// tests must agree to the bit: corners on a coarse grid (many exactly on a face), behind the eye,
// degenerate, and with NaN and infinities.
TEST(MeshPassShortCuts, SameCallsAsThePlainPassOnAndAroundThePlanes)
{
    std::mt19937 random(7);
    const float special[] = {0.0f, -0.0f, 0.25f, -0.25f, 1.0f, -1.0f, 0.5f,
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::quiet_NaN(), 1e-40f, 3e38f};
    auto coordinate = [&](float scale) {
        const int pick = std::uniform_int_distribution<int>(0, 99)(random);
        if (pick < 4) return special[std::uniform_int_distribution<int>(0, 11)(random)];
        return std::uniform_int_distribution<int>(-24, 24)(random) / 16.0f * scale;
    };
    const int count = 50000;
    std::vector<Vector4> vertices;
    std::vector<Vector3> normals;
    std::vector<unsigned char> colors;
    for (int i = 0; i < count; ++i) {
        const Vector4 corner = {coordinate(1), coordinate(1), coordinate(1) - 0.5f, 1};
        for (int k = 0; k < 3; ++k) {
            // Every fifth triangle is a point or a segment.
            if (i % 5 == 0 && k > 0) vertices.push_back(k == 1 ? corner : vertices.back());
            else vertices.push_back({coordinate(1), coordinate(1), coordinate(1) - 0.5f, 1});
        }
        normals.push_back({coordinate(1), coordinate(1), coordinate(1)});
        colors.insert(colors.end(), {static_cast<unsigned char>(i), 7, 9});
    }
    for (int mapBack : {1, 0})
        EXPECT_TRUE(sameAsPlain(vertices.data(), normals.data(), colors.data(), count, mapBack));
}

} // namespace
