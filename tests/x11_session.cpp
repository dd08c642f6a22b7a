// Xvfb, the real clipdemo and synthetic input through the XTEST extension.
#include "tests/x11_session.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

void sleepSeconds(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The top-level window with this title, or 0.
Window findWindow(Display* display, const char* title)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::strcmp(name, title) == 0) found = children[i];
            XFree(name);
        }
    }
    if (children) XFree(children);
    return found;
}

} // namespace

int differingPixels(const Screenshot& a, const Screenshot& b)
{
    if (a.width != b.width || a.height != b.height) return -1;
    int count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) count += a.pixels[i] != b.pixels[i];
    return count;
}

void savePpm(const Screenshot& shot, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << shot.width << " " << shot.height << "\n255\n";
    for (uint32_t p : shot.pixels) {
        const char rgb[3] = {char(p >> 16), char(p >> 8), char(p)};
        out.write(rgb, 3);
    }
}

VirtualDisplay::VirtualDisplay()
{
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    server = fork();
    if (server == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24",
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number it chose once it accepts connections.
    std::string number;
    pollfd pfd = {fds[0], POLLIN, 0};
    const auto start = Clock::now();
    while (secondsSince(start) < 30 && (number.empty() || number.back() != '\n')) {
        if (poll(&pfd, 1, 100) > 0) {
            char c;
            if (read(fds[0], &c, 1) != 1) break;
            number += c;
        }
    }
    close(fds[0]);
    if (number.empty() || number.back() != '\n') throw std::runtime_error("Xvfb did not start");
    number.pop_back();
    displayName = ":" + number;
    connection = XOpenDisplay(displayName.c_str());
    if (!connection) throw std::runtime_error("cannot connect to " + displayName);
}

VirtualDisplay::~VirtualDisplay()
{
    if (connection) XCloseDisplay(connection);
    if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
}

Clipdemo::Clipdemo(const VirtualDisplay& display, const std::string& workDir,
                   const LaunchOptions& options)
    : x(display)
{
    std::vector<std::string> command = options.wrapper;
    command.push_back(options.program);
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    process = fork();
    if (process == 0) {
        close(fds[0]);
        dup2(fds[1], 1);
        if (chdir(workDir.c_str()) != 0) _exit(126);
        setenv("DISPLAY", x.name().c_str(), 1);
        setenv("GALLIUM_DRIVER", options.galliumDriver.c_str(), 0);  // unless the caller chose one
        std::vector<char*> argv;
        for (std::string& word : command) argv.push_back(word.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    outputPipe = fds[0];
    fcntl(outputPipe, F_SETFL, O_NONBLOCK);
}

Clipdemo::~Clipdemo()
{
    if (!ended && process > 0) {
        kill(process, SIGKILL);
        waitpid(process, nullptr, 0);
    }
    if (outputPipe >= 0) close(outputPipe);
}

Window Clipdemo::waitForWindow(double seconds)
{
    const auto start = Clock::now();
    while (secondsSince(start) < seconds) {
        const Window w = findWindow(x.display(), windowTitle);
        XWindowAttributes attributes;
        if (w && XGetWindowAttributes(x.display(), w, &attributes) &&
            attributes.map_state == IsViewable) {
            topWindow = w;
            // The first frame has been drawn once anything but the black background shows.
            while (secondsSince(start) < seconds) {
                const Screenshot shot = screenshot();
                for (uint32_t p : shot.pixels)
                    if (p != 0) return topWindow;
                sleepSeconds(0.05);
            }
            return topWindow;
        }
        sleepSeconds(0.05);
    }
    return 0;
}

Screenshot Clipdemo::screenshot()
{
    Screenshot shot;
    XWindowAttributes attributes;
    if (!topWindow || !XGetWindowAttributes(x.display(), topWindow, &attributes)) return shot;
    XImage* image = XGetImage(x.display(), topWindow, 0, 0, attributes.width, attributes.height,
                              AllPlanes, ZPixmap);
    if (!image) return shot;
    shot.width = attributes.width;
    shot.height = attributes.height;
    shot.pixels.resize(size_t(shot.width) * shot.height);
    for (int row = 0; row < shot.height; ++row)
        for (int col = 0; col < shot.width; ++col)
            shot.pixels[size_t(row) * shot.width + col] = XGetPixel(image, col, row) & 0xFFFFFF;
    XDestroyImage(image);
    return shot;
}

Screenshot Clipdemo::settledScreenshot(double seconds)
{
    const auto start = Clock::now();
    Screenshot previous = screenshot();
    while (secondsSince(start) < seconds) {
        sleepSeconds(0.25);
        Screenshot next = screenshot();
        if (next == previous) return next;
        previous = std::move(next);
    }
    return previous;
}

void Clipdemo::pressKey(const char* keysymName)
{
    Display* d = x.display();
    // The pointer in the window, and the focus on it: the key goes where a user would type.
    Window child;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates(d, topWindow, DefaultRootWindow(d), 128, 128, &rootX, &rootY, &child);
    XTestFakeMotionEvent(d, -1, rootX, rootY, CurrentTime);
    XSetInputFocus(d, topWindow, RevertToParent, CurrentTime);
    const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(keysymName));
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XSync(d, False);
}

void Clipdemo::drag(int fromX, int fromY, int toX, int toY, unsigned button)
{
    Display* d = x.display();
    Window child;
    int originX = 0, originY = 0;
    XTranslateCoordinates(d, topWindow, DefaultRootWindow(d), 0, 0, &originX, &originY, &child);
    XTestFakeMotionEvent(d, -1, originX + fromX, originY + fromY, CurrentTime);
    XSync(d, False);
    XTestFakeButtonEvent(d, button, True, CurrentTime);
    XSync(d, False);
    const int steps = 16;
    for (int i = 1; i <= steps; ++i) {
        XTestFakeMotionEvent(d, -1, originX + fromX + (toX - fromX) * i / steps,
                             originY + fromY + (toY - fromY) * i / steps, CurrentTime);
        XSync(d, False);
        sleepSeconds(0.01);
    }
    XTestFakeButtonEvent(d, button, False, CurrentTime);
    XSync(d, False);
}

void Clipdemo::waitFrames(double seconds)
{
    sleepSeconds(seconds);
}

int Clipdemo::waitForExit(double seconds)
{
    const auto start = Clock::now();
    while (true) {
        output();  // keep the pipe drained
        int status = 0;
        const pid_t done = waitpid(process, &status, WNOHANG);
        if (done == process) {
            ended = true;
            output();
            return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        }
        if (secondsSince(start) >= seconds) return -1;
        sleepSeconds(0.05);
    }
}

std::string Clipdemo::output()
{
    char buffer[4096];
    ssize_t n;
    while ((n = read(outputPipe, buffer, sizeof buffer)) > 0) captured.append(buffer, size_t(n));
    return captured;
}

namespace {

constexpr uint32_t black = 0x000000, green = 0x00FF00, red = 0xFF0000, blue = 0x0000FF;

// Where the observer (at (0, 0, 8), looking at the origin, 30 degrees of view, 256 x 256 pixels,
// orbit angles 0) sees a point: its pixel column and row.
void observerPixel(double px, double py, double pz, double& column, double& row)
{
    const double f = 1.0 / std::tan(15.0 * M_PI / 180.0);
    const double distance = 8.0 - pz;
    column = 128.0 + 128.0 * f * px / distance;
    row = 128.0 - 128.0 * f * py / distance;
}

} // namespace

PixelBox outlineRegion(bool clipSpaceView)
{
    PixelBox r = {1e9, -1e9, 1e9, -1e9};
    const double corners[2][3] = {{1, 1, -1}, {1, 1, 1}};  // world far face; clip cube front
    const double* c = corners[clipSpaceView ? 1 : 0];
    for (int sx : {-1, 1})
        for (int sy : {-1, 1}) {
            double column, row;
            observerPixel(sx * c[0], sy * c[1], c[2], column, row);
            r.left = std::min(r.left, column), r.right = std::max(r.right, column);
            r.top = std::min(r.top, row), r.bottom = std::max(r.bottom, row);
        }
    return r;
}

MeshPixels meshPixels(const Screenshot& shot, const PixelBox& box)
{
    MeshPixels m;
    for (int row = 0; row < shot.height; ++row)
        for (int column = 0; column < shot.width; ++column) {
            const uint32_t p = shot.at(column, row);
            if (p == black || p == green || p == red || p == blue) continue;
            (box.contains(column, row, 1.5) ? m.inside : m.outside) += 1;
            const int r = int(p >> 16), g = int(p >> 8 & 0xFF), b = int(p & 0xFF);
            m.reddish += r > g && r >= b && r > 24;
        }
    return m;
}

std::string makeTempDir(const std::string& tag)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/clipdemo-" + tag + "-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

void copyFile(const std::string& from, const std::string& to)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    out << in.rdbuf();
}
