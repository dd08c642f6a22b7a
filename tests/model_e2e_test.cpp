// The real clipdemo with real mesh files: the shipped teapot loads and the program runs; a
// missing or malformed teapot.tri ends it with its error line on standard output and status 1,
// before any frame is drawn.
// gtest before Xlib, whose macros (None, Bool) would break gtest's names.
#include <gtest/gtest.h>

#include "tests/x11_session.h"

#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// The program's window may vanish between two requests when it exits: ignore such errors
// instead of letting Xlib end the test.
int ignoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Whether a window titled like the program's shows a frame: the frustum outline's pure green,
// which every frame draws.
bool showsAFrame(Display* display)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    bool frame = false;
    for (unsigned i = 0; i < count && !frame; ++i) {
        char* name = nullptr;
        if (!XFetchName(display, children[i], &name) || !name) continue;
        const bool ours = std::strcmp(name, windowTitle) == 0;
        XFree(name);
        XWindowAttributes attributes;
        if (!ours || !XGetWindowAttributes(display, children[i], &attributes) ||
            attributes.map_state != IsViewable)
            continue;
        XImage* image = XGetImage(display, children[i], 0, 0, attributes.width,
                                  attributes.height, AllPlanes, ZPixmap);
        if (!image) continue;
        for (int y = 0; y < attributes.height && !frame; ++y)
            for (int x = 0; x < attributes.width && !frame; ++x)
                frame = (XGetPixel(image, x, y) & 0xFFFFFF) == 0x00FF00;
        XDestroyImage(image);
    }
    if (children) XFree(children);
    return frame;
}

class MeshFiles : public ::testing::Test {
protected:
    void SetUp() override { previousHandler = XSetErrorHandler(ignoreXErrors); }
    void TearDown() override { XSetErrorHandler(previousHandler); }

    VirtualDisplay x;
    int (*previousHandler)(Display*, XErrorEvent*) = nullptr;
};

TEST_F(MeshFiles, TheShippedTeapotLoadsAndTheProgramRuns)
{
    const std::string dir = makeTempDir("teapot");
    writeFile(dir + "/teapot.tri", readFile(std::string(CLIPDEMO_SOURCE_DIR) + "/data/teapot.tri"));
    Clipdemo program(x, dir);
    ASSERT_NE(program.waitForWindow(), 0u);
    program.waitFrames();
    EXPECT_TRUE(showsAFrame(x.display())) << "the frame detector sees a running program's frame";
    EXPECT_EQ(program.waitForExit(0.1), -1) << "still running";
    program.pressKey("Escape");
    EXPECT_EQ(program.waitForExit(), 0);
    EXPECT_EQ(program.output(), "Reading in teapot.tri (4032 triangles). . .\n");
    std::system(("rm -rf '" + dir + "'").c_str());
}

TEST_F(MeshFiles, AMissingOrMalformedFileEndsTheProgramBeforeAnyFrame)
{
    const struct {
        const char* what;
        const char* text;  // nullptr: no file at all
        const char* output;
    } cases[] = {
        {"missing", nullptr, "ERROR: unable to open TriObj [teapot.tri]!\n"},
        {"empty", "", "ERROR: TriObj [teapot.tri] holds no triangle count!\n"},
        {"count not a number", "many\n0 0 0 1 0 0 0 1 0\n",
         "ERROR: TriObj [teapot.tri] starts with \"many\", not a triangle count!\n"},
        {"negative count", "-1\n0 0 0 1 0 0 0 1 0\n",
         "Reading in teapot.tri (-1 triangles). . .\n"
         "ERROR: TriObj [teapot.tri] has a negative triangle count (-1)!\n"},
        {"count too large", "1000000000\n0 0 0 1 0 0 0 1 0\n",
         "Reading in teapot.tri (1000000000 triangles). . .\n"
         "ERROR: TriObj [teapot.tri] is too short to hold 1000000000 triangles!\n"},
        {"data ends early", "2\n0 0 0 1 0 0 0 1 0\n0 0 0 1 0 0 0 1\n\n\n",
         "Reading in teapot.tri (2 triangles). . .\n"
         "ERROR: TriObj [teapot.tri] ends early, in triangle 2 of 2!\n"},
        {"not a number", "1\n0 0 0\n1 0 0\n0 one 0\n",
         "Reading in teapot.tri (1 triangles). . .\n"
         "ERROR: TriObj [teapot.tri] has \"one\" where a number is expected (line 4, "
         "triangle 1)!\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = makeTempDir("bad");
        if (c.text) writeFile(dir + "/teapot.tri", c.text);
        Clipdemo program(x, dir);
        // Watch the screen until the program ends.
        bool frame = false;
        int status = -1;
        const auto start = std::chrono::steady_clock::now();
        const auto limit = start + std::chrono::seconds(20);
        while (status == -1 && std::chrono::steady_clock::now() < limit) {
            frame = frame || showsAFrame(x.display());
            status = program.waitForExit(0.02);
        }
        EXPECT_EQ(status, 1);
        EXPECT_EQ(program.output(), c.output);
        EXPECT_FALSE(frame) << "a frame was drawn";
        std::system(("rm -rf '" + dir + "'").c_str());
    }
}

} // namespace
