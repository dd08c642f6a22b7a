// The mesh pass against the recording GL stand-in: which calls each triangle makes, in which
// order, and the four-component vertices it sends in the world view (mapped back into eye space)
// and in the clip-space view.
#include "clip/clip.h"
#include "tests/gl_recorder.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;
using Vertices = std::vector<std::vector<double>>;

// The program's frustum taken to clip space by hand: (x, y, -5/3 z - 2/3, -z) for w = 1.
std::vector<double> toClipSpace(const std::vector<double>& eye)
{
    return {eye[0], eye[1], -5.0 / 3.0 * eye[2] - 2.0 / 3.0, -eye[2]};
}

Vertices sentVertices()
{
    Vertices vertices;
    for (const GlCall& call : glCalls())
        if (call.name == "glVertex4fv") vertices.push_back(call.args);
    return vertices;
}

void expectVertices(const Vertices& actual, const Vertices& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        for (size_t c = 0; c < 4; ++c)
            EXPECT_NEAR(actual[i][c], expected[i][c], 1e-6) << "vertex " << i << " component " << c;
}

struct Case {
    const char* what;
    std::vector<Vector4> corners;  // eye space
    Vertices drawn;                // eye space, as drawn in the world view
};

const Case cases[] = {
    {"crossing the near plane",
     {{0, 0, -0.5f, 1}, {0, 0, -0.125f, 1}, {0.25f, 0, -0.5f, 1}},
     {{0.25, 0, -0.5, 1}, {0, 0, -0.5, 1}, {0, 0, -0.25, 1}, {1.0 / 12, 0, -0.25, 1}}},
    {"reaching behind the eye",
     {{0, 0, -0.5f, 1}, {0, 0, 0.5f, 1}, {0.25f, 0, -0.5f, 1}},
     {{0, 0, -0.25, 1}, {3.0 / 16, 0, -0.25, 1}, {0.25, 0, -0.5, 1}, {0, 0, -0.5, 1}}},
    {"wholly inside, in its own order",
     {{0, 0, -0.5f, 1}, {0.125f, 0, -0.5f, 1}, {0, 0.125f, -0.5f, 1}},
     {{0, 0, -0.5, 1}, {0.125, 0, -0.5, 1}, {0, 0.125, -0.5, 1}}},
    {"wholly beyond the far plane", {{0, 0, -2, 1}, {0.1f, 0, -2, 1}, {0, 0.1f, -2, 1}}, {}},
    {"wholly behind the eye", {{0, 0, 1, 1}, {0.1f, 0, 2, 1}, {0, 0.1f, 1, 1}}, {}},
};

TEST(DrawClippedTriangle, SendsTheClippedPolygonInBothViews)
{
    const Vector3 normal = {0.25f, -0.5f, 2};
    const unsigned char color[3] = {255, 128, 7};
    for (const Case& c : cases) {
        for (int mapBack : {1, 0}) {
            SCOPED_TRACE(std::string(c.what) + (mapBack ? ", world view" : ", clip-space view"));
            clearGlCalls();
            drawClippedTriangle(c.corners.data(), normal, color, mapBack);

            Names expectedNames = {"glColor3ubv", "glNormal3fv", "glBegin"};
            for (size_t i = 0; i < c.drawn.size(); ++i) expectedNames.push_back("glVertex4fv");
            expectedNames.push_back("glEnd");
            ASSERT_EQ(glCallNames(), expectedNames);
            EXPECT_EQ(glCalls()[0].args, (std::vector<double>{255, 128, 7}));
            EXPECT_EQ(glCalls()[1].args, (std::vector<double>{0.25, -0.5, 2})) << "unchanged";
            EXPECT_EQ(glCalls()[2].args, (std::vector<double>{GL_POLYGON}));

            Vertices expected = c.drawn;
            if (!mapBack)
                for (auto& v : expected) v = toClipSpace(v);
            expectVertices(sentVertices(), expected);
        }
    }
}

// The clipper's tests hold a triangle of finite values that rounding takes to 10 vertices, more
// than a convex polygon can reach. Taken back to eye space, it makes the pass fill 10 entries of
// its arrays on the stack (the sanitizer build would see any write past them), and all 10 are
// drawn, in clip space as clipToFrustum gives them and mapped back in the world view.
TEST(DrawClippedTriangle, DrawsATriangleThatRoundingTakesToTenVertices)
{
    const Vector4 clipSpace[3] = {
        {0.1f, 0.2f, 0.3f, -3.022314549036573e+23f},
        {8.828180325246348e-44f, 2.6764800668604006e-43f, -1.1911320041406904e-23f,
         -8.688050478813866e-44f},
        {2.2922440279425358e-41f, 6.851788971162626e-41f, 2.715360727650046e+23f,
         7.118158531547475e+28f},
    };
    Matrix4 projection, inverse;
    matFrustum(projection, frustum.left, frustum.right, frustum.bottom, frustum.top,
               frustum.near, frustum.far);
    matFrustumInverse(inverse, frustum.left, frustum.right, frustum.bottom, frustum.top,
                      frustum.near, frustum.far);
    Vector4 eye[3], projected[3];
    for (int k = 0; k < 3; ++k) {
        matTransformPoint(eye[k], inverse, clipSpace[k]);
        matTransformPoint(projected[k], projection, eye[k]);
    }
    Vector4* clipped = nullptr;
    const int count = clipToFrustum(projected, 3, &clipped);
    ASSERT_EQ(count, 10);

    const Vector3 normal = {0, 0, 1};
    const unsigned char color[3] = {1, 2, 3};
    for (int mapBack : {0, 1}) {
        clearGlCalls();
        drawClippedTriangle(eye, normal, color, mapBack);
        const Vertices sent = sentVertices();
        ASSERT_EQ(sent.size(), 10u);
        for (int i = 0; i < count; ++i) {
            Vector4 expected = clipped[i];
            if (mapBack) matTransformPoint(expected, inverse, clipped[i]);
            EXPECT_EQ(sent[i], (std::vector<double>{expected.x, expected.y, expected.z,
                                                    expected.w}))
                << "vertex " << i << (mapBack ? ", world view" : ", clip-space view");
        }
    }
    delete[] clipped;
}

TEST(DrawMesh, DrawsEachTriangleInArrayOrder)
{
    std::vector<Vector4> vertices;
    std::vector<Vector3> normals;
    std::vector<unsigned char> colors;
    for (int i = 0; i < 5; ++i) {
        const Case& c = cases[i];
        vertices.insert(vertices.end(), c.corners.begin(), c.corners.end());
        normals.push_back({float(i), 0, 1});
        colors.insert(colors.end(), {static_cast<unsigned char>(10 * i), 1, 2});
    }
    clearGlCalls();
    drawMesh(vertices.data(), normals.data(), colors.data(), 5, 1);

    int triangle = -1;
    size_t vertex = 0;
    for (const GlCall& call : glCalls()) {
        if (call.name == "glColor3ubv") {
            ++triangle, vertex = 0;
            EXPECT_EQ(call.args[0], 10 * triangle);
        } else if (call.name == "glNormal3fv") {
            EXPECT_EQ(call.args[0], triangle);
        } else if (call.name == "glVertex4fv") {
            ASSERT_LT(vertex, cases[triangle].drawn.size());
            EXPECT_NEAR(call.args[2], cases[triangle].drawn[vertex++][2], 1e-6);
        }
    }
    EXPECT_EQ(triangle, 4);
    EXPECT_EQ(glCallNames().size(), 5 * 4 + 4 + 4 + 3u) << "4 calls per triangle + vertices";
}

TEST(DrawMesh, NoTrianglesNoCalls)
{
    const Vector4 vertices[3] = {{0, 0, -0.5f, 1}, {0.1f, 0, -0.5f, 1}, {0, 0.1f, -0.5f, 1}};
    const Vector3 normal = {0, 0, 1};
    const unsigned char color[3] = {1, 2, 3};
    for (int count : {0, -1, -1000}) {
        clearGlCalls();
        drawMesh(vertices, &normal, color, count, 1);
        drawMesh(vertices, &normal, color, count, 0);
        EXPECT_TRUE(glCalls().empty()) << "count " << count;
    }
}

} // namespace
