// Your own polygon clipper, checked against clipdemo's.
//
// Reads test triangles in clip space (the text that `cliptrace triangles --text` writes, one
// triangle a line: ID x y z w x y z w x y z w) from the file named on the command line, or from
// standard input when none is named, runs each through the six passes of the clipper and writes
// the trace that `cliptrace check` reads, one line per triangle:
//
//     {"id": "r1", "passes": [P1, P2, P3, P4, P5, P6]}
//
// each P the polygon after that pass, a list of [x, y, z, w] vertices in your clipper's order.
//
//     c++ -std=c++17 -O2 -o clipper clipper.cpp
//     ./clipper triangles.txt > trace.jsonl
//
// Your part is clipToPlane below. As shipped, it hands the polygon back unchanged, so every
// triangle that some plane cuts is reported wrong, as `skipped`, at the first pass that cuts it.
// Standard library only.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

struct Vertex {
    double x, y, z, w;  // clip space
};
using Polygon = std::vector<Vertex>;

// The six planes in the order they are applied. A point (x, y, z, w) is inside the clip volume
// when -w <= x <= w, -w <= y <= w and -w <= z <= w, boundaries included.
enum Plane {
    Left,    // keeps x >= -w
    Right,   // keeps x <= w
    Bottom,  // keeps y >= -w
    Top,     // keeps y <= w
    Near,    // keeps z >= -w
    Far,     // keeps z <= w
};

// Clips polygon against one plane and returns the part that is inside.
//
// Write this. Walk the edges P -> Q (the last one closes the polygon back to its first vertex)
// and decide for each what to append to the output.
Polygon clipToPlane(const Polygon& polygon, Plane plane)
{
    (void)plane;
    return polygon;
}

// A number of the trace: JSON has no NaN or infinity, so those are written as strings.
std::string number(double value)
{
    if (std::isnan(value)) return "\"NaN\"";
    if (std::isinf(value)) return value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);  // enough digits to read back the same
    return text;
}

std::string polygonJson(const Polygon& polygon)
{
    std::string json = "[";
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vertex& v = polygon[i];
        json += (i ? ",[" : "[") + number(v.x) + "," + number(v.y) + "," + number(v.z) + "," +
                number(v.w) + "]";
    }
    return json + "]";
}

int main(int argc, char** argv)
{
    std::ifstream file;
    if (argc > 1) {
        file.open(argv[1]);
        if (!file) {
            std::cerr << "clipper: cannot open " << argv[1] << "\n";
            return 2;
        }
    }
    std::istream& in = argc > 1 ? file : std::cin;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id;
        if (!(fields >> id)) continue;
        Polygon polygon(3);
        for (Vertex& v : polygon) fields >> v.x >> v.y >> v.z >> v.w;
        std::string passes;
        for (int plane = Left; plane <= Far; ++plane) {
            polygon = clipToPlane(polygon, Plane(plane));
            passes += (plane == Left ? "" : ",") + polygonJson(polygon);
        }
        std::cout << "{\"id\":\"" << id << "\",\"passes\":[" << passes << "]}\n";
    }
    return 0;
}
