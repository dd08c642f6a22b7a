// Plot frames and what is drawn on and beside them, for the figure library: views of a
// coordinate plane (u to the right, v up) in a pixel rectangle, ticks and grids, notes, vertex
// markers and labels, vertex tables and legends. Internal to figures/.
#pragma once

#include "figures/svg.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace fig {

// Colours, named for what they mean on every figure.
inline constexpr const char* insideFill = "#dde9f7";     // inside the pass's plane
inline constexpr const char* wedgeFill = "#b9d3f0";      // inside both planes of the axis
inline constexpr const char* planeStroke = "#1f4e9c";    // a clip plane
inline constexpr const char* beforeFill = "#9e9e9e";     // the polygon given to a pass
inline constexpr const char* afterFill = "#43a047";      // the polygon a clip gave back
inline constexpr const char* afterStroke = "#1b5e20";
inline constexpr const char* naiveFill = "#e53935";      // the triangle divided before clipping
inline constexpr const char* naiveStroke = "#b71c1c";
inline constexpr const char* lostFill = "#8e24aa";       // what the mismatch's near plane loses
inline constexpr const char* droppedStroke = "#d32f2f";  // a vertex outside the plane
inline constexpr const char* cutFill = "#fb8c00";        // a vertex made by a cut
inline constexpr const char* cutStroke = "#e65100";

// How a vertex of a figure came about, found by comparing the clipper's input and output bit for
// bit.
enum class VertexKind {
    Kept,     // an input vertex that is also in the output
    Dropped,  // an input vertex that is not in the output: it was outside
    Cut,      // an output vertex that is not an input vertex: made on the plane by this clip
    Given,    // a vertex of a question, drawn the same whichever side it lies on
};
const char* kindName(VertexKind kind);  // "kept", "dropped", "cut"; "" for a question's

// A rectangle of a coordinate plane (u to the right, v up) drawn into a pixel rectangle with one
// scale for both axes, so that the planes c = w and c = -w show at 45 degrees.
struct View {
    double left, top, width, height;  // the plot, in pixels
    double uMin, uMax, vMin, vMax;    // what it shows
    double scale;                     // pixels per unit
    double smallText = 12;            // the tick labels' size, pixels
};

double toX(const View& view, double u);
double toY(const View& view, double v);
bool onPlot(const View& view, Point p);
View fitView(double left, double top, double width, double height, double uMin, double uMax,
             double vMin, double vMax);
void plotClip(std::string& svg, const View& view, const std::string& id);
std::vector<long long> ticks(double lo, double hi, double step);
void grid(std::string& svg, const View& view, const std::string& uName, const std::string& vName);
std::vector<Point> toPixels(const View& view, const std::vector<std::pair<double, double>>& uv);
void plotNote(std::string& svg, const View& view, const std::vector<std::string>& lines,
              bool centred);

struct Segment {
    Point a, b;  // pixels
};

void marker(std::string& svg, Point p, VertexKind kind);
double length(double dx, double dy);
double distance(Point p, Point q);
std::vector<Segment> edges(const std::vector<Point>& points);
void vertexLabels(std::string& svg, const std::vector<Point>& vertices,
                  const std::vector<std::string>& labels, const std::vector<Segment>& obstacles);

// A table of vertices below a plot, seven columns: the place in the list, the name, four values
// (right-aligned) and a word; bold marks the columns the plot shows.
struct Table {
    std::vector<std::string> headers;
    std::vector<bool> shown;                    // per column: drawn in the plot
    std::vector<std::vector<std::string>> rows;
};
inline constexpr double tableRowHeight = 16;
void table(std::string& svg, double left, double top, const Table& t);
// The table with only the values its plot shows, beside the place, the name and the word.
Table shownColumns(const Table& t);

// A legend entry's symbol, 24 pixels wide, centred on (x + 12, y).
enum class Swatch { Inside, Wedge, Plane, OtherPlane, Kept, Dropped, Cut, Before, After, Naive,
                    Face, Edge, Attribute, Lost, Band, Given };
struct LegendEntry {
    Swatch swatch;
    std::string label;
};
inline constexpr double legendRowHeight = 20;
void legend(std::string& svg, double left, double top, double columnWidth, int columns,
            const std::vector<LegendEntry>& entries);
double legendHeight(std::size_t entries, int columns);

} // namespace fig
