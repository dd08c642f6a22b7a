// Where a two-panel figure puts things: see frame.h.
#include "figures/frame.h"

#include "figures/svg.h"

#include <algorithm>
#include <string>
#include <vector>

namespace fig {

namespace {

// Print: the two panels side by side under a header of up to three lines.
const double printWidth = 820;
const double printPanelLeft[2] = {62, 472};
const double printPlotTop = 112;

// Screen: 390 wide; room left of the plot for the tick labels, right of it a margin.
const double screenWidth = 390;
const double screenPanelLeft = 54;
// Characters per header line that fit 350 pixels: DejaVu Sans averages some 0.6 em a character,
// its bold some 0.66 em.
const std::size_t screenTitleCharacters = 32;  // 16 px bold
const std::size_t screenNoteCharacters = 44;   // 13 px

// Below a plot: tick labels, the axis name, then the table's column heads.
const double plotToTable = 58;

// The key of the cut points, 12 px: characters per line that fit the figure's width less its
// margins at 0.58 em a character (no line of DejaVu Sans of ten characters or more averages
// more: 6.96 px at 12 px), and the line spacing, close as a paragraph's, so that the 9-vertex
// triangle's last steps, whose key has four lines, still fit a screen 800 px high.
const std::size_t printKeyCharacters = 114;   // (820 - 24) / 6.96
const std::size_t screenKeyCharacters = 53;   // (390 - 16) / 6.96
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
                std::size_t entries, const std::vector<std::string>& key)
{
    Frame f{};
    f.layout = layout;
    // Side by side, both tables end at the longer one; stacked, each where it ends.
    const bool stacked = layout == FigureLayout::Screen;
    const double tableHeight[2] = {
        double((stacked ? rows0 : std::max(rows0, rows1)) + 1) * tableRowHeight,
        double((stacked ? rows1 : std::max(rows0, rows1)) + 1) * tableRowHeight};
    if (layout == FigureLayout::Print) {
        f.width = printWidth;
        f.titleLines = {title};
        f.noteLines = notes;
        f.titleTop = 28;
        f.noteTop = 50;
        const double lastNote = f.noteTop + 18 * double(std::max<std::size_t>(notes.size(), 1) - 1);
        for (int p = 0; p < 2; ++p) {
            f.panelLeft[p] = printPanelLeft[p];
            f.plotTop[p] = std::max(printPlotTop, lastNote + 44);
            f.tableTop[p] = f.plotTop[p] + plotHeight + plotToTable;
        }
        f.legendLeft = 24;
        f.legendColumnWidth = 400;
        f.legendColumns = 2;
        f.smallText = 12;
    } else {
        f.width = screenWidth;
        f.titleLines = wrapped(title, screenTitleCharacters);
        for (const std::string& note : notes) {
            for (const std::string& line : wrapped(note, screenNoteCharacters)) {
                f.noteLines.push_back(line);
            }
        }
        f.titleTop = 28;
        f.noteTop = f.titleTop + 20 * double(f.titleLines.size() - 1) + 22;
        const double lastNote =
            f.noteTop + 17 * double(std::max<std::size_t>(f.noteLines.size(), 1) - 1);
        f.panelLeft[0] = f.panelLeft[1] = screenPanelLeft;
        f.plotTop[0] = lastNote + 44;
        f.tableTop[0] = f.plotTop[0] + plotHeight + plotToTable;
        f.plotTop[1] = f.tableTop[0] + tableHeight[0] + 46;
        f.tableTop[1] = f.plotTop[1] + plotHeight + plotToTable;
        f.legendLeft = 16;
        f.legendColumnWidth = 360;
        f.legendColumns = 1;
        f.smallText = 12;
    }
    f.legendTop = f.tableTop[1] + tableHeight[1] + 18;
    f.keyLines = packed(key, stacked ? screenKeyCharacters : printKeyCharacters);
    f.keyTop = f.legendTop + legendHeight(entries, f.legendColumns) - 1.5;
    // Below the legend's last row (or the key's last line) room for its descenders.
    f.height = f.keyLines.empty()
                   ? f.legendTop + legendHeight(entries, f.legendColumns) + 8
                   : f.keyTop + keyLineHeight * double(f.keyLines.size() - 1) + 7.5;
    return f;
}

std::string frameStart(const Frame& frame, const std::string& title,
                       const std::string& description)
{
    std::string svg = svgStart(frame.width, frame.height, title, description);
    svg.reserve(32768);  // a figure is some 20 to 30 KB: one allocation rather than a dozen
    double y = frame.titleTop;
    for (const std::string& line : frame.titleLines) {
        text(svg, 20, y, line, {16, "bold"});
        y += 20;
    }
    y = frame.noteTop;
    const double step = frame.layout == FigureLayout::Print ? 18 : 17;
    for (const std::string& line : frame.noteLines) {
        text(svg, 20, y, line, {13, "", "", "#424242"});
        y += step;
    }
    return svg;
}

View panelView(const Frame& frame, int p, double uMin, double uMax, double vMin, double vMax)
{
    View view = fitView(frame.panelLeft[p], frame.plotTop[p], plotWidth, plotHeight, uMin, uMax,
                        vMin, vMax);
    view.smallText = frame.smallText;
    return view;
}

void panelHeading(std::string& svg, const Frame& frame, int p, const std::string& heading)
{
    text(svg, frame.panelLeft[p], frame.plotTop[p] - 22, heading, {14, "bold"});
}

void frameLegend(std::string& svg, const Frame& frame, const std::vector<LegendEntry>& entries)
{
    legend(svg, frame.legendLeft, frame.legendTop, frame.legendColumnWidth, frame.legendColumns,
           entries);
    for (std::size_t i = 0; i < frame.keyLines.size(); ++i) {
        text(svg, frame.legendLeft, frame.keyTop + keyLineHeight * double(i), frame.keyLines[i],
             {12});
    }
}

} // namespace fig
