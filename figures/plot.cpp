// Plot frames: views of a coordinate plane, ticks, grids, notes. See plot.h.
#include "figures/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace fig {

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
    const TextStyle tickStyle{view.smallText, "", "middle", "#616161"};
    for (long long k : ticks(view.uMin, view.uMax, step)) {
        const double x = toX(view, k * step);
        line(svg, x, view.top, x, view.top + view.height,
             k == 0 ? "stroke=\"#757575\" stroke-width=\"1\""
                    : "stroke=\"#000000\" stroke-opacity=\"0.08\" stroke-width=\"1\"");
        // A label at the plot's right edge ends at its tick, so that it never runs past a
        // figure whose margin there is narrow.
        TextStyle style = tickStyle;
        if (x > view.left + view.width - 12) style.anchor = "end";
        text(svg, x, view.top + view.height + 14, tickLabel(k * step, tick), style);
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

} // namespace fig
