// The Windows clipdemo.exe under Wine, in a real window under a virtual X server, driven as a
// user drives it and judged against this build's clipdemo: with an empty mesh both must draw the
// same pixels in every view; with the shipped teapot the lit mesh stays inside the outline and
// backslash freezes it; Escape ends it with status 0, a missing or malformed teapot.tri with its
// error line and status 1. Its standard output is Windows text: lines end with CR LF.
//
// Run by the Windows build's tests, which name the program, how to start Wine and its prefix:
//   CLIPDEMO_WINDOWS_EXE=build-win/clipdemo.exe CLIPDEMO_WINE=build-win/tests/windows/wine
//   WINEPREFIX=build-win/wine
// gtest before Xlib, whose macros (None, Bool) would break gtest's names.
#include <gtest/gtest.h>

#include "tests/x11_session.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

LaunchOptions underWine()
{
    LaunchOptions options;
    options.wrapper = {environment("CLIPDEMO_WINE")};
    options.program = environment("CLIPDEMO_WINDOWS_EXE");
    return options;
}

// Windows text output: every line ends with CR LF.
std::string windowsText(const std::string& text)
{
    std::string lines;
    for (char c : text) lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return lines;
}

class WindowsProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (environment("CLIPDEMO_WINDOWS_EXE").empty() || environment("CLIPDEMO_WINE").empty() ||
            environment("WINEPREFIX").empty())
            GTEST_SKIP() << "CLIPDEMO_WINDOWS_EXE, CLIPDEMO_WINE and WINEPREFIX name the program, "
                            "how to start Wine and the Wine prefix";
        // Wine's desktop takes the display of the first program that starts the Wine server; one
        // started without a display (or on a display gone since) would leave the program here
        // without a window. So each test starts the server afresh, on its own display.
        std::system("wineserver --kill >/dev/null 2>&1; wineserver --wait >/dev/null 2>&1");
    }
    VirtualDisplay x;
};

// The empty scene's pictures as a user gets them: the world view, the clip-space view after
// Space, the world view again after Space and then after a left-button drag.
struct EmptyScenePictures {
    Screenshot world, clipSpace, dragged;
    int width = 0, height = 0;
    int status = -1;
    std::string output;
};

EmptyScenePictures runEmptyScene(const VirtualDisplay& x, const LaunchOptions& options)
{
    EmptyScenePictures pictures;
    const std::string dir = makeTempDir("empty");
    writeFile(dir + "/teapot.tri", "0\n");
    Clipdemo program(x, dir, options);
    if (!program.waitForWindow(60)) return pictures;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(x.display(), program.window(), &attributes))
        pictures.width = attributes.width, pictures.height = attributes.height;
    pictures.world = program.settledScreenshot();
    program.pressKey("space");
    program.waitFrames();
    pictures.clipSpace = program.settledScreenshot();
    program.pressKey("space");
    program.waitFrames();
    program.settledScreenshot();
    program.drag(100, 128, 164, 160);  // 45 degrees about y, 22.5 about x
    program.waitFrames();
    pictures.dragged = program.settledScreenshot();
    program.pressKey("Escape");
    pictures.status = program.waitForExit(30);
    pictures.output = program.output();
    std::system(("rm -rf '" + dir + "'").c_str());
    return pictures;
}

TEST_F(WindowsProgram, DrawsTheEmptySceneAsTheLinuxProgramDoesPixelForPixel)
{
    const EmptyScenePictures native = runEmptyScene(x, LaunchOptions());
    const EmptyScenePictures wine = runEmptyScene(x, underWine());
    ASSERT_EQ(native.width, 256) << "the Linux program's window";
    ASSERT_EQ(wine.width, 256) << "no window titled " << windowTitle << " under Wine";
    EXPECT_EQ(wine.height, 256);
    EXPECT_EQ(wine.status, 0) << "Escape";
    EXPECT_EQ(wine.output, windowsText("Reading in teapot.tri (0 triangles). . .\n"));

    const struct {
        const char* view;
        const Screenshot& native;
        const Screenshot& wine;
    } views[] = {
        {"world view", native.world, wine.world},
        {"clip-space view", native.clipSpace, wine.clipSpace},
        {"world view after a drag", native.dragged, wine.dragged},
    };
    for (const auto& v : views) {
        const int differing = differingPixels(v.native, v.wine);
        std::printf("%s: %d of %d pixels differ\n", v.view, differing, 256 * 256);
        EXPECT_EQ(differing, 0) << v.view;
        if (differing != 0) {
            const std::string dir = makeTempDir("differ");
            savePpm(v.native, dir + "/linux.ppm");
            savePpm(v.wine, dir + "/windows.ppm");
            std::printf("pictures in %s\n", dir.c_str());
        }
    }
    EXPECT_GT(differingPixels(native.world, native.clipSpace), 500) << "the views differ";
    EXPECT_GT(differingPixels(native.world, native.dragged), 500) << "the drag turned the view";
}

TEST_F(WindowsProgram, DrawsTheTeapotLitInsideTheOutlineAndBackslashFreezesIt)
{
    // The shipped teapot with CR LF line ends, as a Windows editor saves it.
    const std::string dir = makeTempDir("teapot");
    std::ifstream shipped(shippedTeapot, std::ios::binary);
    std::string text, line;
    while (std::getline(shipped, line)) text += line + "\r\n";
    writeFile(dir + "/teapot.tri", text);
    Clipdemo program(x, dir, underWine());
    ASSERT_NE(program.waitForWindow(60), 0u);
    for (bool clipSpaceView : {false, true}) {
        SCOPED_TRACE(clipSpaceView ? "clip-space view" : "world view");
        int withMesh = 0;
        const int pictures = 8;
        for (int i = 0; i < pictures; ++i) {
            const Screenshot shot = program.screenshot();
            const MeshPixels m = meshPixels(shot, outlineRegion(clipSpaceView));
            EXPECT_EQ(m.outside, 0);
            withMesh += m.inside > 200 && m.reddish > 100;
            program.waitFrames(0.25);
        }
        EXPECT_GE(withMesh, pictures / 2) << "the shaded teapot in most pictures";
        program.pressKey("space");
        program.waitFrames();
    }

    program.pressKey("backslash");
    program.waitFrames();
    const Screenshot frozen = program.screenshot();
    program.waitFrames(1.0);
    EXPECT_EQ(differingPixels(frozen, program.screenshot()), 0) << "nothing moves";
    program.pressKey("backslash");
    program.waitFrames(1.0);
    EXPECT_GT(differingPixels(frozen, program.screenshot()), 100) << "moving again";

    program.pressKey("Escape");
    EXPECT_EQ(program.waitForExit(30), 0);
    EXPECT_EQ(program.output(), windowsText("Reading in teapot.tri (4032 triangles). . .\n"));
    std::system(("rm -rf '" + dir + "'").c_str());
}

TEST_F(WindowsProgram, EndsWithTheErrorLineAndStatusOneOnAMissingOrMalformedFile)
{
    const struct {
        const char* what;
        const char* text;  // nullptr: no file at all
        const char* output;
    } cases[] = {
        {"missing", nullptr, "ERROR: unable to open TriObj [teapot.tri]!\n"},
        {"count not a number", "many\n0 0 0 1 0 0 0 1 0\n",
         "ERROR: TriObj [teapot.tri] starts with \"many\", not a triangle count!\n"},
        {"data ends early", "2\n0 0 0 1 0 0 0 1 0\n0 0 0 1 0 0 0 1\n\n\n",
         "Reading in teapot.tri (2 triangles). . .\n"
         "ERROR: TriObj [teapot.tri] ends early, in triangle 2 of 2!\n"},
        {"not a number", "1\r\n0 0 0\r\n1 0 0\r\n0 one 0\r\n",
         "Reading in teapot.tri (1 triangles). . .\n"
         "ERROR: TriObj [teapot.tri] has \"one\" where a number is expected (line 4, "
         "triangle 1)!\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = makeTempDir("bad");
        if (c.text) writeFile(dir + "/teapot.tri", c.text);
        Clipdemo program(x, dir, underWine());
        EXPECT_EQ(program.waitForExit(60), 1);
        EXPECT_EQ(program.output(), windowsText(c.output));
        std::system(("rm -rf '" + dir + "'").c_str());
    }
}

} // namespace
