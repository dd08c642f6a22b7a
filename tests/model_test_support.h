// What the triangle model's tests share: a folder for each test's files, code run in a child
// process (which may end it) with its output, standard output captured, and the two triangles
// the file layouts spell.
#pragma once

#include "model/model.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool addressSanitizer = true;
#elif defined(__has_feature)
inline constexpr bool addressSanitizer = __has_feature(address_sanitizer);
#else
inline constexpr bool addressSanitizer = false;
#endif

// A fresh directory for one test's files; the loader is given names relative to it.
class ModelFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/clipdemo-model-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    // Writes text (bytes as they are) to a file in the directory; returns its path.
    std::string write(const std::string& name, const std::string& text)
    {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::string dir;
};

// What a piece of code printed on standard output and how it ended, run in a child process so
// it may end the process.
struct Outcome {
    int status;          // exit status; -1 if a signal ended it, 0 if it just returned, -2 if
                         // it printed nothing for the time limit and was ended
    std::string output;  // everything on standard output
};

// timeLimit: seconds the child may go without printing or ending; 0 for no limit.
inline Outcome runInChild(const std::function<void()>& body, int timeLimit = 0)
{
    int fds[2];
    if (pipe(fds) != 0) return {-1, "pipe failed"};
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        dup2(fds[1], 1);
        try {
            body();
        } catch (...) {
            _exit(99);  // never back into the test runner
        }
        std::fflush(stdout);
        _exit(0);
    }
    close(fds[1]);
    Outcome outcome = {-1, ""};
    char buffer[4096];
    ssize_t n;
    pollfd output = {fds[0], POLLIN, 0};
    bool late = false;
    while (!(late = timeLimit > 0 && poll(&output, 1, timeLimit * 1000) == 0) &&
           (n = read(fds[0], buffer, sizeof buffer)) > 0)
        outcome.output.append(buffer, size_t(n));
    if (late) kill(child, SIGKILL);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    outcome.status = late ? -2 : WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

// Standard output of this process into a string, from construction to text().
class StdoutCapture {
public:
    StdoutCapture()
    {
        std::fflush(stdout);
        saved = dup(1);
        file = std::tmpfile();
        dup2(fileno(file), 1);
    }
    ~StdoutCapture() { restore(); }
    std::string text()
    {
        restore();
        std::string all;
        std::rewind(file);
        for (int c; (c = std::fgetc(file)) != EOF;) all += char(c);
        return all;
    }

private:
    void restore()
    {
        if (saved < 0) return;
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
        saved = -1;
    }
    int saved = -1;
    std::FILE* file = nullptr;
};

inline bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The two triangles every layout below spells: (0,0,0) (1,0,0) (0,1,0) and
// (0.5,-2.25,1e-3) (3,4,5) (-1.5,0,2).
inline const float twoTriangles[2][9] = {{0, 0, 0, 1, 0, 0, 0, 1, 0},
                                  {0.5f, -2.25f, 1e-3f, 3, 4, 5, -1.5f, 0, 2}};

inline void expectTwoTriangles(const TriObj& object)
{
    ASSERT_EQ(object.count, 2);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j) {
            const Vector3& v = object.triangles[i].vertices[j];
            EXPECT_EQ(v.x, twoTriangles[i][3 * j]) << "triangle " << i << " corner " << j;
            EXPECT_EQ(v.y, twoTriangles[i][3 * j + 1]) << "triangle " << i << " corner " << j;
            EXPECT_EQ(v.z, twoTriangles[i][3 * j + 2]) << "triangle " << i << " corner " << j;
        }
}
