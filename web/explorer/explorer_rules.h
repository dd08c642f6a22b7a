// The rules the clip explorer draws under, shared by its two compiled parts: explorer.cpp draws
// with the rules the page script set last (explorer_rules.cpp), and hands each drawing back here
// for what its containers carry of them.
#pragma once

#include "figures/clip_figures.h"

// The rules the page set last (the program's until it sets others).
const ClipRules& explorerRules();
// After each draw: keeps what the page reads of the drawing's rules until the next draw.
void keepRuledDrawing(const TriangleFigures& drawn);
