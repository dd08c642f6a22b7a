// What is drawn on and beside a plot: vertex markers and their labels, vertex tables, legends.
// See plot.h.
#include "figures/plot.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace fig {

// A vertex marker: a dot for a kept vertex, a hollow red ring for a dropped one, an orange
// diamond for a cut one; a question's vertex a dark square, the same on either side of the plane.
void marker(std::string& svg, Point p, VertexKind kind)
{
    switch (kind) {
    case VertexKind::Kept:
        svg += "<circle cx=\"" + px(p.x) + "\" cy=\"" + px(p.y) +
               "\" r=\"4.5\" fill=\"#212121\" stroke=\"#ffffff\" stroke-width=\"1\"/>\n";
        break;
    case VertexKind::Dropped:
        svg += "<circle cx=\"" + px(p.x) + "\" cy=\"" + px(p.y) +
               "\" r=\"5\" fill=\"#ffffff\" stroke=\"" + droppedStroke +
               "\" stroke-width=\"2.2\"/>\n";
        break;
    case VertexKind::Cut:
        polygon(svg, {{p.x, p.y - 6.5}, {p.x + 6.5, p.y}, {p.x, p.y + 6.5}, {p.x - 6.5, p.y}},
                std::string("fill=\"") + cutFill + "\" stroke=\"" + cutStroke +
                    "\" stroke-width=\"1.2\"");
        break;
    case VertexKind::Given:
        rect(svg, p.x - 4, p.y - 4, 8, 8, "fill=\"#212121\" stroke=\"#ffffff\" stroke-width=\"1\"");
        break;
    }
}

// Lengths by sqrt, which IEEE arithmetic rounds exactly everywhere (hypot it does not).
double length(double dx, double dy)
{
    return std::sqrt(dx * dx + dy * dy);
}

double distance(Point p, Point q)
{
    return length(p.x - q.x, p.y - q.y);
}

double distanceToSegment(Point p, const Segment& s)
{
    const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
    const double lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0 ? ((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / lengthSquared : 0;
    t = std::clamp(t, 0.0, 1.0);
    return distance(p, Point{s.a.x + t * dx, s.a.y + t * dy});
}

// The edges of a closed polygon, in pixels.
std::vector<Segment> edges(const std::vector<Point>& points)
{
    std::vector<Segment> result;
    for (std::size_t i = 0; i < points.size(); ++i) {
        result.push_back({points[i], points[(i + 1) % points.size()]});
    }
    return result;
}

// The 24 directions a label may take from its vertex, k * 15 degrees clockwise on the page from
// the right (x, y down): a table rather than cos and sin, whose last bits differ between
// libraries. The first quarter, turned by 90 degrees for the others.
Point labelDirection(int k)
{
    static const Point quarter[6] = {
        {1, 0},
        {0.96592582628906831, 0.25881904510252074},
        {0.86602540378443865, 0.5},
        {0.70710678118654757, 0.70710678118654757},
        {0.5, 0.86602540378443865},
        {0.25881904510252074, 0.96592582628906831},
    };
    const Point d = quarter[k % 6];
    switch (k / 6) {
    case 0: return d;
    case 1: return {-d.y, d.x};
    case 2: return {-d.x, -d.y};
    default: return {d.y, -d.x};
    }
}

// Labels the vertices: vertex i gets labels[i]. Vertices that fall on one pixel (an edge-on
// polygon can put two there) share one label, "2, a". Each label goes to the spot around
// its vertex that keeps furthest from the other vertices, the drawn lines and the labels placed
// before it, preferring the side away from the polygon's centre.
void vertexLabels(std::string& svg, const std::vector<Point>& vertices,
                  const std::vector<std::string>& labels, const std::vector<Segment>& obstacles)
{
    std::vector<std::pair<Point, std::string>> groups;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        bool joined = false;
        for (auto& group : groups) {
            if (distance(group.first, vertices[i]) < 3) {
                group.second += ", " + labels[i];
                joined = true;
                break;
            }
        }
        if (!joined) groups.push_back({vertices[i], labels[i]});
    }
    Point centre{0, 0};
    for (const Point& v : vertices) {
        centre.x += v.x / vertices.size();
        centre.y += v.y / vertices.size();
    }

    std::vector<Point> placed;
    for (const auto& [vertex, label] : groups) {
        const double radius = label.size() > 2 ? 20 : 14;
        double outX = vertex.x - centre.x, outY = vertex.y - centre.y;
        const double outLength = length(outX, outY);
        if (outLength > 1e-6) {
            outX /= outLength;
            outY /= outLength;
        }
        Point best{};
        double bestScore = -1e300;
        for (int k = 0; k < 24; ++k) {
            const Point direction = labelDirection(k);
            const double dx = direction.x, dy = direction.y;
            const Point at{vertex.x + radius * dx, vertex.y + radius * dy};
            double clearance = 1e300;
            for (const Point& v : vertices) clearance = std::min(clearance, distance(at, v));
            for (const Segment& segment : obstacles) {
                clearance = std::min(clearance, distanceToSegment(at, segment) + 3);
            }
            for (const Point& other : placed) {
                clearance = std::min(clearance, distance(at, other) - 6);
            }
            const double score = std::min(clearance, 14.0) + 2 * (dx * outX + dy * outY);
            if (score > bestScore + 1e-9) {
                bestScore = score;
                best = at;
            }
        }
        placed.push_back(best);
        text(svg, best.x, best.y + 4.5, label, {13, "bold", "middle", "#000000", false, true});
    }
}

const char* kindName(VertexKind kind)
{
    switch (kind) {
    case VertexKind::Kept: return "kept";
    case VertexKind::Dropped: return "dropped";
    case VertexKind::Cut: return "cut";
    case VertexKind::Given: return "";
    }
    return "";
}

Table shownColumns(const Table& t)
{
    Table shown;
    for (std::size_t c = 0; c < t.headers.size(); ++c) {
        const bool number = c >= 2 && c + 1 < t.headers.size();
        if (number && !t.shown[c]) continue;
        shown.headers.push_back(t.headers[c]);
        shown.shown.push_back(t.shown[c]);
    }
    for (const std::vector<std::string>& row : t.rows) {
        std::vector<std::string> kept;
        for (std::size_t c = 0; c < row.size() && c < t.headers.size(); ++c) {
            const bool number = c >= 2 && c + 1 < t.headers.size();
            if (!number || t.shown[c]) kept.push_back(row[c]);
        }
        shown.rows.push_back(kept);
    }
    return shown;
}

void table(std::string& svg, double left, double top, const Table& t)
{
    // Where each column's text is anchored: the place's right edge; the name's left edge, room
    // for "corner 2"; the numbers' right edges, 60 pixels apart, room for eight characters; the
    // word's left edge. With four numbers the whole fits 376 pixels (a screen figure's 390 less
    // the table's left margin).
    const std::size_t columns = t.headers.size();
    for (std::size_t c = 0; c < columns; ++c) {
        const bool word = c + 1 == columns && c >= 2;
        const bool rightAligned = c != 1 && !word;
        const double at = c == 0 ? 12 : c == 1 ? 20 : word ? 76 + 60 * double(c - 2) + 8
                                                           : 76 + 60 * double(c - 1);
        TextStyle style{12, t.shown[c] ? "bold" : "", rightAligned ? "end" : "", "#616161",
                        true};
        const double x = left + at;
        text(svg, x, top, t.headers[c], style);
        for (std::size_t r = 0; r < t.rows.size(); ++r) {
            style.fill = "#212121";
            text(svg, x, top + (r + 1) * tableRowHeight, t.rows[r][c], style);
        }
    }
}

void swatch(std::string& svg, double x, double y, Swatch kind)
{
    const std::string plane = std::string("stroke=\"") + planeStroke + "\"";
    switch (kind) {
    case Swatch::Inside:
        rect(svg, x, y - 7, 24, 14, std::string("fill=\"") + insideFill + "\" stroke=\"#9e9e9e\"");
        break;
    case Swatch::Wedge:
        rect(svg, x, y - 7, 24, 14, std::string("fill=\"") + wedgeFill + "\" stroke=\"#9e9e9e\"");
        break;
    case Swatch::Plane: line(svg, x, y, x + 24, y, plane + " stroke-width=\"2.5\""); break;
    case Swatch::Edge:
        line(svg, x + 2, y, x + 22, y,
             "stroke=\"#6a1b9a\" stroke-width=\"4\" stroke-linecap=\"round\"");
        break;
    case Swatch::OtherPlane:
        line(svg, x, y, x + 24, y, plane + " stroke-width=\"1.2\" stroke-dasharray=\"5 4\"");
        break;
    case Swatch::Kept: marker(svg, {x + 12, y}, VertexKind::Kept); break;
    case Swatch::Dropped: marker(svg, {x + 12, y}, VertexKind::Dropped); break;
    case Swatch::Cut: marker(svg, {x + 12, y}, VertexKind::Cut); break;
    case Swatch::Given: marker(svg, {x + 12, y}, VertexKind::Given); break;
    case Swatch::Before:
        rect(svg, x, y - 7, 24, 14,
             "fill=\"none\" stroke=\"#616161\" stroke-width=\"1.2\" stroke-dasharray=\"4 3\"");
        break;
    case Swatch::After:
        rect(svg, x, y - 7, 24, 14,
             std::string("fill=\"") + afterFill + "\" fill-opacity=\"0.35\" stroke=\"" +
                 afterStroke + "\" stroke-width=\"1.5\"");
        break;
    case Swatch::Naive:
        rect(svg, x, y - 7, 24, 14,
             std::string("fill=\"") + naiveFill + "\" fill-opacity=\"0.35\" stroke=\"" +
                 naiveStroke + "\" stroke-width=\"1.5\"");
        break;
    case Swatch::Attribute:  // u from light to dark
        for (int k = 0; k < 3; ++k) {
            static const char* const greys[3] = {"#ebebeb", "#8c8c8c", "#2d2d2d"};
            svg += "<circle cx=\"" + px(x + 4 + 8 * k) + "\" cy=\"" + px(y) + "\" r=\"4\" fill=\"" +
                   greys[k] + "\" stroke=\"#424242\" stroke-width=\"1\"/>\n";
        }
        break;
    case Swatch::Lost:
        rect(svg, x, y - 7, 24, 14,
             std::string("fill=\"") + lostFill + "\" fill-opacity=\"0.45\" stroke=\"" +
                 naiveStroke + "\" stroke-width=\"1.5\"");
        break;
    case Swatch::Band:
        rect(svg, x, y - 7, 24, 14,
             std::string("fill=\"none\" stroke=\"") + planeStroke +
                 "\" stroke-width=\"1.2\" stroke-dasharray=\"5 4\"");
        break;
    case Swatch::Face:
        rect(svg, x, y - 7, 24, 14,
             std::string("fill=\"") + insideFill + "\" stroke=\"" + planeStroke +
                 "\" stroke-width=\"1.5\"");
        break;
    }
}

// Entries in columns of the given width, filled row by row.
void legend(std::string& svg, double left, double top, double columnWidth, int columns,
            const std::vector<LegendEntry>& entries)
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const double x = left + (i % columns) * columnWidth;
        const double y = top + (i / columns) * legendRowHeight;
        swatch(svg, x, y, entries[i].swatch);
        text(svg, x + 32, y + 4.5, entries[i].label, {12});
    }
}

double legendHeight(std::size_t entries, int columns)
{
    return double((entries + columns - 1) / columns) * legendRowHeight;
}

} // namespace fig
