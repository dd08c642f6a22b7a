// Where a two-panel figure puts things: see frame.h.
#include "figures/frame.h"

#include "figures/svg.h"

#include <algorithm>
#include <string>
#include <vector>

namespace fig {

namespace {

// What sets a layout apart, in pixels.
struct LayoutMetrics {
    double width;
    bool stacked;                 // the panels one above the other, else side by side
    // Characters per header line before it wraps (0: never), for 16 px bold and 13 px text:
    // a line of DejaVu Sans averages at most 0.55 em a character, its bold 0.64 em.
    std::size_t titleCharacters, noteCharacters;
    double titleTop, titleStep;   // the title's first baseline, and from one line to the next
    double titleToNote;           // from the title's last baseline to the notes' first
    double noteStep, noteToPlot;  // between notes; from the last one to the plots' top
    double plotTopAtLeast;
    double plotWidth, plotHeight;
    double panelLeft[2];
    double plotToTable;           // below a plot: tick labels, the axis name, the table's heads
    double panelGap;              // stacked: from one panel's table to the next plot
    double tableToLegend, legendLeft, legendColumnWidth;
    int legendColumns;
    double bottom;                // under the legend
    // The key of the cut points under the legend, 12 px: characters per line that fit the
    // figure's width less the legend's left margin at 0.55 em a character (no line of DejaVu
    // Sans of ten characters or more averages more): 6.6 px a character.
    std::size_t keyCharacters;
    double titleSize;             // the title's bold text, pixels
};

// Print: the two panels side by side under a header of up to three lines.
const LayoutMetrics printMetrics = {820, false, 0, 0, 28, 20, 22, 18, 44, 112, 320, 300,
                                    {62, 472}, 58, 0, 18, 24, 400, 2, 8, 120, 16};
// Screen: 390 wide; room left of the plot for the tick labels, right of it a margin.
const LayoutMetrics screenMetrics = {390, true, 32, 44, 28, 20, 22, 17, 44, 0, 320, 300,
                                     {54, 54}, 58, 46, 18, 16, 360, 1, 8, 56, 16};
// Compact: side by side in 700 pixels, each panel 350 wide, on plots shorter than print's, the
// header packed closer, its title at 15 px so that a triangle's pass and edge take one line;
// its tables show only the values the plot shows (frameTable).
const LayoutMetrics compactMetrics = {700, false, 70, 88, 24, 20, 20, 16, 40, 0, 284, 196,
                                      {56, 406}, 48, 0, 14, 16, 350, 2, 6, 103, 15};

const LayoutMetrics& metrics(FigureLayout layout)
{
    switch (layout) {
    case FigureLayout::Print: return printMetrics;
    case FigureLayout::Screen: return screenMetrics;
    case FigureLayout::Compact: return compactMetrics;
    }
    return printMetrics;
}

// Header lines, wrapped where the layout wraps them.
std::vector<std::string> headerText(std::size_t characters, const std::vector<std::string>& lines);

// The key's line spacing, close as a paragraph's, so that the 9-vertex triangle's last steps,
// whose key has four lines, still fit a screen 768 px high in the compact layout.
const double keyLineHeight = 14.5;

// The count of UTF-8 characters in text (a stray byte counts as one).
std::size_t characters(const std::string& text)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); i += std::max<std::size_t>(1, utf8Length(text, i))) {
        ++n;
    }
    return n;
}

} // namespace

std::vector<std::string> wrapped(const std::string& text, std::size_t width)
{
    std::vector<std::string> lines;
    std::string current;
    std::size_t currentLength = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = text.find(' ', i);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(i, end - i);
        i = end + 1;
        // A word longer than a line is broken at a character boundary.
        while (characters(word) > width) {
            if (currentLength > 0) {
                lines.push_back(current);
                current.clear();
                currentLength = 0;
            }
            std::size_t cut = 0;
            for (std::size_t k = 0; k < width; ++k) {
                cut += std::max<std::size_t>(1, utf8Length(word, cut));
            }
            lines.push_back(word.substr(0, cut));
            word.erase(0, cut);
        }
        const std::size_t length = characters(word);
        if (currentLength > 0 && currentLength + 1 + length > width) {
            lines.push_back(current);
            current.clear();
            currentLength = 0;
        }
        if (currentLength > 0) {
            current += ' ';
            ++currentLength;
        }
        current += word;
        currentLength += length;
    }
    if (currentLength > 0 || lines.empty()) lines.push_back(current);
    return lines;
}

HeaderLines headerLines(FigureLayout layout, const std::string& title,
                        const std::vector<std::string>& notes)
{
    const LayoutMetrics& m = metrics(layout);
    return {headerText(m.titleCharacters, {title}).size(),
            headerText(m.noteCharacters, notes).size()};
}

namespace {

std::vector<std::string> headerText(std::size_t characters, const std::vector<std::string>& lines)
{
    if (characters == 0) return lines;
    std::vector<std::string> result;
    for (const std::string& line : lines) {
        for (const std::string& part : wrapped(line, characters)) result.push_back(part);
    }
    return result;
}

} // namespace

std::vector<std::string> packed(const std::vector<std::string>& entries, std::size_t width)
{
    std::vector<std::string> lines;
    std::string current;
    for (const std::string& entry : entries) {
        if (!current.empty() && characters(current) + 2 + characters(entry) <= width) {
            current += "; " + entry;
            continue;
        }
        if (!current.empty()) lines.push_back(current);
        current.clear();
        if (characters(entry) <= width) {
            current = entry;
            continue;
        }
        for (const std::string& line : wrapped(entry, width)) lines.push_back(line);
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

Frame makeFrame(FigureLayout layout, const std::string& title,
                const std::vector<std::string>& notes, std::size_t rows0, std::size_t rows1,
                std::size_t entries, const std::vector<std::string>& key, HeaderLines room,
                const std::vector<std::string>& footnotes)
{
    const LayoutMetrics& m = metrics(layout);
    Frame f{};
    f.layout = layout;
    f.width = m.width;
    f.titleLines = headerText(m.titleCharacters, {title});
    f.noteLines = headerText(m.noteCharacters, notes);
    f.titleTop = m.titleTop;
    f.titleStep = m.titleStep;
    f.titleSize = m.titleSize;
    f.noteStep = m.noteStep;
    f.plotWidth = m.plotWidth;
    f.plotHeight = m.plotHeight;
    f.smallText = 12;
    const std::size_t titleLines = std::max(f.titleLines.size(), room.title);
    const std::size_t noteLines = std::max({f.noteLines.size(), room.notes, std::size_t(1)});
    f.noteTop = f.titleTop + m.titleStep * double(titleLines - 1) + m.titleToNote;
    const double lastNote = f.noteTop + m.noteStep * double(noteLines - 1);
    const double plotTop = std::max(m.plotTopAtLeast, lastNote + m.noteToPlot);
    // Side by side, both tables end at the longer one; stacked, each where it ends.
    const double tableHeight[2] = {
        double((m.stacked ? rows0 : std::max(rows0, rows1)) + 1) * tableRowHeight,
        double((m.stacked ? rows1 : std::max(rows0, rows1)) + 1) * tableRowHeight};
    for (int p = 0; p < 2; ++p) {
        f.panelLeft[p] = m.panelLeft[p];
        f.plotTop[p] = p == 1 && m.stacked ? f.tableTop[0] + tableHeight[0] + m.panelGap
                                           : plotTop;
        f.tableTop[p] = f.plotTop[p] + m.plotHeight + m.plotToTable;
    }
    f.legendLeft = m.legendLeft;
    f.legendColumnWidth = m.legendColumnWidth;
    f.legendColumns = m.legendColumns;
    f.legendTop = f.tableTop[1] + tableHeight[1] + m.tableToLegend;
    f.keyLines = packed(key, m.keyCharacters);
    f.keyTop = f.legendTop + legendHeight(entries, f.legendColumns) - 1.5;
    f.shownOnly = layout == FigureLayout::Compact;
    for (const std::string& note : footnotes) {
        for (const std::string& line : wrapped(note, m.keyCharacters)) f.footLines.push_back(line);
    }
    // The footnotes a paragraph's gap under the key, or where the key would begin.
    f.footTop = f.keyTop + (f.keyLines.empty() ? 4 : keyLineHeight * double(f.keyLines.size()) + 6);
    // Below the legend's last row (or the key's or the footnotes' last line) room for its
    // descenders.
    if (!f.footLines.empty()) {
        f.height = f.footTop + keyLineHeight * double(f.footLines.size() - 1) + 7.5;
    } else {
        f.height = f.keyLines.empty()
                       ? f.legendTop + legendHeight(entries, f.legendColumns) + m.bottom
                       : f.keyTop + keyLineHeight * double(f.keyLines.size() - 1) + 7.5;
    }
    return f;
}

std::string frameStart(const Frame& frame, const std::string& title,
                       const std::string& description)
{
    std::string svg = svgStart(frame.width, frame.height, title, description);
    svg.reserve(32768);  // a figure is some 20 to 30 KB: one allocation rather than a dozen
    double y = frame.titleTop;
    for (const std::string& line : frame.titleLines) {
        text(svg, 20, y, line, {frame.titleSize, "bold"});
        y += frame.titleStep;
    }
    y = frame.noteTop;
    for (const std::string& line : frame.noteLines) {
        text(svg, 20, y, line, {13, "", "", "#424242"});
        y += frame.noteStep;
    }
    return svg;
}

View panelView(const Frame& frame, int p, double uMin, double uMax, double vMin, double vMax)
{
    View view = fitView(frame.panelLeft[p], frame.plotTop[p], frame.plotWidth, frame.plotHeight,
                        uMin, uMax, vMin, vMax);
    view.smallText = frame.smallText;
    return view;
}

void panelHeading(std::string& svg, const Frame& frame, int p, const std::string& heading)
{
    text(svg, frame.panelLeft[p], frame.plotTop[p] - 22, heading, {14, "bold"});
}

void frameTable(std::string& svg, const Frame& frame, const View& view, int p, const Table& t)
{
    table(svg, view.left - 40, frame.tableTop[p], frame.shownOnly ? shownColumns(t) : t);
}

void frameLegend(std::string& svg, const Frame& frame, const std::vector<LegendEntry>& entries)
{
    legend(svg, frame.legendLeft, frame.legendTop, frame.legendColumnWidth, frame.legendColumns,
           entries);
    for (std::size_t i = 0; i < frame.keyLines.size(); ++i) {
        text(svg, frame.legendLeft, frame.keyTop + keyLineHeight * double(i), frame.keyLines[i],
             {12});
    }
    for (std::size_t i = 0; i < frame.footLines.size(); ++i) {
        text(svg, frame.legendLeft, frame.footTop + keyLineHeight * double(i), frame.footLines[i],
             {12, "", "", "#424242"});
    }
}

} // namespace fig
