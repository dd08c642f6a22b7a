// What the explorer's compiled side (explorer.cpp) shares with its other compiled parts: the
// drawing the page shows, as the last explorerDraw or explorerDrawClip made it, and how a figure
// is handed to the page.
#pragma once

#include "figures/clip_figures.h"

#include <string>

// The last drawing; empty before the first. Valid until the next draw.
const TriangleFigures& explorerDrawing();
// A figure's bytes as the data URL the page shows it from (an image of its own document).
std::string explorerFigureUrl(const std::string& svg);
