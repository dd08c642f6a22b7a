// model/: the triangle mesh. A TriObj reads a triangle-object text file (a count, then three
// "x y z" corners per triangle, free layout) and gives every triangle its unit face normal and
// one colour; buildMeshArrays flattens it into the MeshArrays every frame works from.
#pragma once

#include "math/vecmath.h"

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
    // read. A file that cannot be opened or read prints one error line on standard output and
    // ends the process with status 1.
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

extern MeshArrays meshArrays;

// Copies object's triangles into newly allocated model arrays (vertices with w = 1, normals,
// colours) and stores the arrays and the count through the pointers. The copies outlive object.
void buildMeshArrays(const TriObj& object, Vector4** modelVertices, int* triangleCount,
                     Vector3** modelNormals, unsigned char** colors);
