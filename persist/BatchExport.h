#pragma once
// Batch export: a scene file read, its whole tree polygonized and the mesh
// written, without a window or a GL context.
//
//   Kilnform --export-mesh OUT [--cell-size S] [--algorithm NAME] [--threads N] SCENE
//
// The mesh is scaled by the scene's world scale factor and written by the
// same writers as the "Export Mesh" menu, chosen by OUT's extension. Exit
// codes: 0 written; 1 the scene cannot be read, holds no surface, or OUT
// cannot be written (the message names the file); 2 bad arguments (with the
// usage). Progress goes to the error stream as one line rewritten with '\r'.

#include <ostream>
#include <string>
#include <vector>

namespace vynui {

struct BatchExportOptions {
    std::string outPath;
    std::string scenePath;
    /// Unset (<= 0): the surface manager's default.
    float cellSize = 0.0f;
    /// A PolygonizerAlgorithm; -1: the surface manager's default.
    int algorithm = -1;
    /// Threads the polygonizer may use; 0: every core.
    unsigned threads = 0;
    /// Cells the polygonizer may visit; 0: its own limit. Not on the command line.
    unsigned long maxCells = 0;
    bool help = false;
};

class BatchExport {
public:
    enum ExitCode { DONE = 0, FILE_ERROR = 1, BAD_ARGUMENTS = 2 };

    /// True when the command line asks for a batch export ("--export-mesh"
    /// anywhere in it): the program then opens no window.
    static bool IsBatchCommand(int argc, const char* const* argv);
    /// The arguments after the program name into options; false with the
    /// reason in error for an unknown option, a missing or extra value, a
    /// cell size that is not a positive finite number, a thread count that
    /// is not a whole number from 1 to 1024, an unknown algorithm or an
    /// extension no writer has.
    static bool Parse(const std::vector<std::string>& args, BatchExportOptions& options, std::string& error);
    /// The usage text, the algorithm names and formats included.
    static std::string Usage();
    /// The algorithm of a name the polygonizer settings know ("Marching
    /// Cubes"; any case, '-' or '_' for spaces); -1 for others.
    static int FindAlgorithm(const std::string& name);

    /// Loads, polygonizes and writes; messages and progress go to err.
    static int Run(const BatchExportOptions& options, std::ostream& err);
    /// Parse, then usage (out) for --help, or Run. The exit code.
    static int Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
};

}  // namespace vynui
