// obj2tri: converts a Wavefront OBJ mesh into a triangle-object file.
//
//   obj2tri INPUT.obj OUTPUT.tri
//
// Reads the vertices ("v x y z", any further numbers such as w or a colour are ignored) and the
// faces ("f" with three or more corners, each "i", "i/t", "i//n" or "i/t/n"; an index counts
// from 1, a negative one back from the latest vertex). Every face becomes a fan of triangles
// from its first corner, keeping its winding, so a counter-clockwise face (OBJ's convention for
// the outside) keeps its normal pointing out. Comments ("#" to the end of the line), lines
// continued with a backslash and every other statement (vt, vn, g, o, s, usemtl, l, ...) are
// accepted and ignored.
//
// Nothing is written unless the whole input is sound; otherwise one line names the file, the
// line and the fault, on standard error, and the status is 1.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Vertex {
    float x, y, z;
};

struct Face {
    std::vector<int> corners;  // zero-based vertex indices
};

std::string inputName;

[[noreturn]] void fail(const std::string& message)
{
    std::fprintf(stderr, "obj2tri: %s\n", message.c_str());
    std::exit(1);
}

[[noreturn]] void failAt(long line, const std::string& message)
{
    fail(inputName + ":" + std::to_string(line) + ": " + message);
}

// The whole of text as a float, correctly rounded; false unless it is a number in full and
// finite as a float.
bool readCoordinate(const std::string& text, float& value)
{
    char* end = nullptr;
    const float parsed = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

// The vertex index in front of the first '/' of a face corner, resolved against the vertices
// read so far: zero-based, or an error.
int readCorner(const std::string& corner, size_t vertexCount, long line)
{
    const std::string index = corner.substr(0, corner.find('/'));
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(index.c_str(), &end, 10);
    if (index.empty() || *end != '\0' || errno == ERANGE)
        failAt(line, "\"" + corner + "\" is not a vertex index");
    if (value == 0) failAt(line, "vertex index 0 (indices count from 1)");
    const long resolved = value > 0 ? value - 1 : long(vertexCount) + value;
    if (resolved < 0 || resolved >= long(vertexCount))
        failAt(line, "vertex index " + index + " refers to no vertex (" +
                         std::to_string(vertexCount) + " defined so far)");
    return int(resolved);
}

void readObj(const char* path, std::vector<Vertex>& vertices, std::vector<Face>& faces)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(std::string("cannot open ") + path);
    std::string physical, statement;
    long lineNumber = 0, statementLine = 0;
    while (std::getline(in, physical)) {
        ++lineNumber;
        if (!physical.empty() && physical.back() == '\r') physical.pop_back();
        if (statement.empty()) statementLine = lineNumber;
        // A backslash at the end joins the next line on.
        if (!physical.empty() && physical.back() == '\\') {
            physical.back() = ' ';
            statement += physical;
            continue;
        }
        statement += physical;
        const std::string text = statement.substr(0, statement.find('#'));
        statement.clear();

        std::istringstream words(text);
        std::string keyword;
        if (!(words >> keyword)) continue;
        if (keyword == "v") {
            Vertex v;
            std::string x, y, z;
            words >> x >> y >> z;
            if (!readCoordinate(x, v.x) || !readCoordinate(y, v.y) || !readCoordinate(z, v.z))
                failAt(statementLine, "a vertex needs three finite numbers x y z");
            vertices.push_back(v);
        } else if (keyword == "f") {
            Face face;
            std::string corner;
            while (words >> corner)
                face.corners.push_back(readCorner(corner, vertices.size(), statementLine));
            if (face.corners.size() < 3)
                failAt(statementLine, "a face needs at least three corners");
            faces.push_back(face);
        }
    }
    if (in.bad()) fail(std::string("cannot read ") + path);
}

void writeTri(const char* path, const std::vector<Vertex>& vertices,
              const std::vector<Face>& faces, long long triangleCount)
{
    std::FILE* file = std::fopen(path, "wb");  // binary: LF line ends on every system
    if (!file) fail(std::string("cannot write ") + path);
    std::fprintf(file, "%lld\n", triangleCount);
    for (const Face& face : faces)
        for (size_t k = 1; k + 1 < face.corners.size(); ++k) {
            const int corners[3] = {face.corners[0], face.corners[k], face.corners[k + 1]};
            for (int c = 0; c < 3; ++c) {
                // "%.9g" gives every float back exactly when read again.
                const Vertex& v = vertices[size_t(corners[c])];
                std::fprintf(file, "%.9g %.9g %.9g%s", double(v.x), double(v.y), double(v.z),
                             c < 2 ? "  " : "\n");
            }
        }
    if (std::fclose(file) != 0) fail(std::string("cannot write ") + path);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: obj2tri INPUT.obj OUTPUT.tri\n");
        return 2;
    }
    inputName = argv[1];
    std::vector<Vertex> vertices;
    std::vector<Face> faces;
    readObj(argv[1], vertices, faces);
    long long triangleCount = 0;
    for (const Face& face : faces) triangleCount += (long long)face.corners.size() - 2;
    if (triangleCount == 0) fail(inputName + ": no faces, nothing to convert");
    if (triangleCount > std::numeric_limits<int>::max())
        fail(inputName + ": more triangles than a triangle-object file can count");
    writeTri(argv[2], vertices, faces, triangleCount);
    std::printf("wrote %lld triangles to %s\n", triangleCount, argv[2]);
    return 0;
}
