// A virtual X server for one test and the real clipdemo in it, driven with synthetic input the
// way a user drives it, and looked at through the window's pixels.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// The window's pixels, row by row from the top, 0xRRGGBB.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
    bool operator==(const Screenshot& other) const
    {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
};

// Pixels that differ between two screenshots of the same size.
int differingPixels(const Screenshot& a, const Screenshot& b);
// Writes a screenshot as a binary PPM, for looking at a failure.
void savePpm(const Screenshot& shot, const std::string& path);

// Xvfb on a free display number, started on construction and ended on destruction.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    Display* display() const { return connection; }
    const std::string& name() const { return displayName; }

private:
    pid_t server = -1;
    std::string displayName;
    Display* connection = nullptr;
};

// How to start the program.
struct LaunchOptions {
    // The program: this build's clipdemo unless another is named (a Windows clipdemo.exe, run
    // under a wrapper that starts Wine).
    std::string program = CLIPDEMO_BINARY;
    // A command to run the program under, e.g. {"apitrace", "trace", "-o", "run.trace"}.
    std::vector<std::string> wrapper;
    // Mesa's software driver. softpipe draws every frame completely and the same every time,
    // so it is the default for pictures; the caller's environment wins when it names one.
    std::string galliumDriver = "softpipe";
};

// The real clipdemo (or the program options name), started in workDir (where it reads
// teapot.tri) on a virtual display.
class Clipdemo {
public:
    Clipdemo(const VirtualDisplay& x, const std::string& workDir, const LaunchOptions& options = {});
    ~Clipdemo();  // kills the program if it still runs
    Clipdemo(const Clipdemo&) = delete;
    Clipdemo& operator=(const Clipdemo&) = delete;

    // Waits for the program's top-level window; 0 if none appears in time.
    Window waitForWindow(double seconds = 20);
    Window window() const { return topWindow; }

    Screenshot screenshot();
    // A screenshot once the picture has stopped changing (the animation frozen), or the last one.
    Screenshot settledScreenshot(double seconds = 10);
    void pressKey(const char* keysymName);
    // A left-button drag from one window position to another, in small steps.
    void drag(int fromX, int fromY, int toX, int toY, unsigned button = 1);
    // Lets the program draw a few more frames.
    void waitFrames(double seconds = 0.5);

    // Waits for the program to end: its exit status, or -1 if it still runs after the timeout,
    // or -2 if a signal ended it.
    int waitForExit(double seconds = 10);
    // All of the program's standard output so far (after it has ended: all of it).
    std::string output();
    pid_t pid() const { return process; }

private:
    const VirtualDisplay& x;
    pid_t process = -1;
    int outputPipe = -1;
    std::string captured;
    Window topWindow = 0;
    bool ended = false;
};

// Judging a picture taken with the observer camera where it starts (orbit angles 0).
// The outline's on-screen square: the far face in the world view, the cube's face nearest the
// observer in the clip-space view.
struct PixelBox {
    double left, right, top, bottom;  // window pixels
    bool contains(int column, int row, double slack) const
    {
        return column + 0.5 >= left - slack && column + 0.5 <= right + slack &&
               row + 0.5 >= top - slack && row + 0.5 <= bottom + slack;
    }
};
PixelBox outlineRegion(bool clipSpaceView);

// The mesh's pixels (all that is neither background nor a line's exact colour) inside and
// outside a box, and how many of them are reddish, as the lit mesh colour is.
struct MeshPixels {
    int inside = 0, outside = 0, reddish = 0;
};
MeshPixels meshPixels(const Screenshot& shot, const PixelBox& box);

// A fresh empty directory under the test's temporary directory.
std::string makeTempDir(const std::string& tag);
// Writes text to a file.
void writeFile(const std::string& path, const std::string& text);
// Copies a file.
void copyFile(const std::string& from, const std::string& to);
// The shipped teapot, from the source tree.
inline const std::string shippedTeapot = std::string(CLIPDEMO_SOURCE_DIR) + "/data/teapot.tri";
// The window title every test looks for.
inline constexpr const char* windowTitle = "Polygon Clipping In Homogeneous Coordinates";
