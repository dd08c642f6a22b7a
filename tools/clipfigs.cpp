// clipfigs: draws the figures of docs/clipping.md, or of any triangle, with the program's own
// projection and clipper (through the figure library, clip_figures.h), so that the pictures show
// what the code does.
//
//   clipfigs [--screen | --compact] OUTDIR
//       the walkthrough's triangles into OUTDIR/figures/ (the docs use: clipfigs docs), and the
//       figures of its section on other clippers' rules; with
//       --screen laid out for a screen 390 CSS px wide, into OUTDIR/figures/screen/, with
//       --compact in the compact layout, 700 px wide, into OUTDIR/figures/compact/ (the web
//       build's walkthrough page shows those on screens too narrow for the print layout)
//   clipfigs --triangle x0,y0,z0,x1,y1,z1,x2,y2,z2 [--title TEXT] [--stem NAME]
//            [--screen | --compact] [--steps | --question K [--edge E]] OUTDIR
//       the seven figures of that triangle (eye space) into OUTDIR/, named NAME-pass1-left.svg
//       ... NAME-final.svg; the title and stem are "custom" unless given. The clip explorer page
//       draws the same bytes for the same triangle and title. --screen: the layout for a screen
//       390 CSS px wide, --compact: the compact layout (same names); --steps: also every step of
//       every pass's edge walk, NAME-pass1-left-step1.svg ... A title that is not UTF-8 is
//       refused. --question K [--edge E]: instead, only the question about pass K (1 to 6), with
//       edge E of its walk (from 1) marked, NAME-passK-PLANE-question[-edgeE].svg: the input of
//       the pass and nothing of its answer, as the explorer's practice and the worksheets show it.
//   clipfigs --clip x0,y0,z0,w0,x1,y1,z1,w1,x2,y2,z2,w2 [--title TEXT] [--stem NAME]
//            [--screen | --compact] [--steps] OUTDIR
//       the same for a triangle given in clip space, clipped as given (twelve numbers within the
//       same limits); the clip explorer draws the same bytes for its address #c=...
//   The rules of another clipper, with --triangle or --clip (each as the explorer's address
//   names it; the page draws the same bytes under the same rules):
//     --volume gl|zero-one|mismatch   the clip volume: -w <= z <= w (the program's), 0 <= z <= w
//                                     with the projection made for it, or matFrustum's
//                                     projection against 0 <= z <= w
//     --clamp                         depth clamp: no near and far passes
//     --guard G                       a guard band: the side planes at ±G·w, G 1, 2, 4 or 8
//     --u a,b,c                       the corners' attribute u, shown through each cut
//   clipfigs --explorer-links [--figures]
//       for each walkthrough triangle, its stem and the explorer's address that shows it; with
//       --figures, for each of its figures the figure's name (its file name without ".svg") and
//       the address that opens it: a pass's figure that pass alone ("&pass=2"), the final
//       figure all six passes; then the same for the walkthrough's figures under other rules,
//       their rules after the pass ("&volume=mismatch")
//   clipfigs --practise S --pass K --count N
//       the first N triangles of the practice sequence of seed S for pass K (1 to 6), a line
//       each, "#t=x0,y0,z0,x1,y1,z1,x2,y2,z2" as the explorer's address writes them: the
//       exercises of explore.html#practise&seed=S&pass=K&n=1 to N and of the worksheet
//       worksheet.html#seed=S&pass=K&count=N
//
// The six clipToPlane passes must agree bit for bit with clipToFrustum, or nothing more is
// written and the exit status is 1. A command line it cannot use gives status 2.
#include "figures/clip_figures.h"
#include "practice/practice.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace {

const char* const usage =
    "usage: clipfigs [--screen | --compact] OUTDIR\n"
    "       clipfigs --triangle x0,y0,z0,x1,y1,z1,x2,y2,z2 [--title TEXT] [--stem NAME]\n"
    "                [--screen | --compact] [--steps | --question K [--edge E]] OUTDIR\n"
    "       clipfigs --clip x0,y0,z0,w0,x1,y1,z1,w1,x2,y2,z2,w2 [--title TEXT] [--stem NAME]\n"
    "                [--screen | --compact] [--steps | --question K [--edge E]] OUTDIR\n"
    "       (with either: [--volume gl|zero-one|mismatch] [--clamp] [--guard 1|2|4|8]\n"
    "                     [--u a,b,c])\n"
    "       clipfigs --explorer-links [--figures]\n"
    "       clipfigs --practise S --pass K --count N\n"
    "The first writes the figures of docs/clipping.md into OUTDIR/figures/ (--screen: laid out\n"
    "for a screen 390 px wide, into OUTDIR/figures/screen/; --compact: 700 px wide, into\n"
    "OUTDIR/figures/compact/); the second the seven figures of one triangle (eye space) into\n"
    "OUTDIR/ (--screen, --compact: those layouts; --steps: with a figure for each step of each\n"
    "pass; --question: only the question about pass K, edge E marked); the third the same\n"
    "for a triangle in clip space, clipped as given; either under another clipper's rules:\n"
    "its clip volume, depth clamp, a guard band, an attribute u at the corners; the next\n"
    "prints, for each triangle of docs/clipping.md, its stem and the clip explorer's address\n"
    "that shows it (--figures: for each of its figures, the figure's name and the address that\n"
    "opens it); --practise prints the first N triangles of the practice sequence of seed S for\n"
    "pass K, one #t= line each.\n";

// Opened in binary mode, so that the bytes are the same on every platform (no CR LF).
bool writeFile(const std::filesystem::path& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "clipfigs: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

bool makeFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "clipfigs: cannot create %s: %s\n", folder.string().c_str(),
                     error.message().c_str());
        return false;
    }
    return true;
}

// What --triangle asks for besides the triangle.
struct Options {
    FigureLayout layout = FigureLayout::Print;
    bool steps = false;  // also a figure per step of each pass's edge walk
    int question = 0;    // 1 to 6: only the question about that pass
    int edge = 0;        // with it, the edge marked (from 1), or none (0)
    ClipRules rules;     // the clipper's rules: the program's unless asked
};

// Writes one triangle's seven figures into folder; false (after a message) on any failure.
bool writeFigures(const TriangleFigures& drawn, const std::string& stem,
                  const std::filesystem::path& folder, const Options& options)
{
    if (!drawn.passesAgree) {
        std::fprintf(stderr,
                     "clipfigs: triangle \"%s\": clipToFrustum and the six clipToPlane passes "
                     "disagree\n",
                     stem.c_str());
        return false;
    }
    if (options.question > 0) {
        const Figure question =
            drawQuestionFigure(drawn, options.question - 1, options.edge - 1, options.layout);
        if (question.svg.empty()) {
            std::fprintf(stderr, "clipfigs: --question %d --edge %d: pass %d has no such edge%s\n",
                         options.question, options.edge, options.question,
                         drawn.skipped[options.question - 1] ? " (it is not made)" : "");
            return false;
        }
        return writeFile(folder / question.fileName, question.svg);
    }
    for (const Figure& figure : drawn.figures) {
        if (!writeFile(folder / figure.fileName, figure.svg)) return false;
    }
    if (!options.steps) return true;
    for (int pass = 0; pass < 6; ++pass) {
        for (std::size_t edge = 0; edge < drawn.edges[pass].size(); ++edge) {
            const Figure step = drawStepFigure(drawn, pass, int(edge), options.layout);
            if (!writeFile(folder / step.fileName, step.svg)) return false;
        }
    }
    return true;
}

bool writeTriangle(const float corners[9], const std::string& title, const std::string& stem,
                   const std::filesystem::path& folder, const Options& options = {})
{
    return writeFigures(drawTriangleFigures(corners, title, stem, options.layout, options.rules),
                        stem, folder, options);
}

// A stem names files in a folder: letters, digits, '-', '_' and '.', not starting with '.'.
bool isStem(const std::string& stem)
{
    if (stem.empty() || stem[0] == '.' || stem.size() > 100) return false;
    for (char c : stem) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!ok) return false;
    }
    return true;
}

int walkthrough(const char* outdir, FigureLayout layout)
{
    std::filesystem::path folder = std::filesystem::path(outdir) / "figures";
    if (layout == FigureLayout::Screen) folder /= "screen";
    if (layout == FigureLayout::Compact) folder /= "compact";
    if (!makeFolder(folder)) return 1;
    Options options;
    options.layout = layout;
    for (const WalkthroughTriangle& triangle : walkthroughTriangles) {
        if (!writeTriangle(triangle.corners, triangle.title, triangle.stem, folder, options)) {
            return 1;
        }
    }
    // The section on other clippers' rules: one figure each.
    for (const WalkthroughRuleFigure& ruled : walkthroughRuleFigures) {
        const WalkthroughTriangle& triangle = walkthroughTriangles[ruled.triangle];
        ClipRules rules;
        std::string error;
        parseRulesText(ruled.rules, rules, error);
        const TriangleFigures drawn =
            drawTriangleFigures(triangle.corners, triangle.title, ruled.stem, layout, rules);
        const Figure& figure = drawn.figures[ruled.figure];
        if (!drawn.passesAgree || !writeFile(folder / figure.fileName, figure.svg)) return 1;
    }
    const int figures = 7 * static_cast<int>(std::size(walkthroughTriangles)) +
                        static_cast<int>(std::size(walkthroughRuleFigures));
    std::printf("clipfigs: wrote %d figures to %s\n", figures, folder.string().c_str());
    return 0;
}

// --triangle or --clip, with their options.
int oneTriangle(int argc, char** argv)
{
    std::string triangleArg, clipArg, title = defaultTitle, stem = defaultStem;
    bool clipSpace = false;
    Options options;
    const char* outdir = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--triangle" || arg == "--clip" || arg == "--title" || arg == "--stem") &&
            i + 1 < argc) {
            clipSpace = clipSpace || arg == "--clip";
            (arg == "--triangle" ? triangleArg
             : arg == "--clip"   ? clipArg
             : arg == "--title"  ? title
                                 : stem) = argv[++i];
        } else if (arg == "--screen") {
            options.layout = FigureLayout::Screen;
        } else if (arg == "--compact") {
            options.layout = FigureLayout::Compact;
        } else if (arg == "--steps") {
            options.steps = true;
        } else if ((arg == "--question" || arg == "--edge") && i + 1 < argc) {
            const std::string number = argv[++i];
            const bool pass = arg == "--question";
            const bool ok = number.size() == 1 && number[0] >= (pass ? '1' : '0') &&
                            number[0] <= (pass ? '6' : '9');
            if (!ok) {
                std::fprintf(stderr, "clipfigs: %s %s: give %s\n", arg.c_str(), number.c_str(),
                             pass ? "a pass, 1 to 6" : "an edge, 1 to 9 (0: none)");
                return 2;
            }
            (pass ? options.question : options.edge) = number[0] - '0';
        } else if (arg == "--clamp") {
            options.rules.depthClamp = true;
        } else if ((arg == "--volume" || arg == "--guard" || arg == "--u") && i + 1 < argc) {
            std::string error;
            const std::string parameter = arg.substr(2) + "=" + argv[++i];
            ClipRules rule;
            if (!parseRulesText(parameter, rule, error)) {
                std::fprintf(stderr, "clipfigs: %s %s: %s\n", arg.c_str(), argv[i], error.c_str());
                return 2;
            }
            if (arg == "--volume") options.rules.volume = rule.volume;
            if (arg == "--guard") options.rules.guard = rule.guard;
            if (arg == "--u") {
                options.rules.attribute = true;
                std::copy(rule.u, rule.u + 3, options.rules.u);
            }
        } else if (arg.rfind("--", 0) != 0 && !outdir) {
            outdir = argv[i];
        } else {
            std::fprintf(stderr, "clipfigs: unexpected argument %s\n%s", argv[i], usage);
            return 2;
        }
    }
    if (!outdir) {
        std::fprintf(stderr, "clipfigs: no OUTDIR\n%s", usage);
        return 2;
    }
    if ((options.edge > 0 && options.question == 0) || (options.question > 0 && options.steps)) {
        std::fprintf(stderr, "clipfigs: --edge goes with --question, and --question without "
                             "--steps\n%s", usage);
        return 2;
    }
    if (clipSpace == !triangleArg.empty()) {
        std::fprintf(stderr, "clipfigs: give one triangle, --triangle or --clip\n%s", usage);
        return 2;
    }
    float corners[9];
    Vector4 clipCorners[3];
    std::string error;
    if (clipSpace ? !parseClipText(clipArg, clipCorners, error)
                  : !parseTriangleText(triangleArg, corners, error)) {
        std::fprintf(stderr, "clipfigs: %s %s: %s\n", clipSpace ? "--clip" : "--triangle",
                     (clipSpace ? clipArg : triangleArg).c_str(), error.c_str());
        return 2;
    }
    if (!isUtf8(title)) {
        std::fprintf(stderr, "clipfigs: --title: the text is not valid UTF-8\n");
        return 2;
    }
    if (!isStem(stem)) {
        std::fprintf(stderr, "clipfigs: --stem %s: use letters, digits, '-', '_' and '.'\n",
                     stem.c_str());
        return 2;
    }
    const std::filesystem::path folder = outdir;
    if (!makeFolder(folder)) return 1;
    const bool written =
        clipSpace ? writeFigures(drawClipTriangleFigures(clipCorners, title, stem, options.layout,
                                                         options.rules),
                                 stem, folder, options)
                  : writeTriangle(corners, title, stem, folder, options);
    if (!written) return 1;
    const std::string rules = rulesText(options.rules);
    std::printf("clipfigs: wrote the figures to %s; in the explorer: explore.html#%s%s\n",
                folder.string().c_str(),
                (clipSpace ? "c=" + clipText(clipCorners) : "t=" + triangleText(corners)).c_str(),
                (rules.empty() ? "" : "&" + rules).c_str());
    return 0;
}

// The explorer's addresses of the walkthrough's triangles, or of each of their figures.
int explorerLinks(bool figures)
{
    for (const WalkthroughTriangle& triangle : walkthroughTriangles) {
        const std::string address = "explore.html#t=" + triangleText(triangle.corners);
        if (!figures) {
            std::printf("%s %s\n", triangle.stem, address.c_str());
            continue;
        }
        // The names as the library gives its figures, the six passes first.
        const TriangleFigures drawn =
            drawTriangleFigures(triangle.corners, triangle.title, triangle.stem);
        for (int i = 0; i < 7; ++i) {
            std::string name = drawn.figures[i].fileName;
            name.erase(name.size() - 4);  // ".svg"
            const std::string pass = i < 6 ? "&pass=" + std::to_string(i + 1) : "";
            std::printf("%s %s%s\n", name.c_str(), address.c_str(), pass.c_str());
        }
    }
    if (!figures) return 0;
    // The figures under other rules, each at its pass (none for the final figure) and rules.
    for (const WalkthroughRuleFigure& ruled : walkthroughRuleFigures) {
        const WalkthroughTriangle& triangle = walkthroughTriangles[ruled.triangle];
        const TriangleFigures drawn = drawTriangleFigures(triangle.corners, "", ruled.stem);
        std::string name = drawn.figures[ruled.figure].fileName;
        name.erase(name.size() - 4);  // ".svg"
        const std::string pass = ruled.figure < 6 ? "&pass=" + std::to_string(ruled.figure + 1) : "";
        std::printf("%s explore.html#t=%s%s&%s\n", name.c_str(),
                    triangleText(triangle.corners).c_str(), pass.c_str(), ruled.rules);
    }
    return 0;
}

// --practise S --pass K --count N, in any order.
int practise(int argc, char** argv)
{
    std::uint64_t seed = 0;
    int pass = 0, count = 0;
    bool seedGiven = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i], value = argv[i + 1];
        const bool number = !value.empty() && value.size() <= 3 &&
                            value.find_first_not_of("0123456789") == std::string::npos;
        if (arg == "--practise" && !seedGiven && parsePracticeSeed(value, seed)) {
            seedGiven = true;
        } else if (arg == "--pass" && !pass && number && std::stoi(value) >= 1 &&
                   std::stoi(value) <= 6) {
            pass = std::stoi(value);
        } else if (arg == "--count" && !count && number && std::stoi(value) >= 1) {
            count = std::stoi(value);
        } else {
            std::fprintf(stderr, "clipfigs: %s %s: give --practise SEED (0 to %llu), --pass 1 to 6 "
                                 "and --count 1 to 999\n%s",
                         arg.c_str(), value.c_str(),
                         static_cast<unsigned long long>(practiceSeedLimit), usage);
            return 2;
        }
    }
    if (argc % 2 == 0 || !seedGiven || !pass || !count) {
        std::fprintf(stderr, "clipfigs: --practise needs a seed, --pass and --count\n%s", usage);
        return 2;
    }
    std::fputs(practiceLines(seed, pass, count).c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::string(argv[1]) == "--explorer-links") {
        if (argc == 2) return explorerLinks(false);
        if (argc == 3 && std::string(argv[2]) == "--figures") return explorerLinks(true);
        std::fprintf(stderr, "%s", usage);
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--practise") return practise(argc, argv);
    }
    if (argc == 2 && argv[1][0] != '-') return walkthrough(argv[1], FigureLayout::Print);
    if (argc == 3 && std::string(argv[1]) == "--screen" && argv[2][0] != '-') {
        return walkthrough(argv[2], FigureLayout::Screen);
    }
    if (argc == 3 && std::string(argv[1]) == "--compact" && argv[2][0] != '-') {
        return walkthrough(argv[2], FigureLayout::Compact);
    }
    if (argc >= 3 && std::string(argv[1]).rfind("--", 0) == 0) return oneTriangle(argc, argv);
    std::fprintf(stderr, "%s", usage);
    return 2;
}
