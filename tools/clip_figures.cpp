// The figure library: see clip_figures.h for what goes in and what comes out.
//
// A triangle, given in the simulated camera's eye space, is projected into clip space with
// matFrustum and the program's frustum, then clipped twice: plane by plane with clipToPlane, in
// the order of ClipPlane, for one figure per pass, and whole with clipToFrustum, for the final
// figure. The figures take the clipper's word for what is inside: they compare its input and
// output bit for bit, they do not test the planes themselves.
//
// Same bytes everywhere: every printed number goes through snprintf with a fixed format in the C
// locale (the program never changes the locale), and is computed with IEEE arithmetic and sqrt
// alone. The directions tried for a label come from a table, not from cos and sin, and tick
// spacings from exact powers of ten, not from pow: a library's last bit must not move a label.
//
// Bounded whatever the triangle: a point at infinity (divided by w = 0) is left out with a note,
// polygons are cut at drawLimit pixels and every printed coordinate is finite and within ten
// times that, tick spacings scale with the view so a plot never has more than a few dozen ticks,
// and a polygon has at most clipFrustumCapacity(3) vertices.
#include "tools/clip_figures.h"

#include "clip/clip.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Polygon = ClipPolygon;

// ---------------------------------------------------------------------------------------------
// What the figures show

// One clip plane as the figures show it: the coordinate it bounds against w.
struct PlaneInfo {
    ClipPlane plane;
    const char* enumerator;      // the name in clip/clip.h
    const char* fileName;        // the part of the figure's file name
    const char* axis;            // "x", "y" or "z": the view is this coordinate against w
    float Vector4::*coordinate;  // the same coordinate, as a member
    bool upper;                  // the plane is c = w, inside c <= w; else c = -w, inside c >= -w
};

// In the order of ClipPlane, which is the order clipToFrustum applies them in.
const PlaneInfo planeInfos[6] = {
    {ClipLeft, "ClipLeft", "left", "x", &Vector4::x, false},
    {ClipRight, "ClipRight", "right", "x", &Vector4::x, true},
    {ClipBottom, "ClipBottom", "bottom", "y", &Vector4::y, false},
    {ClipTop, "ClipTop", "top", "y", &Vector4::y, true},
    {ClipNear, "ClipNear", "near", "z", &Vector4::z, false},
    {ClipFar, "ClipFar", "far", "z", &Vector4::z, true},
};

// How a vertex of a figure came about, found by comparing the clipper's input and output bit for
// bit.
enum class VertexKind {
    Kept,     // an input vertex that is also in the output
    Dropped,  // an input vertex that is not in the output: it was outside
    Cut,      // an output vertex that is not an input vertex: made on the plane by this clip
};

bool sameBits(const Vector4& a, const Vector4& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool contains(const Polygon& polygon, const Vector4& v)
{
    for (const Vector4& p : polygon) {
        if (sameBits(p, v)) return true;
    }
    return false;
}

bool sameBits(const Polygon& a, const Polygon& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!sameBits(a[i], b[i])) return false;
    }
    return true;
}

// The kinds of the vertices of the polygon given to a clip.
std::vector<VertexKind> inputKinds(const Polygon& input, const Polygon& output)
{
    std::vector<VertexKind> kinds;
    for (const Vector4& v : input) {
        kinds.push_back(contains(output, v) ? VertexKind::Kept : VertexKind::Dropped);
    }
    return kinds;
}

// The kinds of the vertices of the polygon a clip gave back.
std::vector<VertexKind> outputKinds(const Polygon& input, const Polygon& output)
{
    std::vector<VertexKind> kinds;
    for (const Vector4& v : output) {
        kinds.push_back(contains(input, v) ? VertexKind::Kept : VertexKind::Cut);
    }
    return kinds;
}

// The mesh pass's projection: the simulated camera's eye space to clip space.
Matrix4 projection()
{
    Matrix4 matrix;
    matFrustum(matrix, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
               frustum.far);
    return matrix;
}

// The triangle's corners in clip space, as the mesh pass projects them.
Polygon project(const float corners[9])
{
    const Matrix4 matrix = projection();
    Polygon clip(3);
    for (int k = 0; k < 3; ++k) {
        const Vector4 eye = {corners[3 * k], corners[3 * k + 1], corners[3 * k + 2], 1.0f};
        matTransformPoint(clip[k], matrix, eye);
    }
    return clip;
}

Polygon clipOnePlane(const Polygon& input, ClipPlane plane)
{
    Polygon output(static_cast<std::size_t>(clipPassCapacity(static_cast<int>(input.size()))));
    const int count =
        clipToPlane(input.data(), static_cast<int>(input.size()), output.data(), plane);
    output.resize(static_cast<std::size_t>(count));
    return output;
}

Polygon clipWhole(const Polygon& input)
{
    Vector4* result = nullptr;
    const int count = clipToFrustum(input.data(), static_cast<int>(input.size()), &result);
    Polygon output(result, result + count);
    delete[] result;
    return output;
}

// The point the simulated camera sees: x/w, y/w, z/w. The division is what the figures warn
// about; it is only ever done here for drawing. With w = 0 (or w so small that the quotient
// leaves the float range) the point lies at infinity and has no place in a plot.
Vector4 divided(const Vector4& v)
{
    return {float(double(v.x) / v.w), float(double(v.y) / v.w), float(double(v.z) / v.w), 1.0f};
}

bool finite(double u, double v)
{
    return std::isfinite(u) && std::isfinite(v);
}

// ---------------------------------------------------------------------------------------------
// SVG text

// How far from the figure's origin anything is drawn, in pixels. Far beyond every figure's edge,
// so that what is cut there never shows, yet small enough for any renderer's arithmetic.
const double drawLimit = 1e5;

// A number with a fixed count of decimals; a negative zero prints as zero. Callers pass finite
// values; anything else prints as 0, so that no document ever holds "nan".
std::string num(double value, int decimals)
{
    if (!std::isfinite(value)) value = 0;
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string s = text;
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

// printf's "%g" text with the exponent written short: "1.5e+06" as "1.5e6", "2.5e-07" as
// "2.5e-7".
std::string shortExponent(const std::string& s)
{
    const std::size_t e = s.find('e');
    if (e == std::string::npos) return s;
    std::string exponent = s.substr(e + 1);
    const bool negative = exponent[0] == '-';
    exponent.erase(0, exponent.find_first_not_of("+-0"));
    return s.substr(0, e + 1) + (negative ? "-" : "") + (exponent.empty() ? "0" : exponent);
}

// A number to a few significant digits with a short exponent: "1.67e6", "2.5e-7".
std::string compact(double value, int digits)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return shortExponent(text);
}

// Pixel positions.
std::string px(double value)
{
    return num(std::clamp(value, -10 * drawLimit, 10 * drawLimit), 2);
}

// Vertex values, in tables: four decimals, fewer for large values so that a value keeps within
// its column (eight characters), and a short exponent beyond that.
std::string value(double v)
{
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "∞" : "−∞";
    const double magnitude = std::fabs(v);
    if (magnitude < 100) return num(v, 4);
    if (magnitude < 1000) return num(v, 3);
    if (magnitude < 10000) return num(v, 2);
    if (magnitude < 100000) return num(v, 1);
    return compact(v, 3);
}

// Text as XML character data; control characters, which XML 1.0 does not allow, as spaces.
std::string escaped(const std::string& raw)
{
    std::string out;
    for (char c : raw) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        default: out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        }
    }
    return out;
}

const char* const sansFont = "DejaVu Sans, Helvetica, Arial, sans-serif";
const char* const monoFont = "DejaVu Sans Mono, Menlo, Consolas, monospace";

struct TextStyle {
    double size = 13;          // pixels
    const char* weight = "";   // "" or "bold"
    const char* anchor = "";   // "" (start), "middle" or "end"
    const char* fill = "#212121";
    bool mono = false;
    bool halo = false;         // a white outline behind the glyphs, for labels over drawing
};

void text(std::string& svg, double x, double y, const std::string& content, const TextStyle& style)
{
    svg += "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" font-size=\"" + num(style.size, 0) + "\"";
    if (style.mono) svg += std::string(" font-family=\"") + monoFont + "\"";
    if (*style.weight) svg += std::string(" font-weight=\"") + style.weight + "\"";
    if (*style.anchor) svg += std::string(" text-anchor=\"") + style.anchor + "\"";
    svg += std::string(" fill=\"") + style.fill + "\"";
    if (style.halo) {
        svg += " stroke=\"#ffffff\" stroke-width=\"3\" stroke-linejoin=\"round\" "
               "paint-order=\"stroke\"";
    }
    svg += ">" + escaped(content) + "</text>\n";
}

void line(std::string& svg, double x1, double y1, double x2, double y2, const std::string& attrs)
{
    svg += "<line x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" + px(x2) + "\" y2=\"" +
           px(y2) + "\" " + attrs + "/>\n";
}

void rect(std::string& svg, double x, double y, double w, double h, const std::string& attrs)
{
    svg += "<rect x=\"" + px(x) + "\" y=\"" + px(y) + "\" width=\"" + px(w) + "\" height=\"" +
           px(h) + "\" " + attrs + "/>\n";
}

struct Point {
    double x, y;  // pixels, y down
};

// The part of a polygon within drawLimit of the origin on both axes (one clipping pass per side
// of that square). A polygon already inside comes back as it is.
std::vector<Point> withinDrawLimit(const std::vector<Point>& points)
{
    const auto inside = [](const Point& p) {
        return std::fabs(p.x) <= drawLimit && std::fabs(p.y) <= drawLimit;
    };
    if (std::all_of(points.begin(), points.end(), inside)) return points;
    std::vector<Point> polygon = points;
    for (int side = 0; side < 4; ++side) {
        // Side 0: x <= limit, 1: x >= -limit, 2: y <= limit, 3: y >= -limit.
        const double sign = side % 2 == 0 ? 1 : -1;
        const auto distance = [&](const Point& p) {
            return drawLimit - sign * (side < 2 ? p.x : p.y);  // >= 0 inside
        };
        std::vector<Point> out;
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const Point& p = polygon[i];
            const Point& q = polygon[(i + 1) % polygon.size()];
            const double dp = distance(p), dq = distance(q);
            if ((dp < 0) != (dq < 0)) {
                const double t = dp / (dp - dq);
                out.push_back({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t});
            }
            if (dq >= 0) out.push_back(q);
        }
        polygon = out;
    }
    return polygon;
}

void polygon(std::string& svg, const std::vector<Point>& shape, const std::string& attrs)
{
    const std::vector<Point> points = withinDrawLimit(shape);
    svg += "<polygon points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i) svg += " ";
        svg += px(points[i].x) + "," + px(points[i].y);
    }
    svg += "\" " + attrs + "/>\n";
}

std::string svgStart(double width, double height, const std::string& title)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(width) + "\" height=\"" +
           px(height) + "\" viewBox=\"0 0 " + px(width) + " " + px(height) +
           "\" font-family=\"" + sansFont + "\">\n<title>" + escaped(title) + "</title>\n" +
           "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
}

// ---------------------------------------------------------------------------------------------
// Plots

// Colours, named for what they mean on every figure.
const char* const insideFill = "#dde9f7";       // inside the pass's plane
const char* const wedgeFill = "#b9d3f0";        // inside both planes of the axis
const char* const planeStroke = "#1f4e9c";      // a clip plane
const char* const beforeFill = "#9e9e9e";       // the polygon given to a pass
const char* const afterFill = "#43a047";        // the polygon a clip gave back
const char* const afterStroke = "#1b5e20";
const char* const naiveFill = "#e53935";        // the triangle divided before clipping
const char* const naiveStroke = "#b71c1c";
const char* const droppedStroke = "#d32f2f";    // a vertex outside the plane
const char* const cutFill = "#fb8c00";          // a vertex made by a cut
const char* const cutStroke = "#e65100";

// A rectangle of a coordinate plane (u to the right, v up) drawn into a pixel rectangle with one
// scale for both axes, so that the planes c = w and c = -w show at 45 degrees.
struct View {
    double left, top, width, height;  // the plot, in pixels
    double uMin, uMax, vMin, vMax;    // what it shows
    double scale;                     // pixels per unit
};

double toX(const View& view, double u)
{
    return view.left + (u - view.uMin) * view.scale;
}

double toY(const View& view, double v)
{
    return view.top + (view.vMax - v) * view.scale;
}

// Whether a pixel lies on the plot (or within a pixel of it).
bool onPlot(const View& view, Point p)
{
    return p.x >= view.left - 1 && p.x <= view.left + view.width + 1 && p.y >= view.top - 1 &&
           p.y <= view.top + view.height + 1;
}

// The smallest span a view shows: a triangle of a millionth of a unit fills it, anything
// smaller shows as a point.
const double minimumSpan = 1e-6;

// The view of the given bounds, padded by a tenth on each side and widened along the shorter
// side to fill the plot. Bounds narrower than minimumSpan are widened to it about their middle.
View fitView(double left, double top, double width, double height, double uMin, double uMax,
             double vMin, double vMax)
{
    if (std::max(uMax - uMin, vMax - vMin) < minimumSpan) {
        const double u = (uMin + uMax) / 2, v = (vMin + vMax) / 2;
        uMin = u - minimumSpan / 2;
        uMax = u + minimumSpan / 2;
        vMin = v - minimumSpan / 2;
        vMax = v + minimumSpan / 2;
    }
    const double pad = 0.1 * std::max(uMax - uMin, vMax - vMin);
    uMin -= pad;
    uMax += pad;
    vMin -= pad;
    vMax += pad;
    const double scale = std::min(width / (uMax - uMin), height / (vMax - vMin));
    const double uExtra = width / scale - (uMax - uMin);
    const double vExtra = height / scale - (vMax - vMin);
    return {left, top, width, height, uMin - uExtra / 2, uMax + uExtra / 2, vMin - vExtra / 2,
            vMax + vExtra / 2, scale};
}

// A tick spacing: a round number, 1, 2, 2.5 or 5 times a power of ten.
struct TickStep {
    double step;
    int decimals;  // what a label at this spacing needs
    bool compact;  // labels with an exponent ("1.5e6"), as plain decimals would not fit
};

// The roundest spacing that puts at most seven ticks across span. The steps are formed from
// exact powers of ten by one multiplication or division, so each is the double nearest its
// decimal value on every platform.
TickStep tickStep(double span)
{
    static const double mantissas[] = {1, 2, 2.5, 5};
    TickStep tick{};
    for (int exponent = -8; exponent <= 7; ++exponent) {
        double power = 1;
        for (int i = 0; i < std::abs(exponent); ++i) power *= 10;
        for (double mantissa : mantissas) {
            tick.step = exponent < 0 ? mantissa / power : mantissa * power;
            tick.decimals = std::max(0, -exponent) + (mantissa == 2.5 && exponent <= 0 ? 1 : 0);
            tick.compact = exponent >= 4 || exponent <= -4;
            if (span / tick.step <= 7) return tick;
        }
    }
    return tick;  // 5e7: views of this library's triangles never reach further
}

std::string tickLabel(double value, const TickStep& tick)
{
    return tick.compact ? compact(value, 3) : num(value, tick.decimals);
}

// The clip path that keeps drawing inside the plot.
void plotClip(std::string& svg, const View& view, const std::string& id)
{
    svg += "<clipPath id=\"" + id + "\">";
    rect(svg, view.left, view.top, view.width, view.height, "");
    svg += "</clipPath>\n";
}

// The multiples of step from lo to hi; never more than a few dozen, whatever the input.
std::vector<long long> ticks(double lo, double hi, double step)
{
    std::vector<long long> ks;
    if (!(std::fabs(lo / step) < 1e6 && std::fabs(hi / step) < 1e6)) return ks;
    for (long long k = static_cast<long long>(std::ceil(lo / step)); k * step <= hi; ++k) {
        ks.push_back(k);
        if (ks.size() >= 40) break;
    }
    return ks;
}

// Grid lines and tick labels, the axes u = 0 and v = 0, and the axis names.
void grid(std::string& svg, const View& view, const std::string& uName, const std::string& vName)
{
    const TickStep tick = tickStep(std::max(view.uMax - view.uMin, view.vMax - view.vMin));
    const double step = tick.step;
    const TextStyle tickStyle{11, "", "middle", "#616161"};
    for (long long k : ticks(view.uMin, view.uMax, step)) {
        const double x = toX(view, k * step);
        line(svg, x, view.top, x, view.top + view.height,
             k == 0 ? "stroke=\"#757575\" stroke-width=\"1\""
                    : "stroke=\"#000000\" stroke-opacity=\"0.08\" stroke-width=\"1\"");
        text(svg, x, view.top + view.height + 14, tickLabel(k * step, tick), tickStyle);
    }
    TextStyle leftStyle = tickStyle;
    leftStyle.anchor = "end";
    for (long long k : ticks(view.vMin, view.vMax, step)) {
        const double y = toY(view, k * step);
        line(svg, view.left, y, view.left + view.width, y,
             k == 0 ? "stroke=\"#757575\" stroke-width=\"1\""
                    : "stroke=\"#000000\" stroke-opacity=\"0.08\" stroke-width=\"1\"");
        text(svg, view.left - 5, y + 4, tickLabel(k * step, tick), leftStyle);
    }
    rect(svg, view.left, view.top, view.width, view.height,
         "fill=\"none\" stroke=\"#9e9e9e\" stroke-width=\"1\"");
    text(svg, view.left + view.width, view.top + view.height + 30, uName,
         {13, "bold", "end", "#212121"});
    text(svg, view.left - 5, view.top - 6, vName, {13, "bold", "end", "#212121"});
}

// Points of the view's plane in pixels; a point that is not finite stays behind as NaN, which
// the drawing leaves out.
std::vector<Point> toPixels(const View& view, const std::vector<std::pair<double, double>>& uv)
{
    std::vector<Point> points;
    for (const auto& p : uv) points.push_back({toX(view, p.first), toY(view, p.second)});
    return points;
}

// Short lines of text on a plot, for a panel with nothing (or not everything) to show: centred
// in it, or from its top left corner, on a white ground that keeps them legible over lines.
void plotNote(std::string& svg, const View& view, const std::vector<std::string>& lines,
              bool centred)
{
    if (lines.empty()) return;
    const double lineHeight = 15;
    std::size_t longest = 0;
    for (const std::string& note : lines) longest = std::max(longest, note.size());
    // Wide enough for the longest line at about 6.5 pixels a character.
    const double width = std::min(view.width - 8, 6.5 * longest + 10);
    const double height = lineHeight * lines.size() + 6;
    const double left = centred ? view.left + (view.width - width) / 2 : view.left + 4;
    const double top = centred ? view.top + (view.height - height) / 2 : view.top + 4;
    rect(svg, left, top, width, height, "fill=\"#ffffff\" fill-opacity=\"0.85\"");
    double y = top + 15;
    for (const std::string& note : lines) {
        if (centred) {
            text(svg, view.left + view.width / 2, y, note, {12, "", "middle", "#424242"});
        } else {
            text(svg, left + 5, y, note, {12, "", "", "#424242"});
        }
        y += lineHeight;
    }
}

// A vertex marker: a dot for a kept vertex, a hollow red ring for a dropped one, an orange
// diamond for a cut one.
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
    }
}

struct Segment {
    Point a, b;  // pixels
};

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

// Numbers the vertices: vertex i gets the label numbers[i]. Vertices that fall on one pixel (an
// edge-on polygon can put two there) share one label, "2, 3". Each label goes to the spot around
// its vertex that keeps furthest from the other vertices, the drawn lines and the labels placed
// before it, preferring the side away from the polygon's centre.
void vertexLabels(std::string& svg, const std::vector<Point>& vertices,
                  const std::vector<std::size_t>& numbers, const std::vector<Segment>& obstacles)
{
    std::vector<std::pair<Point, std::string>> groups;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        bool joined = false;
        for (auto& group : groups) {
            if (distance(group.first, vertices[i]) < 3) {
                group.second += ", " + std::to_string(numbers[i]);
                joined = true;
                break;
            }
        }
        if (!joined) groups.push_back({vertices[i], std::to_string(numbers[i])});
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
    }
    return "";
}

// A table of vertices below a plot: one row per vertex, the columns right-aligned; bold marks
// the columns the plot shows.
struct Table {
    std::vector<std::string> headers;
    std::vector<bool> shown;                    // per column: drawn in the plot
    std::vector<std::vector<std::string>> rows;
};

const double tableRowHeight = 16;

void table(std::string& svg, double left, double top, const Table& t)
{
    // Column right edges: the index, then four numbers, then a word that starts after them.
    const double edges[] = {16, 78, 140, 202, 264};
    for (std::size_t c = 0; c < t.headers.size(); ++c) {
        const bool last = c == t.headers.size() - 1 && c >= 5;
        TextStyle style{12, t.shown[c] ? "bold" : "", last ? "" : "end", "#616161", true};
        const double x = last ? left + edges[4] + 10 : left + edges[c];
        text(svg, x, top, t.headers[c], style);
        for (std::size_t r = 0; r < t.rows.size(); ++r) {
            style.fill = "#212121";
            text(svg, x, top + (r + 1) * tableRowHeight, t.rows[r][c], style);
        }
    }
}

// A legend entry's symbol, 24 pixels wide, centred on (x + 12, y).
enum class Swatch { Inside, Wedge, Plane, OtherPlane, Kept, Dropped, Cut, Before, After, Naive,
                    Face };

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
    case Swatch::OtherPlane:
        line(svg, x, y, x + 24, y, plane + " stroke-width=\"1.2\" stroke-dasharray=\"5 4\"");
        break;
    case Swatch::Kept: marker(svg, {x + 12, y}, VertexKind::Kept); break;
    case Swatch::Dropped: marker(svg, {x + 12, y}, VertexKind::Dropped); break;
    case Swatch::Cut: marker(svg, {x + 12, y}, VertexKind::Cut); break;
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
    case Swatch::Face:
        rect(svg, x, y - 7, 24, 14,
             std::string("fill=\"") + insideFill + "\" stroke=\"" + planeStroke +
                 "\" stroke-width=\"1.5\"");
        break;
    }
}

struct LegendEntry {
    Swatch swatch;
    std::string label;
};

const double legendRowHeight = 20;

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

// ---------------------------------------------------------------------------------------------
// The figure of one pass

// Layout of the two-panel figures, in pixels.
const double figureWidth = 820;
const double panelLeft[2] = {62, 472};  // the plots' left edges
const double plotTop = 112;
const double plotWidth = 320;
const double plotHeight = 300;
const double tableTop = plotTop + plotHeight + 58;

std::vector<std::pair<double, double>> viewPoints(const Polygon& polygon, const PlaneInfo& plane)
{
    std::vector<std::pair<double, double>> uv;
    for (const Vector4& v : polygon) uv.push_back({v.*plane.coordinate, v.w});
    return uv;
}

// How far from the origin the shapes of the c-w view reach: twice as far as the plot, which
// holds the origin, so that they cross it whole. No further: a browser draws a dashed line dash
// by dash along its whole length, cut to the plot or not.
double planeReach(const View& view)
{
    return 2 * std::max({std::fabs(view.uMin), std::fabs(view.uMax), std::fabs(view.vMin),
                         std::fabs(view.vMax)});
}

// The shaded inside of the plane, the wedge inside both planes of the axis, and the two planes
// as lines, all in the c-w view. Drawn as large shapes cut to the plot.
void planeBackground(std::string& svg, const View& view, const PlaneInfo& plane)
{
    const double far = planeReach(view);
    // The half-plane as a triangle: the plane's line and the far corner on its inside.
    const std::vector<std::pair<double, double>> inside =
        plane.upper ? std::vector<std::pair<double, double>>{{-far, -far}, {far, far}, {-far, far}}
                    : std::vector<std::pair<double, double>>{{far, -far}, {-far, far}, {far, far}};
    polygon(svg, toPixels(view, inside), std::string("fill=\"") + insideFill + "\"");
    polygon(svg, toPixels(view, {{0, 0}, {-far, far}, {far, far}}),
            std::string("fill=\"") + wedgeFill + "\"");
    const double sign = plane.upper ? 1 : -1;  // the plane is c = sign * w
    const std::string stroke = std::string("stroke=\"") + planeStroke + "\"";
    line(svg, toX(view, far), toY(view, -sign * far), toX(view, -far), toY(view, sign * far),
         stroke + " stroke-width=\"1.2\" stroke-dasharray=\"5 4\"");
    line(svg, toX(view, -far), toY(view, -sign * far), toX(view, far), toY(view, sign * far),
         stroke + " stroke-width=\"2.5\"");
}

// The lines c = w and c = -w, in pixels.
std::vector<Segment> planeLines(const View& view)
{
    const double far = planeReach(view);
    return {{{toX(view, -far), toY(view, -far)}, {toX(view, far), toY(view, far)}},
            {{toX(view, far), toY(view, -far)}, {toX(view, -far), toY(view, far)}}};
}

// The name of the pass's plane where its line leaves the top of the plot (or its side), and the
// eye plane w = 0. The other plane of the axis is named in the legend.
void planeLabels(std::string& svg, const View& view, const PlaneInfo& plane)
{
    const double s = plane.upper ? 1 : -1;  // the plane is the line c = s * w
    double w = view.vMax - 0.1 * (view.vMax - view.vMin);
    const double cLimit = (s > 0 ? view.uMax : -view.uMin) - 0.06 * (view.uMax - view.uMin);
    if (w > cLimit) w = cLimit;
    // On the wedge's side of the line, so it reads as a caption of its edge.
    text(svg, toX(view, s * w) - s * 8, toY(view, w) + 4,
         std::string(plane.axis) + (s > 0 ? " = w" : " = −w"),
         {13, "bold", s > 0 ? "end" : "", planeStroke, false, true});
    if (view.vMin < 0 && view.vMax > 0) {
        text(svg, view.left + view.width - 4, toY(view, 0) + 14, "w = 0: the eye plane",
             {11, "", "end", "#616161", false, true});
    }
}

Table vertexTable(const Polygon& polygon, const std::vector<VertexKind>& kinds, const char* axis)
{
    Table t;
    t.headers = {"#", "x", "y", "z", "w", ""};
    t.shown = {false, axis[0] == 'x', axis[0] == 'y', axis[0] == 'z', true, false};
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vector4& v = polygon[i];
        t.rows.push_back({std::to_string(i), value(v.x), value(v.y), value(v.z), value(v.w),
                          kindName(kinds[i])});
    }
    return t;
}

// What else the reader should know about the view.
std::string viewNote(const PlaneInfo& plane)
{
    if (plane.coordinate != &Vector4::z) {
        return std::string("Only ") + plane.axis +
               " and w decide this test; the other coordinates are carried along, cut with the "
               "same t.";
    }
    // With w = m[11] * depth and z = m[10] * depth + m[14] (the eye-space w is 1), every point of
    // the scene lies on one line of this view.
    const Matrix4 m = projection();
    const double slope = double(m.m[10]) / m.m[11];
    const double offset = m.m[14];
    return "z and w both follow the eye-space depth alone: every point lies on z = " +
           num(slope, 4) + "·w " + (offset < 0 ? "− " : "+ ") + num(std::fabs(offset), 4) +
           ", edge-on.";
}

// The numbers 0 to n - 1: a polygon's vertices are labelled by their place in its list.
std::vector<std::size_t> listNumbers(std::size_t n)
{
    std::vector<std::size_t> numbers(n);
    for (std::size_t i = 0; i < n; ++i) numbers[i] = i;
    return numbers;
}

std::string passFigure(const std::string& triangleTitle, int pass, const Polygon& before,
                       const Polygon& after)
{
    const PlaneInfo& plane = planeInfos[pass];
    const std::string axis = plane.axis;
    const std::string inside = plane.upper ? axis + " ≤ w" : axis + " ≥ −w";
    const std::string planeName = plane.upper ? axis + " = w" : axis + " = −w";
    const std::string otherName = plane.upper ? axis + " = −w" : axis + " = w";

    // Both panels share one view that holds the eye (the wedge's tip) and the polygon; with
    // nothing to hold (the polygon gone, or all of it on the eye) the wedge from the eye up to
    // w = 1.
    double uMin = 0, uMax = 0, vMin = 0, vMax = 0;
    for (const auto& [u, v] : viewPoints(before, plane)) {
        uMin = std::min(uMin, u);
        uMax = std::max(uMax, u);
        vMin = std::min(vMin, v);
        vMax = std::max(vMax, v);
    }
    if (uMin == uMax && vMin == vMax) {
        uMin = -1;
        uMax = 1;
        vMax = 1;
    }
    // Enough of the pass's own plane to show it and name it.
    const double labelReach = (plane.upper ? 0.75 : -0.75) * vMax;
    uMin = std::min(uMin, labelReach);
    uMax = std::max(uMax, labelReach);
    View views[2];
    for (int p = 0; p < 2; ++p) {
        views[p] = fitView(panelLeft[p], plotTop, plotWidth, plotHeight, uMin, uMax, vMin, vMax);
    }

    const std::vector<LegendEntry> entries = {
        {Swatch::Inside, std::string("inside ") + plane.enumerator + ": " + inside},
        {Swatch::Kept, "inside: kept"},
        {Swatch::Wedge, "inside both " + axis + " planes: −w ≤ " + axis + " ≤ w"},
        {Swatch::Dropped, "outside: dropped"},
        {Swatch::Plane, "the plane " + planeName},
        {Swatch::Cut, "cut: a new vertex on the plane"},
        {Swatch::OtherPlane, "the other " + axis + " plane, " + otherName},
        {Swatch::Before, "the polygon before the pass"},
    };
    const std::size_t rows = std::max(before.size(), after.size());
    const double legendTop = tableTop + (rows + 1) * tableRowHeight + 18;
    const double height = legendTop + legendHeight(entries.size(), 2) + 8;

    const std::string title = "Triangle “" + triangleTitle + "”, pass " +
                              std::to_string(pass + 1) + " of 6: " + plane.enumerator;
    std::string svg = svgStart(figureWidth, height, title);
    text(svg, 20, 28, title, {16, "bold"});
    text(svg, 20, 50,
         "clipToPlane in the " + axis + "–w view: the plane is the line " + planeName +
             ", the inside " + inside + ". Vertices numbered in list order.",
         {13, "", "", "#424242"});
    text(svg, 20, 68, viewNote(plane), {13, "", "", "#424242"});

    const Polygon* polygons[2] = {&before, &after};
    const std::vector<VertexKind> kinds[2] = {inputKinds(before, after),
                                              outputKinds(before, after)};
    for (int p = 0; p < 2; ++p) {
        const View& view = views[p];
        const std::string clipId = "plot" + std::to_string(p);
        const std::string heading =
            p == 0 ? "before: " + std::to_string(before.size()) + " vertices"
                   : "after: " + std::to_string(after.size()) + " vertices";
        text(svg, view.left, plotTop - 22, heading, {14, "bold"});
        plotClip(svg, view, clipId);
        svg += "<g clip-path=\"url(#" + clipId + ")\">\n";
        planeBackground(svg, view, plane);
        svg += "</g>\n";
        grid(svg, view, axis, "w");
        svg += "<g clip-path=\"url(#" + clipId + ")\">\n";
        const std::vector<Point> beforePixels = toPixels(view, viewPoints(before, plane));
        if (p == 0) {
            polygon(svg, beforePixels,
                    std::string("fill=\"") + beforeFill +
                        "\" fill-opacity=\"0.3\" stroke=\"#424242\" stroke-width=\"1.5\" "
                        "stroke-linejoin=\"round\"");
        } else {
            polygon(svg, beforePixels,
                    "fill=\"none\" stroke=\"#616161\" stroke-width=\"1.2\" "
                    "stroke-dasharray=\"4 3\" stroke-linejoin=\"round\"");
            if (!after.empty()) {
                polygon(svg, toPixels(view, viewPoints(after, plane)),
                        std::string("fill=\"") + afterFill +
                            "\" fill-opacity=\"0.35\" stroke=\"" + afterStroke +
                            "\" stroke-width=\"1.8\" stroke-linejoin=\"round\"");
            }
        }
        svg += "</g>\n";
        planeLabels(svg, view, plane);
        const std::vector<Point> pixels = toPixels(view, viewPoints(*polygons[p], plane));
        for (std::size_t i = 0; i < pixels.size(); ++i) marker(svg, pixels[i], kinds[p][i]);
        std::vector<Segment> obstacles = edges(beforePixels);
        for (const Segment& edge : edges(pixels)) obstacles.push_back(edge);
        for (const Segment& line : planeLines(view)) obstacles.push_back(line);
        vertexLabels(svg, pixels, listNumbers(pixels.size()), obstacles);
        if (before.empty()) {
            plotNote(svg, view, {"nothing left to clip:", "an earlier pass removed it all"}, true);
        } else if (p == 1 && after.empty()) {
            plotNote(svg, view, {"nothing is inside " + inside + ":", "0 vertices"}, true);
        }
        table(svg, view.left - 40, tableTop, vertexTable(*polygons[p], kinds[p], plane.axis));
    }
    legend(svg, 24, legendTop, 400, 2, entries);
    svg += "</svg>\n";
    return svg;
}

// ---------------------------------------------------------------------------------------------
// The final figure: after the division by w

std::vector<std::pair<double, double>> screenPoints(const Polygon& polygon)
{
    std::vector<std::pair<double, double>> uv;
    for (const Vector4& v : polygon) {
        const Vector4 d = divided(v);
        uv.push_back({d.x, d.y});
    }
    return uv;
}

// The square -1 <= x/w, y/w <= 1 that the cube's face covers: what the simulated camera sees.
void face(std::string& svg, const View& view)
{
    polygon(svg, toPixels(view, {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}),
            std::string("fill=\"") + insideFill + "\" stroke=\"" + planeStroke +
                "\" stroke-width=\"1.8\"");
}

Table dividedTable(const Polygon& polygon, const std::vector<VertexKind>& kinds)
{
    Table t;
    t.headers = {"#", "x/w", "y/w", "z/w", "w", ""};
    t.shown = {false, true, true, false, false, false};
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vector4 d = divided(polygon[i]);
        std::string note = kinds.empty() ? "" : kindName(kinds[i]);
        if (polygon[i].w < 0) note = "w < 0";
        t.rows.push_back({std::to_string(i), value(d.x), value(d.y), value(d.z),
                          value(polygon[i].w), note});
    }
    return t;
}

// How far from the face's centre the final figure's panels reach, at most, in x/w and y/w: a
// corner divided by a w near 0 lands arbitrarily far out, and the face must stay in sight.
const double finalExtentLimit = 4;

// "corner 2" or "corners 0, 2", for notes.
std::string numbered(const char* one, const char* many, const std::vector<std::size_t>& numbers)
{
    std::string list = std::string(numbers.size() == 1 ? one : many) + " ";
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        list += (i ? ", " : "") + std::to_string(numbers[i]);
    }
    return list;
}

std::string finalFigure(const std::string& triangleTitle, const Polygon& triangle,
                        const Polygon& clipped)
{
    // One view for both panels, holding the face and every divided point it can.
    double extent = 1;
    for (const Polygon* polygon : {&triangle, &clipped}) {
        for (const auto& [u, v] : screenPoints(*polygon)) {
            if (finite(u, v)) extent = std::max({extent, std::fabs(u), std::fabs(v)});
        }
    }
    extent = std::min(extent, finalExtentLimit);
    View views[2];
    for (int p = 0; p < 2; ++p) {
        views[p] = fitView(panelLeft[p], plotTop, plotWidth, plotHeight, -extent, extent, -extent,
                           extent);
    }

    std::vector<LegendEntry> entries = {
        {Swatch::Face, "the cube's face: −1 ≤ x/w, y/w ≤ 1"},
        {Swatch::Kept, "a corner of the triangle"},
        {Swatch::After, "clipped in clip space, then divided"},
        {Swatch::Cut, "cut: made by clipToFrustum"},
        {Swatch::Naive, "divided first: what lands on the face"},
    };
    for (const Vector4& v : triangle) {
        if (v.w < 0) {
            entries.push_back({Swatch::Dropped, "a corner behind the eye (w < 0)"});
            break;
        }
    }
    const std::size_t rows = std::max(triangle.size(), clipped.size());
    const double legendTop = tableTop + (rows + 1) * tableRowHeight + 18;
    const double height = legendTop + legendHeight(entries.size(), 2) + 8;

    const std::string title = "Triangle “" + triangleTitle + "”: clipped, then divided by w";
    std::string svg = svgStart(figureWidth, height, title);
    text(svg, 20, 28, title, {16, "bold"});
    text(svg, 20, 50,
         "What the simulated camera sees, x/w against y/w. Left: clipToFrustum, then the "
         "division. Right: the division first.",
         {13, "", "", "#424242"});

    const std::vector<VertexKind> clippedKinds = outputKinds(triangle, clipped);
    std::vector<VertexKind> cornerKinds;
    for (const Vector4& v : triangle) {
        cornerKinds.push_back(v.w < 0 ? VertexKind::Dropped : VertexKind::Kept);
    }

    for (int p = 0; p < 2; ++p) {
        const View& view = views[p];
        const Polygon& shown = p == 0 ? clipped : triangle;
        const std::vector<Point> pixels = toPixels(view, screenPoints(shown));
        // Points at infinity (divided by w = 0) have no place; points beyond the panel no marker.
        std::vector<std::size_t> atInfinity, offPanel, onPanel;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            if (!finite(pixels[i].x, pixels[i].y)) {
                atInfinity.push_back(i);
            } else {
                (onPlot(view, pixels[i]) ? onPanel : offPanel).push_back(i);
            }
        }
        const bool outlined = !shown.empty() && atInfinity.empty();

        const std::string clipId = "plot" + std::to_string(p);
        const std::string heading =
            p == 0 ? "clipToFrustum, then ÷ w: " + std::to_string(clipped.size()) + " vertices"
                   : "÷ w first, no clipping";
        text(svg, view.left, plotTop - 22, heading, {14, "bold"});
        plotClip(svg, view, clipId);
        face(svg, view);
        grid(svg, view, "x/w", "y/w");
        svg += "<g clip-path=\"url(#" + clipId + ")\">\n";
        if (p == 0) {
            if (outlined) {
                polygon(svg, pixels,
                        std::string("fill=\"") + afterFill + "\" fill-opacity=\"0.35\" stroke=\"" +
                            afterStroke + "\" stroke-width=\"1.8\" stroke-linejoin=\"round\"");
            }
        } else {
            // The part on the face, filled, and the whole triangle's outline beyond it.
            const std::string faceId = "face" + std::to_string(p);
            svg += "<clipPath id=\"" + faceId + "\">";
            polygon(svg, toPixels(view, {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}), "");
            svg += "</clipPath>\n";
            if (outlined) {
                polygon(svg, pixels,
                        std::string("clip-path=\"url(#") + faceId + ")\" fill=\"" + naiveFill +
                            "\" fill-opacity=\"0.35\"");
                polygon(svg, pixels,
                        std::string("fill=\"none\" stroke=\"") + naiveStroke +
                            "\" stroke-width=\"1.5\" stroke-dasharray=\"6 3\" "
                            "stroke-linejoin=\"round\"");
            }
        }
        svg += "</g>\n";
        const std::vector<VertexKind>& kinds = p == 0 ? clippedKinds : cornerKinds;
        std::vector<Point> marked;
        for (std::size_t i : onPanel) {
            marker(svg, pixels[i], kinds[i]);
            marked.push_back(pixels[i]);
        }
        std::vector<Segment> obstacles = outlined ? edges(pixels) : std::vector<Segment>{};
        for (const Segment& edge : edges(toPixels(view, {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}))) {
            obstacles.push_back(edge);
        }
        vertexLabels(svg, marked, onPanel, obstacles);

        if (shown.empty()) {
            plotNote(svg, view, {"nothing inside the view volume:", "0 vertices"}, true);
        }
        const char* one = p == 0 ? "vertex" : "corner";
        const char* many = p == 0 ? "vertices" : "corners";
        std::vector<std::string> notes;
        for (std::size_t i : atInfinity) {
            const float w = shown[i].w;
            notes.push_back(numbered(one, many, {i}) + " has w = " +
                            (w == 0 ? std::string("0") : compact(w, 3)) + ":");
            const Vector4 d = divided(shown[i]);
            notes.push_back(std::isnan(d.x) || std::isnan(d.y)
                                ? "divided, it is 0/0: no point at all"
                                : "divided, it lies at infinity");
        }
        if (!atInfinity.empty()) notes.push_back("so there is no outline to draw");
        if (!offPanel.empty()) {
            notes.push_back(numbered(one, many, offPanel) +
                            (offPanel.size() == 1 ? " lies" : " lie") + " beyond this panel");
        }
        plotNote(svg, view, notes, false);
        table(svg, view.left - 40, tableTop,
              dividedTable(shown, p == 0 ? clippedKinds : std::vector<VertexKind>{}));
    }
    legend(svg, 24, legendTop, 400, 2, entries);
    svg += "</svg>\n";
    return svg;
}


} // namespace

// ---------------------------------------------------------------------------------------------
// The library's surface

// The eye looks down -z; the frustum reaches from z = -0.25 (near) to z = -1 (far), and at depth
// d in front of the eye from -d to d in x and in y.
const WalkthroughTriangle walkthroughTriangles[5] = {
    // The second corner is nearer than the near plane: only ClipNear cuts.
    {"crosses-near", "crosses the near plane",
     {-0.1f, -0.05f, -0.6f, 0.05f, 0.06f, -0.1f, 0.12f, -0.08f, -0.5f}},
    // The second corner lies beyond the right and the top face at once, the third beyond the top
    // and the far face: ClipRight, ClipTop and ClipFar cut, and a vertex lands on the frustum's
    // corner edge x = y = w. The ClipTop pass meets all four cases of the edge walk.
    {"corner", "crosses a corner",
     {-0.1f, -0.05f, -0.45f, 0.7f, 0.6f, -0.5f, -0.36f, 1.3f, -1.2f}},
    // The third corner is behind the eye (z > 0, so w < 0).
    {"behind-eye", "reaches behind the eye",
     {-0.2f, -0.15f, -0.6f, 0.2f, -0.15f, -0.6f, 0.4f, 0.35f, 0.3f}},
    // Nothing to cut: every pass only rotates the list by one place.
    {"inside", "wholly inside",
     {-0.1f, -0.08f, -0.5f, 0.15f, -0.02f, -0.7f, 0.02f, 0.12f, -0.45f}},
    // Every pass cuts off one vertex and adds two cuts, 3 -> 4 -> ... -> 9 vertices, the most a
    // triangle can become: the first corner lies nearer than the near face and beyond the right
    // and bottom faces, the second beyond the left and top faces, the third beyond the far face.
    {"nine", "cut by all six planes", {0.2f, -0.5f, -0.1f, -1.0f, 0.9f, -0.6f, 1.0f, 0.5f, -1.2f}},
};

const WalkthroughTriangle* findWalkthroughTriangle(const float corners[9])
{
    for (const WalkthroughTriangle& triangle : walkthroughTriangles) {
        if (std::memcmp(triangle.corners, corners, sizeof triangle.corners) == 0) return &triangle;
    }
    return nullptr;
}

TriangleFigures drawTriangleFigures(const float corners[9], const std::string& title,
                                    const std::string& stem)
{
    TriangleFigures result;
    result.triangle = project(corners);
    const Polygon* before = &result.triangle;
    for (int pass = 0; pass < 6; ++pass) {
        result.afterPass[pass] = clipOnePlane(*before, planeInfos[pass].plane);
        result.figures[pass] = {stem + "-pass" + std::to_string(pass + 1) + "-" +
                                    planeInfos[pass].fileName + ".svg",
                                passFigure(title, pass, *before, result.afterPass[pass])};
        before = &result.afterPass[pass];
    }
    result.clipped = clipWhole(result.triangle);
    result.passesAgree = sameBits(result.clipped, result.afterPass[5]);
    result.figures[6] = {stem + "-final.svg",
                         finalFigure(title, result.triangle, result.clipped)};
    return result;
}

namespace {

const char* const coordinateNames[9] = {"x0", "y0", "z0", "x1", "y1", "z1", "x2", "y2", "z2"};

// A field as the user wrote it, shortened for a message.
std::string quoted(const std::string& field)
{
    std::string shown = field.size() > 24 ? field.substr(0, 20) : field;
    // Control characters (a NUL among them would end the message early) show as "?".
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return "“" + shown + (field.size() > 24 ? "…" : "") + "”";
}

// Whether text is a plain decimal: a sign, digits with at most one point (at least one digit),
// and an exponent with digits.
bool isDecimal(const std::string& text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            ++digits;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        if (i == start) return false;
    }
    return i == text.size();
}

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

bool parseTriangleText(const std::string& text, float corners[9], std::string& error)
{
    // Long enough for nine floats written out in full; anything longer is no triangle.
    if (text.size() > 1000) {
        error = "the text is too long for nine numbers";
        return false;
    }
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(trimmed(text.substr(start, comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (fields.size() == 1 && fields[0].empty()) {
        error = "there are no numbers; a triangle needs nine: x0,y0,z0,x1,y1,z1,x2,y2,z2";
        return false;
    }
    if (fields.size() != 9) {
        error = "there are " + std::to_string(fields.size()) + " values, not nine: a triangle " +
                "needs x0,y0,z0,x1,y1,z1,x2,y2,z2";
        return false;
    }
    float values[9];
    for (int i = 0; i < 9; ++i) {
        const std::string& field = fields[i];
        const std::string name = coordinateNames[i];
        if (field.empty()) {
            error = name + " is missing";
            return false;
        }
        if (!isDecimal(field)) {
            std::string word = field.substr(field[0] == '-' || field[0] == '+' ? 1 : 0, 3);
            for (char& c : word) c = static_cast<char>(c | 0x20);
            error = name + ", " + quoted(field) +
                    (word == "nan" || word == "inf" ? ", is not a finite number"
                                                    : ", is not a decimal number");
            return false;
        }
        // Checked as a double, so that values just beyond the limit are not let in by their
        // rounding to float; beyond the double range strtod gives infinity, also beyond it.
        const double exact = std::strtod(field.c_str(), nullptr);
        if (!(std::fabs(exact) <= 1e6)) {
            error = name + ", " + quoted(field) + ", is beyond the limit of ±1000000";
            return false;
        }
        values[i] = std::strtof(field.c_str(), nullptr);
    }
    std::copy(values, values + 9, corners);
    return true;
}

std::string shortestDecimal(float value)
{
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    // The fewest significant digits that read back to the same float; nine always do.
    char scientific[64];
    int digits = 1;
    for (; digits < 9; ++digits) {
        std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, double(value));
        const float back = std::strtof(scientific, nullptr);
        if (std::memcmp(&back, &value, sizeof value) == 0) break;
    }
    std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, double(value));
    // The same digits as a plain decimal, where that is no longer: "0.1" rather than "1e-1",
    // "862920" rather than "8.6292e5", but "1e6" and "1e-7".
    const int exponent = std::atoi(std::strchr(scientific, 'e') + 1);
    char plain[80];
    std::snprintf(plain, sizeof plain, "%.*f", std::max(0, digits - 1 - exponent), double(value));
    const std::string shortScientific = shortExponent(scientific);
    return std::strlen(plain) <= shortScientific.size() ? plain : shortScientific;
}

std::string triangleText(const float corners[9])
{
    std::string text;
    for (int i = 0; i < 9; ++i) text += (i ? "," : "") + shortestDecimal(corners[i]);
    return text;
}

std::string verticesJson(const ClipPolygon& polygon)
{
    std::string json = "[";
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vector4& v = polygon[i];
        json += i ? ",[" : "[";
        const float values[4] = {v.x, v.y, v.z, v.w};
        for (int c = 0; c < 4; ++c) {
            if (c) json += ",";
            if (std::isnan(values[c])) {
                json += "\"NaN\"";
            } else if (std::isinf(values[c])) {
                json += values[c] > 0 ? "\"Infinity\"" : "\"-Infinity\"";
            } else {
                char text[32];
                std::snprintf(text, sizeof text, "%.9g", double(values[c]));
                json += text;
            }
        }
        json += "]";
    }
    return json + "]";
}
