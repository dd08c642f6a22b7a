// The triangle model: reading triangle-object files (real files through TriObj, and text
// through the parse functions), what the loader prints and when it refuses a file, face
// normals, and the flat mesh arrays.
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

namespace {

using namespace std::string_literals;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool addressSanitizer = true;
#elif defined(__has_feature)
constexpr bool addressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool addressSanitizer = false;
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
Outcome runInChild(const std::function<void()>& body, int timeLimit = 0)
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

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The two triangles every layout below spells: (0,0,0) (1,0,0) (0,1,0) and
// (0.5,-2.25,1e-3) (3,4,5) (-1.5,0,2).
const float twoTriangles[2][9] = {{0, 0, 0, 1, 0, 0, 0, 1, 0},
                                  {0.5f, -2.25f, 1e-3f, 3, 4, 5, -1.5f, 0, 2}};

void expectTwoTriangles(const TriObj& object)
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

TEST_F(ModelFiles, EveryLayoutReadsTheSameTriangles)
{
    const struct {
        const char* name;
        const char* text;
    } layouts[] = {
        {"one line", "2 0 0 0 1 0 0 0 1 0 0.5 -2.25 1e-3 3 4 5 -1.5 0 2"},
        {"one vertex per line",
         "2\n0 0 0\n1 0 0\n0 1 0\n0.5 -2.25 1e-3\n3 4 5\n-1.5 0 2\n"},
        {"one triangle per line", "2\n0 0 0 1 0 0 0 1 0\n.5 -2.25 0.001 3. 4 5 -1.5 -0 2\n"},
        {"tabs and CR LF", "2\r\n0\t0\t0\r\n1\t0\t0\r\n0\t1\t0\r\n\t0.5\t-2.25\t1E-3\r\n"
                           "3\t4\t5\r\n-1.5\t0\t2\r\n"},
        {"runs of blanks and signs", "  +2\n\n\n  0   0 0 +1 0 0\f0\v1 0 5e-1 -225e-2 +.001  "
                                     "3 4 5 -1.5 0 2"},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const std::string path = write("mesh.tri", layout.text);
        StdoutCapture capture;
        const TriObj object(path.c_str(), 255, 128, 128);
        EXPECT_EQ(capture.text(), "Reading in " + path + " (2 triangles). . .\n");
        expectTwoTriangles(object);
    }
}

TEST_F(ModelFiles, ACountSmallerThanTheDataReadsOnlyThatManyTriangles)
{
    const std::string path = write("three.tri", "2\n0 0 0 1 0 0 0 1 0\n"
                                                "0.5 -2.25 1e-3 3 4 5 -1.5 0 2\n"
                                                "7 7 7 8 8 8 9 9 9\n"
                                                "whatever follows is not read\n");
    StdoutCapture capture;
    const TriObj object(path.c_str(), 1, 2, 3);
    EXPECT_EQ(capture.text(), "Reading in " + path + " (2 triangles). . .\n");
    expectTwoTriangles(object);
}

TEST_F(ModelFiles, ACountOfZeroGivesAnEmptyMesh)
{
    const std::string path = write("empty.tri", "0\n");
    StdoutCapture capture;
    TriObj object(path.c_str(), 255, 128, 128);
    EXPECT_EQ(capture.text(), "Reading in " + path + " (0 triangles). . .\n");
    EXPECT_EQ(object.count, 0);

    MeshArrays mesh = {-1, nullptr, nullptr, nullptr, nullptr, nullptr};
    buildMeshArrays(object, &mesh.modelVertices, &mesh.triangleCount, &mesh.modelNormals,
                    &mesh.colors);
    EXPECT_EQ(mesh.triangleCount, 0);
    delete[] mesh.modelVertices;
    delete[] mesh.modelNormals;
    delete[] mesh.colors;
}

TEST_F(ModelFiles, EveryTriangleGetsTheColourAndItsUnitNormal)
{
    const std::string path = write("mesh.tri", "2 0 0 0 1 0 0 0 1 0  0 0 0 0 3 0 2 0 0");
    StdoutCapture capture;
    const TriObj object(path.c_str(), 255, 128, 128);
    ASSERT_EQ(object.count, 2);
    const float expected[2][3] = {{0, 0, 1}, {0, 0, -1}};  // counter-clockwise from +z, then -z
    for (int i = 0; i < 2; ++i) {
        const Triangle& t = object.triangles[i];
        EXPECT_EQ(t.color[0], 255);
        EXPECT_EQ(t.color[1], 128);
        EXPECT_EQ(t.color[2], 128);
        EXPECT_EQ(t.normal.x, expected[i][0]);
        EXPECT_EQ(t.normal.y, expected[i][1]);
        EXPECT_EQ(t.normal.z, expected[i][2]);
    }
}

TEST_F(ModelFiles, AMissingFileEndsTheProcessWithTheErrorLineOnStandardOutput)
{
    const std::string path = dir + "/nothere.tri";
    const Outcome outcome = runInChild([&] { TriObj object(path.c_str(), 255, 128, 128); });
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.output, "ERROR: unable to open TriObj [" + path + "]!\n");
}

TEST_F(ModelFiles, ADirectoryIsRefusedAsUnreadable)
{
    const std::string path = dir + "/sub.tri";
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    const Outcome outcome = runInChild([&] { TriObj object(path.c_str(), 255, 128, 128); });
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.output, "ERROR: unable to read TriObj [" + path + "]!\n");
}

// How a child process feeds a named pipe: head, and then
enum class Feed {
    once,         // nothing more: it closes the pipe
    endlessly,    // line again and again until the reader closes the pipe (or 64 MiB have gone,
                  // so that a reader that never stops fails the test instead of hanging it)
    holdingOpen,  // nothing more, but it keeps the pipe open, for a minute at most
    inPieces,     // head itself 256 bytes at a time, each once the reader has taken the last
};

// A writer on a named pipe, started by startPipeWriter.
struct PipeWriter {
    pid_t child;
    int report;  // where the child reports the bytes the pipe took and the pipe's capacity

    // Waits for the child; the bytes the pipe took, and sets capacity to the pipe's.
    long long taken(long long& capacity)
    {
        long long numbers[2] = {-1, -1};
        if (read(report, numbers, sizeof numbers) != ssize_t(sizeof numbers)) numbers[0] = -1;
        close(report);
        waitpid(child, nullptr, 0);
        capacity = numbers[1];
        return numbers[0];
    }
};

PipeWriter startPipeWriter(const std::string& path, const std::string& head, Feed feed,
                           const std::string& line = "")
{
    int fds[2];
    if (pipe(fds) != 0) return {-1, -1};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        signal(SIGPIPE, SIG_IGN);  // a closed reader shows as EPIPE
        const int fd = open(path.c_str(), O_WRONLY);
        long long numbers[2] = {0, fcntl(fd, F_GETPIPE_SZ)};
        std::string pending = head.empty() && feed == Feed::endlessly ? line : head;
        const size_t piece = feed == Feed::inPieces ? 256 : size_t(-1);
        while (!pending.empty() && numbers[0] < (64LL << 20)) {
            const ssize_t n = write(fd, pending.data(), std::min(pending.size(), piece));
            if (n < 0) break;
            numbers[0] += n;
            pending.erase(0, size_t(n));
            if (pending.empty() && feed == Feed::endlessly) pending = line;
            // Until the pipe is empty, or has no reader left (POLLERR).
            pollfd gone = {fd, 0, 0};
            for (int queued = 0; feed == Feed::inPieces && ioctl(fd, FIONREAD, &queued) == 0 &&
                                 queued > 0 && poll(&gone, 1, 0) == 0;)
                usleep(20);
        }
        if (feed == Feed::holdingOpen) sleep(60);
        close(fd);
        if (write(fds[1], numbers, sizeof numbers) != sizeof numbers) _exit(1);
        _exit(0);
    }
    close(fds[1]);
    return {child, fds[0]};
}

// A teapot.tri that is a named pipe: the loader stops reading within a chunk of the last number
// it needs, takes what a writer has sent without waiting for it to close the pipe, and a count
// the pipe does not bear out ends in the ends-early line, not in memory for that many triangles.
TEST_F(ModelFiles, APipeIsReadNoFurtherThanTheNumbersNeed)
{
    const std::string path = dir + "/teapot.tri";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const std::string line = "1 2 3 4 5 6 7 8 9\n";
    PipeWriter writer = startPipeWriter(path, "3\n", Feed::endlessly, line);
    {
        StdoutCapture capture;
        const TriObj object(path.c_str(), 255, 128, 128);
        EXPECT_EQ(capture.text(), "Reading in " + path + " (3 triangles). . .\n");
        ASSERT_EQ(object.count, 3);
        EXPECT_EQ(object.triangles[2].vertices[2].z, 9.0f);
    }
    long long capacity = 0;
    const long long taken = writer.taken(capacity);
    const long long lineSize = (long long)line.size();
    EXPECT_LE(taken, 2 + 3 * lineSize + (long long)triReadChunk + capacity + lineSize)
        << "bytes the pipe took; its capacity is " << capacity;

    writer = startPipeWriter(path, "2\n" + line + line, Feed::holdingOpen);
    {
        StdoutCapture capture;
        const TriObj object(path.c_str(), 255, 128, 128);
        EXPECT_EQ(object.count, 2);
    }
    EXPECT_EQ(waitpid(writer.child, nullptr, WNOHANG), 0)
        << "the mesh was read while the writer still held the pipe open";
    kill(writer.child, SIGKILL);
    writer.taken(capacity);

    const char* const hugeCount = "2000000000";
    writer = startPipeWriter(path, hugeCount + "\n"s + line, Feed::once);
    const Outcome outcome = runInChild([&] {
        // A gigabyte is far more than this needs and far less than 2e9 triangles take.
        // (AddressSanitizer reserves far more address space, and refuses such an allocation
        // itself.)
        if (!addressSanitizer) {
            const rlimit limit = {1LL << 30, 1LL << 30};
            setrlimit(RLIMIT_AS, &limit);
        }
        TriObj object(path.c_str(), 255, 128, 128);
    });
    writer.taken(capacity);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.output, "Reading in " + path + " (" + hugeCount + " triangles). . .\n" +
                                  "ERROR: TriObj [" + path + "] ends early, in triangle 2 of " +
                                  hugeCount + "!\n");
}

// A device or pipe that never ends: refused after reading a bounded amount, whether it sends no
// white space at all, an endless count or an endless coordinate.
TEST_F(ModelFiles, EndlessInputIsRefusedAfterBoundedReading)
{
    const Outcome zeros = runInChild([] { TriObj object("/dev/zero", 255, 128, 128); });
    EXPECT_EQ(zeros.status, 1);
    EXPECT_EQ(zeros.output, "ERROR: TriObj [/dev/zero] starts with \"" + std::string(24, '?') +
                                "...\", not a triangle count!\n");

    const std::string path = dir + "/teapot.tri";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const struct {
        const char* head;
        std::string expected;  // "@" stands for the file's name
    } cases[] = {
        {"", "ERROR: TriObj [@] has a triangle count out of range (" + std::string(24, '7') +
                 "...)!\n"},
        {"1\n", "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"" +
                    std::string(24, '7') + "...\" where a number is expected (line 2, "
                                           "triangle 1)!\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head);
        PipeWriter writer = startPipeWriter(path, c.head, Feed::endlessly, "7777777777777777");
        const Outcome outcome = runInChild([&] { TriObj object(path.c_str(), 255, 128, 128); });
        long long capacity = 0;
        const long long taken = writer.taken(capacity);
        EXPECT_LE(taken, (long long)(longestTriNumber + 2 * triReadChunk) + capacity);
        std::string expected = c.expected;
        for (size_t at; (at = expected.find('@')) != std::string::npos;)
            expected.replace(at, 1, path);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.output, expected);
    }
}

// A writer that sends a fault and keeps the pipe open hears of it at once: the error line quotes
// what has arrived instead of waiting for more. (The test gives up long before the writer does.)
TEST_F(ModelFiles, AFaultInAPipeIsReportedWithoutWaitingForMore)
{
    const std::string path = dir + "/teapot.tri";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    PipeWriter writer = startPipeWriter(path, "1\n1 2 x", Feed::holdingOpen);
    const Outcome outcome = runInChild([&] { TriObj object(path.c_str(), 255, 128, 128); }, 20);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.output, "Reading in " + path + " (1 triangles). . .\nERROR: TriObj [" + path +
                                  "] has \"x\" where a number is expected (line 2, triangle 1)!\n");
    kill(writer.child, SIGKILL);
    long long capacity = 0;
    writer.taken(capacity);
}

// A long count and a long coordinate arriving a little at a time cost work in proportion to
// their length (parser.work: characters scanned, and moved in the window).
TEST_F(ModelFiles, ALongNumberReadInSmallPiecesCostsWorkInProportionToItsLength)
{
    const std::string path = dir + "/teapot.tri";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const std::string zeros(1 << 18, '0');
    const std::string text = zeros + "1\n0." + zeros + "5 2 3 4 5 6 7 8 9\n";
    PipeWriter writer = startPipeWriter(path, text, Feed::inPieces);
    std::FILE* file = std::fopen(path.c_str(), "r");
    ASSERT_NE(file, nullptr);
    TriParser parser = startTriFileParse(file);
    int count = 0;
    Triangle triangle;
    EXPECT_TRUE(parseTriCount(parser, count) && parseTriangle(parser, triangle));
    EXPECT_LE(parser.work, 4 * text.size());
    std::fclose(file);
    long long capacity = 0;
    writer.taken(capacity);
}

// Each malformed file is refused with the loading line (where the count could be read) and
// one error line, status 1.
TEST_F(ModelFiles, MalformedFilesAreRefusedWithOneErrorLine)
{
    const std::string triangle = "0 0 0 1 0 0 0 1 0\n";
    const struct {
        const char* what;
        std::string text;
        std::string expected;  // "@" stands for the file's name
    } cases[] = {
        {"empty file", "", "ERROR: TriObj [@] holds no triangle count!\n"},
        {"only white space", " \n\t\r\n", "ERROR: TriObj [@] holds no triangle count!\n"},
        {"count not a number", "abc\n" + triangle,
         "ERROR: TriObj [@] starts with \"abc\", not a triangle count!\n"},
        {"count not whole", "1.5\n" + triangle,
         "ERROR: TriObj [@] starts with \"1.5\", not a triangle count!\n"},
        {"count with a letter", "1x\n" + triangle,
         "ERROR: TriObj [@] starts with \"1x\", not a triangle count!\n"},
        {"a lone sign", "- 1\n" + triangle,
         "ERROR: TriObj [@] starts with \"-\", not a triangle count!\n"},
        {"count beyond 32 bits", "99999999999\n" + triangle,
         "ERROR: TriObj [@] has a triangle count out of range (99999999999)!\n"},
        {"count below 32 bits", "-2147483649\n",
         "ERROR: TriObj [@] has a triangle count out of range (-2147483649)!\n"},
        {"negative count", "-3\n" + triangle,
         "Reading in @ (-3 triangles). . .\nERROR: TriObj [@] has a negative triangle count "
         "(-3)!\n"},
        {"lowest count", "-2147483648\n",
         "Reading in @ (-2147483648 triangles). . .\nERROR: TriObj [@] has a negative "
         "triangle count (-2147483648)!\n"},
        {"count larger than the file holds", "2147483647\n" + triangle,
         "Reading in @ (2147483647 triangles). . .\nERROR: TriObj [@] is too short to hold "
         "2147483647 triangles!\n"},
        {"two triangles' worth of text for three", "3 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1",
         "Reading in @ (3 triangles). . .\nERROR: TriObj [@] is too short to hold 3 "
         "triangles!\n"},
        {"data ends in the last triangle", "2\n" + triangle + "0 0 0 1 0 0 0 1\n\n\n",
         "Reading in @ (2 triangles). . .\nERROR: TriObj [@] ends early, in triangle 2 of "
         "2!\n"},
        {"data ends in the first triangle", "1\n0 0 0 1 0 0 0 1                  ",
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] ends early, in triangle 1 of "
         "1!\n"},
        {"a word for a coordinate", "1\n0 0 0\n1 0 x\n0 1 0\n",
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"x\" where a number is "
         "expected (line 3, triangle 1)!\n"},
        {"commas between coordinates", "2\n" + triangle + "0,0,0 1,0,0 0,1,0 0,0,0 0,0,0\n",
         "Reading in @ (2 triangles). . .\nERROR: TriObj [@] has \",0,0\" where a number "
         "is expected (line 3, triangle 2)!\n"},
        {"a number run into a word", "1\r\n0 0 0 1 0 0 0 0.5cm 1\r\n",
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"cm\" where a number "
         "is expected (line 2, triangle 1)!\n"},
        {"a NaN payload before the last number", "1 0 0 0 1 0 0 0 -nan(1) 1",
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"(1)\" where a number "
         "is expected (line 1, triangle 1)!\n"},
        {"an unfinished infinity", "1 0 0 0 1 0 0 0 1 infin",
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"infin\" where a number "
         "is expected (line 1, triangle 1)!\n"},
        {"a lone sign at the end", "1 0 0 0 1 0 0 0 1 -",
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"-\" where a number "
         "is expected (line 1, triangle 1)!\n"},
        {"a count run into a number", "4032.0 " + triangle,
         "ERROR: TriObj [@] starts with \"4032.0\", not a triangle count!\n"},
        {"a NUL byte and a long word", "1\n0 0 0 1 0 0 0 1\0zzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"s,
         "Reading in @ (1 triangles). . .\nERROR: TriObj [@] has \"?" + std::string(23, 'z') +
             "...\" where a number is expected (line 2, triangle 1)!\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = write("bad.tri", c.text);
        std::string expected = c.expected;
        for (size_t at; (at = expected.find('@')) != std::string::npos;)
            expected.replace(at, 1, path);
        const Outcome outcome = runInChild([&] { TriObj object(path.c_str(), 255, 128, 128); });
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.output, expected);
    }
}

TEST_F(ModelFiles, TheShortestTextForTheCountIsAccepted)
{
    // Two triangles of one-digit numbers with single blanks: exactly 36 characters after the
    // count, the least two triangles can take.
    const std::string path = write("tight.tri", "2 1 0 0 0 1 0 0 0 1 1 0 0 0 1 0 0 0 1");
    StdoutCapture capture;
    const TriObj object(path.c_str(), 255, 128, 128);
    EXPECT_EQ(object.count, 2);
}

TEST_F(ModelFiles, AZeroAreaTriangleKeepsItsNaNNormal)
{
    const std::string path = write("flat.tri", "1 0 0 0 1 1 1 2 2 2");
    StdoutCapture capture;
    const TriObj object(path.c_str(), 255, 128, 128);
    ASSERT_EQ(object.count, 1);
    EXPECT_TRUE(std::isnan(object.triangles[0].normal.x));
    EXPECT_TRUE(std::isnan(object.triangles[0].normal.y));
    EXPECT_TRUE(std::isnan(object.triangles[0].normal.z));
}

TEST_F(ModelFiles, FaceNormalFollowsTheRightHandRuleWithUnitLength)
{
    const std::string path = write("empty.tri", "0");
    StdoutCapture capture;
    TriObj object(path.c_str(), 0, 0, 0);
    const struct {
        Vector3 v0, v1, v2;
        Vector3 expected;
    } cases[] = {
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{0, 0, 0}, {2, 0, 0}, {0, 3, 0}, {0, 0, 1}},
        {{0, 0, 0}, {0, 0, 5}, {7, 0, 0}, {0, 1, 0}},
        {{1, 1, 1}, {1, 2, 1}, {1, 1, 2}, {1, 0, 0}},
    };
    for (const auto& c : cases) {
        Vector3 normal = {9, 9, 9};
        object.faceNormal(normal, c.v0, c.v1, c.v2);
        EXPECT_EQ(normal.x, c.expected.x);
        EXPECT_EQ(normal.y, c.expected.y);
        EXPECT_EQ(normal.z, c.expected.z);
    }

    // Random triangles: unit length, square to both edges, on the right-hand side.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-100, 100);
    for (int k = 0; k < 1000; ++k) {
        Vector3 v[3];
        for (Vector3& p : v) p = {coordinate(random), coordinate(random), coordinate(random)};
        Vector3 normal;
        object.faceNormal(normal, v[0], v[1], v[2]);
        const double e1[3] = {double(v[1].x) - v[0].x, double(v[1].y) - v[0].y,
                              double(v[1].z) - v[0].z};
        const double e2[3] = {double(v[2].x) - v[0].x, double(v[2].y) - v[0].y,
                              double(v[2].z) - v[0].z};
        const double n[3] = {normal.x, normal.y, normal.z};
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        EXPECT_NEAR(length, 1.0, 1e-6);
        const double l1 = std::sqrt(e1[0] * e1[0] + e1[1] * e1[1] + e1[2] * e1[2]);
        const double l2 = std::sqrt(e2[0] * e2[0] + e2[1] * e2[1] + e2[2] * e2[2]);
        EXPECT_NEAR((n[0] * e1[0] + n[1] * e1[1] + n[2] * e1[2]) / l1, 0.0, 1e-5);
        EXPECT_NEAR((n[0] * e2[0] + n[1] * e2[1] + n[2] * e2[2]) / l2, 0.0, 1e-5);
        // The determinant of (e1, e2, n) is positive for a right-handed normal.
        const double det = e1[0] * (e2[1] * n[2] - e2[2] * n[1]) -
                           e1[1] * (e2[0] * n[2] - e2[2] * n[0]) +
                           e1[2] * (e2[0] * n[1] - e2[1] * n[0]);
        EXPECT_GT(det, 0.0);
    }
}

TEST_F(ModelFiles, MeshArraysHoldCopiesThatOutliveTheTriObj)
{
    const std::string path = write("mesh.tri", "2 0 0 0 1 0 0 0 1 0 0.5 -2.25 1e-3 3 4 5 -1.5 0 2");
    MeshArrays mesh = {0, nullptr, nullptr, nullptr, nullptr, nullptr};
    {
        StdoutCapture capture;
        TriObj* object = new TriObj(path.c_str(), 255, 128, 128);
        buildMeshArrays(*object, &mesh.modelVertices, &mesh.triangleCount, &mesh.modelNormals,
                        &mesh.colors);
        delete object;
    }
    // Checked only after the TriObj is gone (AddressSanitizer would see any use of it).
    ASSERT_EQ(mesh.triangleCount, 2);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j) {
            const Vector4& v = mesh.modelVertices[3 * i + j];
            EXPECT_EQ(v.x, twoTriangles[i][3 * j]);
            EXPECT_EQ(v.y, twoTriangles[i][3 * j + 1]);
            EXPECT_EQ(v.z, twoTriangles[i][3 * j + 2]);
            EXPECT_TRUE(sameBits(v.w, 1.0f));
        }
    for (int k = 0; k < 6; ++k) EXPECT_EQ(mesh.colors[k], k % 3 == 0 ? 255 : 128);
    // The first normal by hand: (0,0,1). The second: the cross product of (2.5, 6.25, 4.999)
    // and (-2, 2.25, 1.999) is about (1.2463, -14.9955, 18.125), length about 23.557.
    EXPECT_EQ(mesh.modelNormals[0].x, 0.0f);
    EXPECT_EQ(mesh.modelNormals[0].y, 0.0f);
    EXPECT_EQ(mesh.modelNormals[0].z, 1.0f);
    EXPECT_NEAR(mesh.modelNormals[1].x, 1.2463 / 23.5569, 1e-4);
    EXPECT_NEAR(mesh.modelNormals[1].y, -14.9955 / 23.5569, 1e-4);
    EXPECT_NEAR(mesh.modelNormals[1].z, 18.125 / 23.5569, 1e-4);
    delete[] mesh.modelVertices;
    delete[] mesh.modelNormals;
    delete[] mesh.colors;
}

// The parse functions work on text in memory and never print or exit.
TEST(ParseTri, StopsAtTheFirstFaultAndLeavesThatTriangleUntouched)
{
    const std::string text = "3\n1 2 3 4 5 6 7 8 9\n1 2 3 4 5 6 7 8 oops\n1 2 3 4 5 6 7 8 9\n";
    TriParser parser = startTriParse(text.data(), text.size());
    int count = -1;
    ASSERT_TRUE(parseTriCount(parser, count));
    EXPECT_EQ(count, 3);
    Triangle triangles[3] = {};
    triangles[1].vertices[0].x = 42;
    EXPECT_FALSE(parseTriangles(parser, count, triangles));
    EXPECT_EQ(parser.fault, TriFault::notANumber);
    EXPECT_EQ(parser.triangle, 2);
    EXPECT_EQ(parser.faultText, "oops");
    EXPECT_EQ(triangles[0].vertices[2].z, 9.0f);
    EXPECT_EQ(triangles[1].vertices[0].x, 42.0f) << "the faulty triangle is left as it was";
    EXPECT_EQ(describeTriFault(parser, "x.tri"),
              "ERROR: TriObj [x.tri] has \"oops\" where a number is expected (line 3, "
              "triangle 2)!");
}

TEST(ParseTri, RefusesATooLargeCountBeforeAnythingIsAllocated)
{
    // Nine megabytes of count digits would be read as out of range; a huge count with a
    // little data must not reach the allocation.
    const std::string text = "100000000 1 2 3";
    TriParser parser = startTriParse(text.data(), text.size());
    int count = 0;
    EXPECT_FALSE(parseTriCount(parser, count));
    EXPECT_EQ(parser.fault, TriFault::countTooLarge);
    EXPECT_EQ(count, 100000000);
}

// A number may take longestTriNumber characters and not one more, the count or a coordinate,
// wherever it starts (either side of a chunk boundary too), in memory or from a file of known or
// unknown size.
TEST(ParseTri, ANumberMayTakeTheLongestLengthWhereverItStarts)
{
    const std::size_t starts[] = {2, 60000, triReadChunk - 7, triReadChunk + 3};
    const std::size_t lengths[] = {longestTriNumber, longestTriNumber + 1,
                                   3 * longestTriNumber / 2};
    const std::string rest = " 2 3 4 5 6 7 8 9";  // the coordinates after the first
    for (std::size_t start : starts)
        for (std::size_t length : lengths)
            for (bool inCount : {true, false}) {
                const std::string blanks(start - 2, ' '), zeros(length - 1, '0');
                const std::string text = inCount ? blanks + "\n " + zeros + "1 1" + rest
                                                 : "1\n" + blanks + "1" + zeros + rest;
                std::FILE* file = std::tmpfile();
                std::fwrite(text.data(), 1, text.size(), file);
                for (std::size_t size : {std::size_t(0), text.size(), unknownTriSize}) {
                    SCOPED_TRACE("start " + std::to_string(start) + ", length " +
                                 std::to_string(length) + (inCount ? ", count" : "") +
                                 ", size " + std::to_string(size));
                    std::rewind(file);
                    TriParser parser = size ? startTriFileParse(file, size)
                                            : startTriParse(text.data(), text.size());
                    int count = 0;
                    Triangle triangle;
                    const bool ok = parseTriCount(parser, count) && parseTriangle(parser, triangle);
                    const bool fits = length <= longestTriNumber;
                    EXPECT_EQ(ok, fits);
                    EXPECT_EQ(parser.fault, fits ? TriFault::none
                                                 : inCount ? TriFault::countOutOfRange
                                                           : TriFault::notANumber);
                    EXPECT_EQ(parser.faultOffset, fits ? 0 : start);
                }
                std::fclose(file);
            }
}

// A file read a few bytes at a time parses as the same text in memory: numbers, faults and
// where they are, whatever chunk boundary falls inside a number, a word or a line break.
TEST(ParseTri, ChunkBoundariesChangeNothing)
{
    const std::string texts[] = {
        "2\r\n0.5-0.25 1.0.5 1e 2\n3e+-4 0x. 0x1.8p-1\n\n-nan(1)\n inf5 infinity-6 NaN7 8 9",
        "1\n1 2 3\n4 5 6\n7 8 nan(1)",
        "1\n1 2 3\n4 5 6\n7 nan(1) 8",
        "2\n1 2 3 4 5 6 7 8 9\n1 2 3 4 5 6 7 8\n\n",
        "1\n1 2 3\n4 5 x 6 7 8 9 and a long word after it: 012345678901234567890123456789",
        "1 1 2 3 4 5 6 7 8 infinit",
        "100000000000000000000000000000000000000000000 1",
        "3 " + std::string(100, '0') + "1e-2 2 3 4 5 6 7 8 9",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        TriParser whole = startTriParse(text.data(), text.size());
        int wholeCount = 0;
        Triangle wholeTriangles[3] = {};
        const bool wholeOk = parseTriCount(whole, wholeCount) &&
                             parseTriangles(whole, std::min(wholeCount, 3), wholeTriangles);
        for (std::size_t chunk : {1, 2, 3, 5, 8, 13}) {
            SCOPED_TRACE("chunk " + std::to_string(chunk));
            std::FILE* file = std::tmpfile();
            std::fwrite(text.data(), 1, text.size(), file);
            std::rewind(file);
            TriParser parser = startTriFileParse(file, text.size(), chunk);
            int count = 0;
            Triangle triangles[3] = {};
            const bool ok = parseTriCount(parser, count) &&
                            parseTriangles(parser, std::min(count, 3), triangles);
            std::fclose(file);
            EXPECT_EQ(ok, wholeOk);
            EXPECT_EQ(count, wholeCount);
            EXPECT_EQ(parser.fault, whole.fault);
            EXPECT_EQ(parser.faultOffset, whole.faultOffset);
            EXPECT_EQ(parser.faultLine, whole.faultLine);
            EXPECT_EQ(parser.faultText, whole.faultText);
            EXPECT_EQ(parser.triangle, whole.triangle);
            EXPECT_EQ(std::memcmp(triangles, wholeTriangles, sizeof triangles), 0);
        }
    }
}

// What fscanf makes of a triangle-object file: the count by "%d", then "%f" after "%f" until
// 9 * count numbers are read or one fails.
struct FscanfReading {
    int count = 0;
    std::vector<float> numbers;
    bool complete = false;  // all 9 * count numbers read
};

FscanfReading readWithFscanf(const std::string& path)
{
    FscanfReading reading;
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file || std::fscanf(file, "%d", &reading.count) != 1) return reading;
    float value;
    while (reading.numbers.size() < 9 * size_t(reading.count) &&
           std::fscanf(file, "%f", &value) == 1)
        reading.numbers.push_back(value);
    std::fclose(file);
    reading.complete = reading.numbers.size() == 9 * size_t(reading.count);
    return reading;
}

// The loader against fscanf on one file: it takes the file exactly when fscanf reads all the
// numbers, and then has the same bits. Returns whether it took the file.
bool loadsAsFscanfReads(const std::string& path)
{
    const FscanfReading reading = readWithFscanf(path);
    const Outcome outcome = runInChild([&] {
        const TriObj object(path.c_str(), 255, 128, 128);
        if (object.count != reading.count) std::exit(2);
        for (size_t n = 0; n < reading.numbers.size(); ++n) {
            const Vector3& v = object.triangles[n / 9].vertices[n % 9 / 3];
            if (!sameBits((&v.x)[n % 3], reading.numbers[n])) std::exit(3);
        }
    });
    EXPECT_EQ(outcome.status, reading.complete ? 0 : 1) << "fscanf read "
                                                         << reading.numbers.size() << " numbers";
    return outcome.status == 0;
}

// Where fscanf runs numbers into each other or takes part of a word, the loader does the same.
TEST_F(ModelFiles, NumbersWithoutBlanksReadAsFscanfReadsThem)
{
    const struct {
        const char* text;
        bool accepted;  // by fscanf, and so by the loader
    } cases[] = {
        {"1  0.5-0.25 1.0.5  1 1 1 1 1", true},       // 0.5 -0.25 1.0 0.5
        {"1  1e 2  3e+-4  0x.  5 6 7 8", true},        // 1 2 3 -4 0 ...: marks and "0x" taken
        {"1  1 2 3 4 5 6 7 8 nan(1)", true},           // the NaN is the last number
        {"1  1 2 3 4 5 6 7 8 -nan(1)", true},
        {"1  inf5 infinity-6 NaN7 1 2 3", true},       // words end where numbers begin
        {"1  0x1.8p-1 0X1P+2.5 1 2 3 4 5 6", true},    // 0.75 4 0.5 ...
        {"1  0x1.8p-1e 1 2 3 4 5 6 7", false},         // the "e" after the exponent
        {"1  1 2 3 4 5 6 7 nan(1) 8", false},          // "(1)" where a number must be
        {"1  1 2 3 4 5 6 7 8 infinit", false},
        {"1  1 2 3 4 5 6 7 8 0x", false},
        {"1  1 2 3 4 5 6 7 8 .e5", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(loadsAsFscanfReads(write("quirks.tri", c.text)), c.accepted);
    }
}

// The loader reads exactly what fscanf's "%d" and "%f %f %f" read, to the last bit: random
// numbers in every notation, in random layouts, sometimes with nothing between two of them,
// against the C library itself.
TEST_F(ModelFiles, ReadsTheSameBitsAsFscanf)
{
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> pick(0, 1 << 30);
    auto bitsToFloat = [](uint32_t bits) {
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    };
    const char* specials[] = {"inf", "-inf", "+inf", "INF", "infinity", "-Infinity", "nan",
                              "-nan", "NAN", "1e39", "-1e39", "1e-46", "-1e-50",
                              "3.4028235e38", "3.4028236e38", "1.4e-45", "7e-46", "0", "-0",
                              "+0", ".5", "-.5", "+.5", "5.", "-5.", "00012.50", "1e+05",
                              "1E-5", "0x1p3", "-0x1.8p-1", "0X.8", "1e", "-2E+",
                              "123456789012345678901234567890",
                              "0.000000000000000000000000000000000000000000001401298464324817"};
    int accepted = 0;
    for (int round = 0; round < 80; ++round) {
        const int count = round % 2 ? 2 : 50;  // few numbers where they run together
        std::string text = std::to_string(count);
        // Twice the numbers needed: run together, fewer may come out, and fscanf says which.
        for (int k = 0; k < 18 * count; ++k) {
            const char* separators[] = {" ", "\t", "\n", "\r\n", "  \t ", "\n\n", "\v", "\f"};
            text += k == 0 || round % 2 == 0 || pick(random) % 4 ? separators[pick(random) % 8]
                                                                   : "";
            char number[128];
            const float value =
                bitsToFloat(uint32_t(pick(random)) * 4u + uint32_t(pick(random) % 4));
            const double wide =
                std::ldexp(double(pick(random)) / (1 << 30), pick(random) % 200 - 100);
            // Just above the midpoint between two floats: rounding through a double first
            // would land on the midpoint and then go to the even neighbour, often downwards.
            const double midpoint = 1.0 + (2.0 * (pick(random) % (1 << 23)) + 1.0) / (1 << 24);
            switch (pick(random) % 10) {
            case 0: std::snprintf(number, sizeof number, "%.9g", double(value)); break;
            case 1: std::snprintf(number, sizeof number, "%g", double(value)); break;
            case 2: std::snprintf(number, sizeof number, "%.17g", wide); break;
            case 3: std::snprintf(number, sizeof number, "%f", wide); break;
            case 4: std::snprintf(number, sizeof number, "%.3e", -wide); break;
            case 5: std::snprintf(number, sizeof number, "%a", double(value)); break;
            case 6: std::snprintf(number, sizeof number, "+%.25g", wide); break;
            case 7: std::snprintf(number, sizeof number, "%.40f", wide); break;
            case 8: std::snprintf(number, sizeof number, "%.30f000001", midpoint); break;
            default:
                std::snprintf(number, sizeof number, "%s",
                              specials[size_t(pick(random)) % std::size(specials)]);
            }
            text += number;
        }
        text += "\n";
        SCOPED_TRACE("round " + std::to_string(round));
        accepted += loadsAsFscanfReads(write("random.tri", text));
    }
    // Both outcomes were met, and files with numbers run together were read in full too.
    EXPECT_GT(accepted, 50);
    EXPECT_LT(accepted, 80);
}

} // namespace
