// TriObj, which loads a triangle-object file through the parser (model/tri_parser.cpp) and
// prints and exits around it, with the loader's error lines; face normals; the flat mesh arrays.
#include "model/model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/stat.h>

MeshArrays meshArrays = {0, nullptr, nullptr, nullptr, nullptr, nullptr};

namespace {

// The loader's one way out for a file it cannot take: the parser's error line, status 1.
[[noreturn]] void refuse(const TriParser& parser, const char* fileName)
{
    std::printf("%s\n", describeTriFault(parser, fileName).c_str());
    std::exit(1);
}

} // namespace

std::string describeTriFault(const TriParser& parser, const char* fileName)
{
    const std::string file = "TriObj [" + std::string(fileName) + "]";
    const std::string count = std::to_string(parser.count);
    const std::string quoted = "\"" + parser.faultText + "\"";
    switch (parser.fault) {
    case TriFault::none:
        return "";
    case TriFault::countMissing:
        return "ERROR: " + file + " holds no triangle count!";
    case TriFault::countNotANumber:
        return "ERROR: " + file + " starts with " + quoted + ", not a triangle count!";
    case TriFault::countOutOfRange:
        return "ERROR: " + file + " has a triangle count out of range (" + parser.faultText +
               ")!";
    case TriFault::countNegative:
        return "ERROR: " + file + " has a negative triangle count (" + count + ")!";
    case TriFault::countTooLarge:
        return "ERROR: " + file + " is too short to hold " + count + " triangles!";
    case TriFault::dataEndsEarly:
        return "ERROR: " + file + " ends early, in triangle " + std::to_string(parser.triangle) +
               " of " + count + "!";
    case TriFault::notANumber:
        return "ERROR: " + file + " has " + quoted + " where a number is expected (line " +
               std::to_string(parser.faultLine) + ", triangle " +
               std::to_string(parser.triangle) + ")!";
    case TriFault::readError:
        return "ERROR: unable to read " + file + "!";
    }
    return "";
}

TriObj::TriObj(const char* fileName, unsigned char red, unsigned char green, unsigned char blue)
    : triangles(nullptr), count(0)
{
    load(fileName, red, green, blue);
}

TriObj::~TriObj()
{
    delete[] triangles;
}

void TriObj::load(const char* fileName, unsigned char red, unsigned char green,
                  unsigned char blue)
{
    delete[] triangles;  // a second load replaces the first
    triangles = nullptr;
    count = 0;

    std::FILE* file = std::fopen(fileName, "r");
    if (!file) {
        std::printf("ERROR: unable to open TriObj [%s]!\n", fileName);
        std::exit(1);
    }
    // Read a chunk at a time and parsed as it comes: far faster than one fscanf per number, with
    // the same values, and nothing past the chunk that holds the last number needed is read.
    // Only a regular file's size is known; a pipe or a device is read until the numbers end.
    // (A size that does not fit the system's type, which some report as negative, is unknown.)
    struct stat status;
    const bool regular =
        fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode) && status.st_size >= 0;
    TriParser parser =
        startTriFileParse(file, regular ? std::size_t(status.st_size) : unknownTriSize);
    int fileCount = 0;
    const bool countOk = parseTriCount(parser, fileCount);
    const bool countRead = countOk || parser.fault == TriFault::countNegative ||
                           parser.fault == TriFault::countTooLarge;
    if (countRead) {
        std::printf("Reading in %s (%d triangles). . .\n", fileName, fileCount);
        std::fflush(stdout);  // the progress line shows before the work it announces
    }
    if (!countOk) refuse(parser, fileName);

    // A count checked against the file's size bounds the array by the file; with no size to go
    // by, the array grows as triangles arrive, so a count the data does not bear out costs no
    // more memory than the data.
    int capacity = regular ? fileCount : std::min(fileCount, 1 << 12);
    Triangle* read = new Triangle[std::size_t(capacity)];
    for (int i = 0; i < fileCount; ++i) {
        if (i == capacity) {
            capacity = int(std::min<long long>(fileCount, 2LL * capacity));
            Triangle* larger = new Triangle[std::size_t(capacity)];
            std::copy(read, read + i, larger);
            delete[] read;
            read = larger;
        }
        if (!parseTriangle(parser, read[i])) {
            delete[] read;
            refuse(parser, fileName);
        }
    }
    std::fclose(file);
    for (int i = 0; i < fileCount; ++i) {
        Triangle& t = read[i];
        t.color[0] = red;
        t.color[1] = green;
        t.color[2] = blue;
        faceNormal(t.normal, t.vertices[0], t.vertices[1], t.vertices[2]);
    }
    triangles = read;
    count = fileCount;
}

void TriObj::faceNormal(Vector3& normal, const Vector3& v0, const Vector3& v1, const Vector3& v2)
{
    Vector3 firstEdge, secondEdge;
    vecSubtract(firstEdge, v1, v0);
    vecSubtract(secondEdge, v2, v0);
    vecCross(normal, firstEdge, secondEdge);
    vecNormalize(normal);
}

void buildMeshArrays(const TriObj& object, Vector4** modelVertices, int* triangleCount,
                     Vector3** modelNormals, unsigned char** colors)
{
    const int n = object.count;
    *triangleCount = n;
    Vector4* vertices = new Vector4[3 * std::size_t(n)];
    Vector3* normals = new Vector3[std::size_t(n)];
    unsigned char* rgb = new unsigned char[3 * std::size_t(n)];
    for (int i = 0; i < n; ++i) {
        const Triangle& t = object.triangles[i];
        for (int j = 0; j < 3; ++j) {
            const Vector3& v = t.vertices[j];
            vertices[3 * i + j] = Vector4{v.x, v.y, v.z, 1.0f};
        }
        normals[i] = t.normal;
        for (int k = 0; k < 3; ++k) rgb[3 * i + k] = t.color[k];
    }
    *modelVertices = vertices;
    *modelNormals = normals;
    *colors = rgb;
}
