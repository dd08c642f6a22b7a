// Records the README's pictures from the real program: runs clipdemo in workDir on a virtual X
// server and writes a picture of its window every 100 ms, some seconds of the world view, then
// (after Space) of the clip-space view, as outDir/frame-NNNN.ppm; then ends it with Escape.
// scripts/record-media turns them into PNG stills and an animated GIF.
//
//   record_media WORKDIR OUTDIR [SECONDS-PER-VIEW]
#include "tests/x11_session.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: record_media WORKDIR OUTDIR [SECONDS-PER-VIEW]\n");
        return 2;
    }
    const std::string outDir = argv[2];
    const double secondsPerView = argc > 3 ? std::atof(argv[3]) : 4.0;
    VirtualDisplay x;
    Clipdemo program(x, argv[1]);
    if (!program.waitForWindow()) {
        std::fprintf(stderr, "record_media: no window\n");
        return 1;
    }
    program.waitFrames(1.0);
    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::milliseconds(100);
    int frame = 0;
    for (const char* view : {"world", "clip-space"}) {
        auto next = Clock::now();
        const int frames = int(secondsPerView * 10);
        for (int i = 0; i < frames; ++i, next += interval) {
            std::this_thread::sleep_until(next);
            char name[64];
            std::snprintf(name, sizeof name, "/frame-%04d.ppm", frame++);
            savePpm(program.screenshot(), outDir + name);
        }
        savePpm(program.screenshot(), outDir + "/" + view + "-view.ppm");
        program.pressKey("space");
        program.waitFrames(0.5);
    }
    program.pressKey("Escape");
    return program.waitForExit() == 0 ? 0 : 1;
}
