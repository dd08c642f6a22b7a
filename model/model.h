// model/: the triangle mesh. A TriObj reads a triangle-object text file (a count, then three
// "x y z" corners per triangle, free layout) and gives every triangle its unit face normal and
// one colour; buildMeshArrays flattens it into the MeshArrays every frame works from.
//
// The file format: a decimal triangle count N (optional sign), then 9N decimal numbers, the x, y,
// z of corners 0, 1, 2 of each triangle in turn, model space. Any run of blanks, tabs, carriage
// returns and line feeds separates two numbers; whatever follows the 9N-th number is never read.
// Numbers are read as "%d" and "%f" read them (optional sign, fraction and exponent; also
// "inf", "nan" and hexadecimal forms) and give the same bits. Each number runs to the next white
// space and must be one number in full: "1,2" or "0.5cm" is a fault, not a number and a rest.
//
// Reading is split in two: the parse functions below work on text in memory, report what is
// wrong and never print or exit, so they can be tested and fuzzed on their own; TriObj::load
// opens the file, prints and exits around them.
#pragma once

#include "math/vecmath.h"

#include <cstddef>
#include <string>

// One triangle of a TriObj.
struct Triangle {
    Vector3 vertices[3];      // corners in file order, model space
    Vector3 normal;           // unit face normal, right-hand rule over corners 0, 1, 2
    unsigned char color[3];   // red, green, blue
};

// The triangles of one loaded file. Owns its array.
class TriObj {
public:
    // Loads fileName (see load).
    TriObj(const char* fileName, unsigned char red, unsigned char green, unsigned char blue);
    ~TriObj();
    TriObj(const TriObj&) = delete;
    TriObj& operator=(const TriObj&) = delete;

    // Reads the file, printing "Reading in <name> (<count> triangles). . ." once the count is
    // read, then gives every triangle the colour and its face normal. A file that cannot be
    // opened or read, or that the parse functions below find fault with, prints one error line
    // on standard output (after the loading line when the count was read) and ends the process
    // with status 1; nothing is allocated for a count the file cannot hold.
    void load(const char* fileName, unsigned char red, unsigned char green, unsigned char blue);
    // normal = the unit normal of the triangle v0, v1, v2 (right-hand rule); NaN for zero area.
    void faceNormal(Vector3& normal, const Vector3& v0, const Vector3& v1, const Vector3& v2);

    Triangle* triangles;  // count records, allocated by load
    int count;            // the triangle count as read from the file
};

// The flat per-triangle arrays drawn every frame; triangle i's corners are entries 3i, 3i + 1,
// 3i + 2 of the vertex arrays. Allocated once at start-up, never freed.
struct MeshArrays {
    int triangleCount;
    Vector4* modelVertices;   // 3 per triangle, model space, w = 1
    Vector3* modelNormals;    // 1 per triangle, model space, unit length
    unsigned char* colors;    // 3 bytes per triangle: red, green, blue
    Vector4* sceneVertices;   // 3 per triangle, the simulated camera's eye space; set per frame
    Vector3* sceneNormals;    // 1 per triangle, eye space, length 0.2; set per frame
};

// The mesh every frame draws; filled by the mesh set-up in main.
extern MeshArrays meshArrays;

// Copies object's triangles into newly allocated model arrays (vertices with w = 1, normals,
// colours) and stores the arrays and the count through the pointers. The copies outlive object.
void buildMeshArrays(const TriObj& object, Vector4** modelVertices, int* triangleCount,
                     Vector3** modelNormals, unsigned char** colors);

// Why parsing a triangle-object text stopped.
enum class TriFault {
    none,             // all is well so far
    countMissing,     // the text holds nothing but white space
    countNotANumber,  // the first number is not a whole decimal number
    countOutOfRange,  // the count does not fit in a 32-bit integer
    countNegative,    // the count is below zero
    countTooLarge,    // the rest of the text cannot hold that many triangles
    dataEndsEarly,    // the text ends before the last triangle's last coordinate
    notANumber,       // something other than a number where a coordinate is expected
};

// A triangle-object text in memory and how far parsing has got. The text is not copied: it must
// outlive the parser. Make one with startTriParse.
struct TriParser {
    const char* begin;     // the text's first character
    const char* next;      // the first character not yet read
    const char* end;       // one past the text's last character
    TriFault fault;        // why parsing stopped; none while all is well
    const char* faultAt;   // where the offending number starts (the end for missing data)
    std::string faultText; // the offending number as written, cut short, or empty
    int count;             // the triangle count, once read
    int triangle;          // 1-based triangle in which parsing stopped, 0 before any
};

TriParser startTriParse(const char* text, std::size_t size);

// Reads the triangle count and checks it: not negative, and at most as many triangles as the
// rest of the text can hold (every triangle takes at least 18 characters: nine numbers, each
// after at least one separator), so a caller may allocate count records safely. On a fault,
// returns false and sets parser.fault; count is then set only if a whole number was read.
bool parseTriCount(TriParser& parser, int& count);

// Reads the corners of count triangles into triangles[0 .. count - 1], in file order; fills
// only their vertices. Returns false at the first fault (the records from there on are left as
// they were). Text after the last corner is not looked at.
bool parseTriangles(TriParser& parser, int count, Triangle* triangles);

// The one-line error for a parser stopped by a fault, naming the file in square brackets;
// without the line break.
std::string describeTriFault(const TriParser& parser, const char* fileName);
