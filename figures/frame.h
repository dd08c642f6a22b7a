// Where a two-panel figure puts things, in each layout. Print: 820 pixels wide, the panels side
// by side, as the walkthrough shows them. Compact: 700 pixels wide, the panels side by side on
// shorter plots and long header lines wrapped, so that a step of the tallest pass (a 9-vertex
// output) and the page's step buttons fit a screen 768 px high. Screen: 390 pixels wide, the
// panels one above the other, long header lines wrapped. Each is meant to be shown at its own
// width (one user unit to one CSS pixel), where no text is under 12 px. Internal to figures/.
#pragma once

#include "figures/clip_figures.h"
#include "figures/plot.h"

#include <cstddef>
#include <string>
#include <vector>

namespace fig {

// How many lines a figure's header takes: its title and the notes under it, as wrapped.
struct HeaderLines {
    std::size_t title = 0, notes = 0;
};
HeaderLines headerLines(FigureLayout layout, const std::string& title,
                        const std::vector<std::string>& notes);

struct Frame {
    FigureLayout layout;
    double width, height;                // the document, pixels
    std::vector<std::string> titleLines;  // the title, wrapped on screen
    std::vector<std::string> noteLines;   // the lines under it, wrapped on screen
    double titleTop, noteTop;             // their first baselines
    double titleStep, noteStep;           // from one of their baselines to the next
    double titleSize;                     // the title's bold text, pixels
    double plotWidth, plotHeight;         // each plot's size
    double panelLeft[2], plotTop[2];      // each plot's top left corner
    double tableTop[2];                   // each table's column heads
    double legendLeft, legendTop, legendColumnWidth;
    int legendColumns;
    std::vector<std::string> keyLines;    // the key of the cut points, packed into lines
    double keyTop;                        // its first baseline, under the legend
    std::vector<std::string> footLines;   // notes under the key, each wrapped on its own
    double footTop;                       // their first baseline
    double smallText;                     // tick labels and captions: 12 px, the least text
    bool shownOnly;                       // the tables show only the values the plots show
                                          // (compact, or with u in a column of its own)
};

// The frame of a figure whose panels' tables have rows0 and rows1 rows, whose legend has
// `entries` and whose key of the cut points has the entries `key` ("a: cut of ..."). Its header
// takes room for at least `room`'s lines (blank under the text), so that the figures of a
// series, the steps of one pass, can share one height. The footnotes, sentences each wrapped to
// the figure's width, come under the key.
Frame makeFrame(FigureLayout layout, const std::string& title,
                const std::vector<std::string>& notes, std::size_t rows0, std::size_t rows1,
                std::size_t entries, const std::vector<std::string>& key = {},
                HeaderLines room = {}, const std::vector<std::string>& footnotes = {});
// The document's head (with its title and description) and the header lines.
std::string frameStart(const Frame& frame, const std::string& title,
                       const std::string& description);
// Panel p's plot showing the given bounds (fitView in the frame's place for it).
View panelView(const Frame& frame, int p, double uMin, double uMax, double vMin, double vMax);
// Panel p's heading above its plot.
void panelHeading(std::string& svg, const Frame& frame, int p, const std::string& heading);
// Panel p's table under its plot (view): in the compact layout only the values the plot shows,
// so that two tables fit side by side.
void frameTable(std::string& svg, const Frame& frame, const View& view, int p, const Table& t);
// The legend, the key under it and the footnotes under that.
void frameLegend(std::string& svg, const Frame& frame, const std::vector<LegendEntry>& entries);

// Text broken at spaces into lines of at most `width` characters (a longer word on its own,
// broken where it must), counting UTF-8 characters, not bytes.
std::vector<std::string> wrapped(const std::string& text, std::size_t width);
// Entries packed into lines of at most `width` characters, whole entries joined by "; " (an
// entry longer than a line wrapped on its own).
std::vector<std::string> packed(const std::vector<std::string>& entries, std::size_t width);

} // namespace fig
