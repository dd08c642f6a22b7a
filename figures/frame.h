// Where a two-panel figure puts things, in either layout. Print: 820 pixels wide, the panels
// side by side, as the walkthrough shows them. Screen: 390 pixels wide, meant to be shown at
// 390 CSS px (one user unit to one CSS pixel), the panels one above the other, no text under
// 12 px and long header lines wrapped. Internal to figures/.
#pragma once

#include "figures/clip_figures.h"
#include "figures/plot.h"

#include <cstddef>
#include <string>
#include <vector>

namespace fig {

inline constexpr double plotWidth = 320;   // pixels, in both layouts
inline constexpr double plotHeight = 300;

struct Frame {
    FigureLayout layout;
    double width, height;                // the document, pixels
    std::vector<std::string> titleLines;  // the title, wrapped on screen
    std::vector<std::string> noteLines;   // the lines under it, wrapped on screen
    double titleTop, noteTop;             // their first baselines
    double panelLeft[2], plotTop[2];      // each plot's top left corner
    double tableTop[2];                   // each table's column heads
    double legendLeft, legendTop, legendColumnWidth;
    int legendColumns;
    std::vector<std::string> keyLines;    // the key of the cut points, packed into lines
    double keyTop;                        // its first baseline, under the legend
    double smallText;                     // tick labels and captions: 12 px, the least text
};

// The frame of a figure whose panels' tables have rows0 and rows1 rows, whose legend has
// `entries` and whose key of the cut points has the entries `key` ("a: cut of ...").
Frame makeFrame(FigureLayout layout, const std::string& title,
                const std::vector<std::string>& notes, std::size_t rows0, std::size_t rows1,
                std::size_t entries, const std::vector<std::string>& key = {});
// The document's head (with its title and description) and the header lines.
std::string frameStart(const Frame& frame, const std::string& title,
                       const std::string& description);
// Panel p's plot showing the given bounds (fitView in the frame's place for it).
View panelView(const Frame& frame, int p, double uMin, double uMax, double vMin, double vMax);
// Panel p's heading above its plot.
void panelHeading(std::string& svg, const Frame& frame, int p, const std::string& heading);
// The legend, and the key under it.
void frameLegend(std::string& svg, const Frame& frame, const std::vector<LegendEntry>& entries);

// Text broken at spaces into lines of at most `width` characters (a longer word on its own,
// broken where it must), counting UTF-8 characters, not bytes.
std::vector<std::string> wrapped(const std::string& text, std::size_t width);
// Entries packed into lines of at most `width` characters, whole entries joined by "; " (an
// entry longer than a line wrapped on its own).
std::vector<std::string> packed(const std::vector<std::string>& entries, std::size_t width);

} // namespace fig
