// The whole demo in real frames: the real clipdemo with the shipped teapot under a virtual X
// server, checked by the OpenGL calls it really makes (recorded with apitrace) and by what a
// user sees in the window.
#include <gtest/gtest.h>

#include "tests/x11_session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace {

// --- The call stream ---------------------------------------------------------------------------

struct StreamSummary {
    int worldFrames = 0, clipFrames = 0;
    long worldVertices = 0, clipVertices = 0;
    long outside = 0;          // vertices outside the volume beyond rounding
    std::string firstOutside;  // the first such vertex, for the failure message
    bool worldFaceTouched[6] = {}, clipFaceTouched[6] = {};
};

// Parses "glVertex4fv(v = {x, y, z, w})" into its four numbers.
bool parseVertex(const std::string& line, double v[4])
{
    const size_t open = line.find('{');
    return open != std::string::npos &&
           std::sscanf(line.c_str() + open, "{%lf, %lf, %lf, %lf}", &v[0], &v[1], &v[2], &v[3]) ==
               4;
}

// Face i of the volume is touched when a vertex lies on it: left, right, bottom, top, near, far.
void touchFaces(bool touched[6], double x, double y, double z, double lo[3], double hi[3],
                double tolerance)
{
    const double c[3] = {x, y, z};
    for (int axis = 0; axis < 3; ++axis) {
        if (std::fabs(c[axis] - lo[axis]) <= tolerance) touched[2 * axis] = true;
        if (std::fabs(c[axis] - hi[axis]) <= tolerance) touched[2 * axis + 1] = true;
    }
}

// Reads `apitrace dump` of a run and checks every vertex sent: in the world view, after the
// division by w, inside the simulated camera's frustum (eye space, the program's fixed frustum
// -0.25..0.25 at the near plane z = -0.25, -1..1 at the far plane z = -1); in the clip-space
// view (the frames that mirror z with glScalef(1, 1, -1)) inside -w <= x, y, z <= w.
StreamSummary checkCallStream(const std::string& trace)
{
    StreamSummary summary;
    const std::string command = "apitrace dump --color=never '" + trace + "'";
    FILE* dump = popen(command.c_str(), "r");
    if (!dump) return summary;
    std::vector<std::vector<double>> frame;
    bool clipView = false;
    char buffer[512];
    auto endFrame = [&] {
        (clipView ? summary.clipFrames : summary.worldFrames) += 1;
        for (const auto& v : frame) {
            const double x = v[0], y = v[1], z = v[2], w = v[3];
            bool inside;
            if (clipView) {
                const double tolerance = 1e-5 * std::fabs(w) + 1e-7;
                inside = w >= 0 && std::fabs(x) <= w + tolerance && std::fabs(y) <= w + tolerance &&
                         std::fabs(z) <= w + tolerance;
                double lo[3] = {-w, -w, -w}, hi[3] = {w, w, w};
                touchFaces(summary.clipFaceTouched, x, y, z, lo, hi, tolerance);
                ++summary.clipVertices;
            } else {
                const double ex = x / w, ey = y / w, ez = z / w, depth = -ez;  // eye space
                const double tolerance = 1e-5;
                inside = depth >= 0.25 - tolerance && depth <= 1.0 + tolerance &&
                         std::fabs(ex) <= depth + tolerance && std::fabs(ey) <= depth + tolerance;
                double lo[3] = {-depth, -depth, -1.0}, hi[3] = {depth, depth, -0.25};
                touchFaces(summary.worldFaceTouched, ex, ey, ez, lo, hi, tolerance);
                ++summary.worldVertices;
            }
            if (!inside && summary.outside++ == 0) {
                char text[160];
                std::snprintf(text, sizeof text, "%s view: (%.9g, %.9g, %.9g, %.9g)",
                              clipView ? "clip-space" : "world", x, y, z, w);
                summary.firstOutside = text;
            }
        }
        frame.clear();
        clipView = false;
    };
    while (std::fgets(buffer, sizeof buffer, dump)) {
        const std::string line = buffer;
        double v[4];
        if (line.find("glVertex4fv(") != std::string::npos && parseVertex(line, v)) {
            frame.push_back({v[0], v[1], v[2], v[3]});
        } else if (line.find("glScalef(x = 1, y = 1, z = -1)") != std::string::npos) {
            clipView = true;
        } else if (line.find("SwapBuffers(") != std::string::npos) {
            endFrame();
        }
    }
    pclose(dump);
    return summary;
}

// Waits until the file has grown to at least size bytes.
bool waitForFileSize(const std::string& path, long size, double seconds)
{
    for (double waited = 0; waited < seconds; waited += 0.1) {
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && info.st_size >= size) return true;
        usleep(100000);
    }
    return false;
}

TEST(RealFrames, EveryVertexSentLiesInsideTheVolumeOfItsView)
{
    VirtualDisplay x;
    const std::string dir = makeTempDir("trace");
    copyFile(shippedTeapot, dir + "/teapot.tri");
    const std::string trace = dir + "/run.trace";
    LaunchOptions options;
    options.wrapper = {"apitrace", "trace", "--output", trace};
    // The calls do not depend on the driver; llvmpipe is the fastest at making them.
    options.galliumDriver = "llvmpipe";
    Clipdemo program(x, dir, options);
    ASSERT_NE(program.waitForWindow(60), 0u);
    // Frames are counted by the trace's growth, about 240 kB a frame with the shipped teapot:
    // some 300 frames of the world view, long enough for the teapot to reach every face, then
    // some 200 of the clip-space view.
    constexpr long bytesPerFrame = 240000;
    ASSERT_TRUE(waitForFileSize(trace, 300 * bytesPerFrame, 180));
    program.pressKey("space");
    ASSERT_TRUE(waitForFileSize(trace, 500 * bytesPerFrame, 180));
    program.pressKey("Escape");
    ASSERT_EQ(program.waitForExit(60), 0);

    const StreamSummary s = checkCallStream(trace);
    std::printf("world view: %d frames, %ld vertices; clip-space view: %d frames, %ld vertices\n",
                s.worldFrames, s.worldVertices, s.clipFrames, s.clipVertices);
    EXPECT_GE(s.worldFrames, 250);
    EXPECT_GE(s.clipFrames, 150);
    EXPECT_EQ(s.outside, 0) << "first outside: " << s.firstOutside;
    const char* faces[6] = {"left", "right", "bottom", "top", "near", "far"};
    for (int face = 0; face < 6; ++face) {
        EXPECT_TRUE(s.worldFaceTouched[face]) << "world view never cut at the " << faces[face];
        EXPECT_TRUE(s.clipFaceTouched[face]) << "clip-space view never cut at the " << faces[face];
    }
}

// --- The picture --------------------------------------------------------------------------------

class Teapot : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = makeTempDir("teapot");
        copyFile(shippedTeapot, dir + "/teapot.tri");
        program = std::make_unique<Clipdemo>(x, dir);
        ASSERT_NE(program->waitForWindow(), 0u);
    }
    VirtualDisplay x;
    std::string dir;
    std::unique_ptr<Clipdemo> program;
};

TEST_F(Teapot, LitMeshShowsOnlyInsideTheOutlineInBothViews)
{
    for (bool clipSpaceView : {false, true}) {
        SCOPED_TRACE(clipSpaceView ? "clip-space view" : "world view");
        int frames = 0, withMesh = 0;
        for (; frames < 12; ++frames) {
            const Screenshot shot = program->screenshot();
            const MeshPixels m = meshPixels(shot, outlineRegion(clipSpaceView));
            EXPECT_EQ(m.outside, 0);
            if (m.outside) savePpm(shot, dir + "/outside.ppm");
            withMesh += m.inside > 200 && m.reddish > 100;
            program->waitFrames(0.25);
        }
        EXPECT_GE(withMesh, frames / 2) << "the shaded teapot in most pictures";
        program->pressKey("space");
        program->waitFrames();
    }
}

TEST_F(Teapot, BackslashFreezesThePictureAndResumesIt)
{
    program->pressKey("backslash");
    program->waitFrames();
    const Screenshot frozen = program->screenshot();
    program->waitFrames(1.0);
    EXPECT_EQ(differingPixels(frozen, program->screenshot()), 0) << "nothing moves";
    program->pressKey("backslash");
    program->waitFrames(1.0);
    EXPECT_GT(differingPixels(frozen, program->screenshot()), 100) << "moving again";
}

} // namespace
