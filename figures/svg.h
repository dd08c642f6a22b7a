// SVG writing for the figure library: numbers printed with a fixed format (the same bytes on
// every platform), XML text, and the few elements the figures use, one per line. Coordinates
// are pixels of the figure, y down. Internal to figures/.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace fig {

// How far from the figure's origin anything is drawn, in pixels. Far beyond every figure's edge,
// so that what is cut there never shows, yet small enough for any renderer's arithmetic.
inline constexpr double drawLimit = 1e5;

inline constexpr const char* sansFont = "DejaVu Sans, Helvetica, Arial, sans-serif";
inline constexpr const char* monoFont = "DejaVu Sans Mono, Menlo, Consolas, monospace";

struct Point {
    double x, y;  // pixels, y down
};

struct TextStyle {
    double size = 13;          // pixels
    const char* weight = "";   // "" or "bold"
    const char* anchor = "";   // "" (start), "middle" or "end"
    const char* fill = "#212121";
    bool mono = false;
    bool halo = false;         // a white outline behind the glyphs, for labels over drawing
};

std::string num(double value, int decimals);          // fixed decimals, never "-0" or "nan"
std::string shortExponent(const std::string& s);      // "1.5e+06" as "1.5e6"
std::string compact(double value, int digits);        // "%.*g" with a short exponent
std::string px(double value);                         // a pixel position, two decimals
std::string value(double v);                          // a vertex value as the tables print it
// A JSON number to `digits` significant digits ("%.*g"); one that is not finite as the string
// "NaN", "Infinity" or "-Infinity", which a page's script reads back with Number().
std::string jsonNumber(double value, int digits);
// Text XML 1.0 allows: control characters as spaces (line ends too, unless kept), what is no
// UTF-8 (and U+FFFE, U+FFFF) as U+FFFD.
std::string mendedText(const std::string& raw, bool keepLineEnds = false);
// XML character data, mended first.
std::string escaped(const std::string& raw, bool keepLineEnds = false);
// The length of the well-formed UTF-8 sequence that starts at text[at] (1 to 4), or 0.
std::size_t utf8Length(const std::string& text, std::size_t at);

void text(std::string& svg, double x, double y, const std::string& content, const TextStyle& style);
void line(std::string& svg, double x1, double y1, double x2, double y2, const std::string& attrs);
void rect(std::string& svg, double x, double y, double w, double h, const std::string& attrs);
std::vector<Point> withinDrawLimit(const std::vector<Point>& points);
void polygon(std::string& svg, const std::vector<Point>& shape, const std::string& attrs);
// The document's head: the XML declaration, the <svg> element, its <title> and <desc> (the text
// that carries the figure for a reader who cannot see it), a white ground.
std::string svgStart(double width, double height, const std::string& title,
                     const std::string& description);

} // namespace fig
