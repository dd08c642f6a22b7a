// The real clipdemo in a real window under a virtual X server, driven as a user drives it: the
// window, the two views, the drag, the keys that do nothing and Escape.
// gtest before Xlib, whose macros (None, Bool) would break gtest's names.
#include <gtest/gtest.h>

#include "tests/x11_session.h"

#include <algorithm>
#include <memory>

namespace {

constexpr uint32_t red = 0xFF0000, green = 0x00FF00;

int countColour(const Screenshot& shot, uint32_t colour)
{
    int n = 0;
    for (uint32_t p : shot.pixels) n += p == colour;
    return n;
}

// A program run on an empty mesh: a picture that only input changes.
class EmptyScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        workDir = makeTempDir("empty");
        writeFile(workDir + "/teapot.tri", "0\n");
        program = std::make_unique<Clipdemo>(x, workDir);
        ASSERT_NE(program->waitForWindow(), 0u) << "no window titled " << windowTitle;
    }

    void expectExitStatus(int expected)
    {
        EXPECT_EQ(program->waitForExit(), expected);
    }

    VirtualDisplay x;
    std::string workDir;
    std::unique_ptr<Clipdemo> program;
};

TEST_F(EmptyScene, OpensItsTitledWindowAt256By256)
{
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(x.display(), program->window(), &attributes));
    EXPECT_EQ(attributes.width, 256);
    EXPECT_EQ(attributes.height, 256);
    EXPECT_EQ(attributes.x, 180);
    EXPECT_EQ(attributes.y, 100);
    program->pressKey("Escape");
    expectExitStatus(0);
}

TEST_F(EmptyScene, AxesAndOutlineAreDrawnUnlit)
{
    const Screenshot world = program->settledScreenshot();
    // Unlit lines keep their exact colours; lit ones would be shaded.
    EXPECT_GT(countColour(world, green), 200) << "the frustum outline";
    EXPECT_GT(countColour(world, red), 10) << "the x axis";
    // Straight down the simulated camera's axis the far square, the outline's outer edge, is
    // centred in the window. (The green y axis reaches above it, so its top is not used.)
    int left = world.width, right = -1, top = world.height, bottom = -1;
    for (int row = 0; row < world.height; ++row)
        for (int col = 0; col < world.width; ++col)
            if (world.at(col, row) == green) {
                left = std::min(left, col), right = std::max(right, col);
                top = std::min(top, row), bottom = std::max(bottom, row);
            }
    EXPECT_NEAR((left + right) / 2.0, 127.5, 1.0);
    EXPECT_NEAR(bottom - 127.5, (right - left) / 2.0, 1.0) << "a square about the centre";
    EXPECT_LT(top, 127 - (right - left) / 2) << "the y axis";
}

TEST_F(EmptyScene, SpaceSwitchesToTheClipSpaceViewAndBack)
{
    const Screenshot world = program->settledScreenshot();
    program->pressKey("space");
    program->waitFrames();
    const Screenshot clip = program->settledScreenshot();
    EXPECT_GT(differingPixels(world, clip), 500);
    EXPECT_EQ(countColour(clip, red), 0) << "no axes in the clip-space view";
    EXPECT_GT(countColour(clip, green), 200) << "the outline, now the cube";
    program->pressKey("space");
    program->waitFrames();
    const Screenshot back = program->settledScreenshot();
    EXPECT_EQ(differingPixels(world, back), 0);
    if (differingPixels(world, back) != 0) {
        savePpm(world, workDir + "/world.ppm");
        savePpm(back, workDir + "/back.ppm");
    }
}

TEST_F(EmptyScene, LeftDragTurnsTheViewOtherButtonsDoNot)
{
    const Screenshot before = program->settledScreenshot();
    program->drag(100, 128, 140, 128, 3);  // right button: nothing
    program->drag(100, 128, 140, 128, 2);  // middle button: nothing
    program->waitFrames();
    EXPECT_EQ(differingPixels(before, program->settledScreenshot()), 0);

    program->drag(100, 128, 164, 160);  // left button: the observer orbits
    program->waitFrames();
    const Screenshot turned = program->settledScreenshot();
    EXPECT_GT(differingPixels(before, turned), 500);
}

TEST_F(EmptyScene, OtherKeysChangeNothing)
{
    const Screenshot before = program->settledScreenshot();
    for (const char* key : {"a", "A", "q", "x", "Return", "Tab", "Left", "F1", "slash"})
        program->pressKey(key);
    program->waitFrames();
    EXPECT_EQ(differingPixels(before, program->settledScreenshot()), 0);
    EXPECT_EQ(program->waitForExit(0.1), -1) << "still running";
}

TEST_F(EmptyScene, EscapeEndsTheProgramInTheClipSpaceViewWithAnimationStopped)
{
    program->pressKey("space");
    program->pressKey("backslash");
    program->waitFrames(0.3);
    program->pressKey("Escape");
    expectExitStatus(0);
}

} // namespace
