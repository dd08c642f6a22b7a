// The walkthrough's triangles, docs/clipping.md. See clip_figures.h.
#include "figures/clip_figures.h"

#include <cstring>

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

const WalkthroughRuleFigure walkthroughRuleFigures[3] = {
    // OpenGL's projection against 0 <= z: the near plane moves to depth 0.4 and cuts off more.
    {"crosses-near-mismatch", 0, "volume=mismatch", 6},
    // A guard band of 4: the corner triangle's picture with 2 cuts instead of 6.
    {"corner-guard4", 1, "guard=4", 6},
    // u through the near plane's cuts, whose ends' w differ: the divided edge's parameter errs.
    {"crosses-near-u", 0, "u=0,0.5,1", 6},
};

const WalkthroughTriangle* findWalkthroughTriangle(const float corners[9])
{
    for (const WalkthroughTriangle& triangle : walkthroughTriangles) {
        if (std::memcmp(triangle.corners, corners, sizeof triangle.corners) == 0) return &triangle;
    }
    return nullptr;
}
