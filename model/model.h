// model/: the triangle mesh. A TriObj reads a triangle-object text file (a count, then three
// "x y z" corners per triangle, free layout) and gives every triangle its unit face normal and
// one colour; buildMeshArrays flattens it into the MeshArrays every frame works from.
//
// The file format: a decimal triangle count N (optional sign), then 9N numbers, the x, y, z of
// corners 0, 1, 2 of each triangle in turn, model space. Whatever follows the 9N-th number is
// never read. The numbers are read exactly as the C library's fscanf reads them with "%f",
// quirks included, and get the same bits:
// - white space (blanks, tabs, carriage returns, line feeds, vertical tabs, form feeds) before a
//   number is skipped, and none is needed where a number cannot go on: "0.5-0.25" is 0.5 and
//   -0.25, "1.0.5" is 1.0 and 0.5;
// - decimal, exponent, hexadecimal ("0x1p3"), "inf", "infinity" and "nan" forms, any sign;
// - the scanner takes the longest run that can begin a number and converts the part that is
//   one, dropping the rest: "1e 2" is 1 and 2 (the "e" is taken), "0x." is 0;
// - "nan(1)" and "-nan(1)" are a NaN (and a negative one) followed by "(1)", which is not a
//   number: a fault if another number is needed, never read if the NaN was the last one.
// Where "%f" fails (nothing there that begins a number), the file is refused, and so is a number
// longer than longestTriNumber characters (the count too), which "%f" would read on: a device
// sending one endless number must not take all memory. The limit is the number's own length,
// the same wherever it starts, in memory and in a file. The count is stricter than "%d": a
// whole decimal number that fits in 32 bits, not negative, followed by white space or the end of
// the file ("4032.0" and "12abc" are refused, where "%d" would read 12 and shift every number
// after it), and no more than the rest of a file of known size can hold.
//
// Reading is split in two: the parse functions below read text, from memory or from an open
// file a chunk at a time, report what is wrong and never print or exit, so they can be tested
// and fuzzed on their own; TriObj::load opens the file, prints and exits around them.
//
// The files: model/tri_parser.cpp holds the parse functions (the number scanner and the chunked
// reader); model/model.cpp holds TriObj and the loader's messages (describeTriFault too), the
// face normal and buildMeshArrays.
#pragma once

#include "math/vecmath.h"

#include <cstddef>
#include <cstdio>
#include <memory>
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
    notANumber,       // something that does not begin a number where a coordinate is expected
    readError,        // the file could not be read to its end
};

// Text is read from a file this many bytes at a time, and no further than the chunk that holds
// the last number needed.
constexpr std::size_t triReadChunk = 1 << 16;
// The size to give startTriFileParse when the file's length is not known (a pipe, a device).
constexpr std::size_t unknownTriSize = std::size_t(-1);
// The most characters one number, the count included, may take.
constexpr std::size_t longestTriNumber = std::size_t(1) << 20;

// A triangle-object text being parsed, from memory or from a file. It holds a window of the
// text: for text in memory the whole of it, for a file the chunks read and not yet passed.
// Make one with startTriParse or startTriFileParse and do not copy it.
struct TriParser {
    const char* memory;       // the text in memory, or null when reading a file
    std::FILE* file;          // the file read from, or null
    std::size_t chunk;        // bytes asked of the file at a time
    std::unique_ptr<char[]> buffer;  // the file's window
    std::size_t capacity;     // bytes the buffer holds
    std::size_t next;         // the first character of the window not yet read
    std::size_t end;          // one past the window's last character
    bool atEnd;               // nothing follows the window
    bool readFailed;          // the file could not be read to its end
    std::size_t passed;       // characters of the text before the window
    long passedLines;         // line breaks among them
    std::size_t size;         // the text's length when known, else unknownTriSize
    TriFault fault;           // why parsing stopped; none while all is well
    std::size_t faultOffset;  // where in the text the offending number starts
    long faultLine;           // the 1-based line it is on
    std::string faultText;    // the offending number as written, cut short, or empty; from a
                              // file of unknown size, only as far as it had arrived
    int count;                // the triangle count, once read
    int triangle;             // 1-based triangle in which parsing stopped, 0 before any
    int done;                 // triangles read so far
    std::size_t work;         // characters scanned, and moved in the window, so far: in
                              // proportion to the text's length however it arrives
};

// Parses text[0 .. size - 1], which must outlive the parser.
TriParser startTriParse(const char* text, std::size_t size);
// Parses what file holds from where it stands, reading it chunk bytes at a time. size is its
// length when known (a regular file), for the count's check, else unknownTriSize; then the file
// is read through its descriptor, where it has one, taking what has arrived as soon as anything
// has, so numbers a writer has sent are read while it pauses, and a fault is reported without
// waiting for more. The file must not have been read from (no fgetc, fscanf or fread before):
// the descriptor is read past whatever the C library has already taken into its own buffer,
// which would be skipped. The file stays open; the caller closes it.
TriParser startTriFileParse(std::FILE* file, std::size_t size = unknownTriSize,
                            std::size_t chunk = triReadChunk);

// Reads the triangle count and checks it: not negative, and, where the text's length is known,
// at most as many triangles as the rest of it can hold (every triangle takes at least 18
// characters, see tri_parser.cpp), so a caller may allocate count records safely. On a fault,
// returns false and sets parser.fault; count is then set only if a whole number was read.
bool parseTriCount(TriParser& parser, int& count);

// Reads the next triangle's corners into triangle.vertices; fills nothing else. Returns false at
// a fault, leaving triangle as it was.
bool parseTriangle(TriParser& parser, Triangle& triangle);

// Reads the corners of count triangles into triangles[0 .. count - 1], in file order; fills
// only their vertices. Returns false at the first fault (the records from there on are left as
// they were). Text after the last corner is not looked at.
bool parseTriangles(TriParser& parser, int count, Triangle* triangles);

// The one-line error for a parser stopped by a fault, naming the file in square brackets;
// without the line break.
std::string describeTriFault(const TriParser& parser, const char* fileName);
