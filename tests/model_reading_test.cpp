// The triangle model's reading itself: from pipes and endless input, in bounded work and
// memory, in chunks, and number for number as the C library's fscanf reads "%f".
#include "tests/model_test_support.h"

namespace {

using namespace std::string_literals;

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
