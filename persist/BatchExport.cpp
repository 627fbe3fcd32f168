#include "persist/BatchExport.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "implicit/mesh/VFTriangleMesh.h"
#include "interact/ViewController.h"
#include "persist/MeshExport.h"
#include "persist/SaveLoadManager.h"
#include "scene/SceneManager.h"
#include "surface/IsoSurfaceMesh.h"
#include "surface/PolygonizerSettings.h"
#include "surface/SurfaceManager.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/ExtendedWmlCamera.h"

namespace fs = std::filesystem;

namespace vynui {

namespace {

const char* const kProgram = "Kilnform";
const PolygonizerAlgorithm kAlgorithms[] = {MarchingCubes, ExtendedMarchingCubes, MarchingTriangles,
                                            BoundedMarchingCubes};
const char* const kExtensions[] = {"obj", "stl", "dae", "glb", "ply"};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string Extension(const std::string& path)
{
    const std::string ext = fs::path(path).extension().string();
    return ext.empty() ? ext : Lower(ext.substr(1));
}

// "--name VALUE" or "--name=VALUE"; false when args[i] is not the option.
// A value that is missing or looks like an option leaves value empty.
bool TakeOption(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value)
{
    const std::string& arg = args[i];
    if (arg.compare(0, name.size() + 1, name + "=") == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (arg != name) return false;
    value.clear();
    if (i + 1 < args.size() && args[i + 1].compare(0, 2, "--") != 0) value = args[++i];
    return true;
}

// The first progress call draws the line; later ones redraw it when the
// whole percentage moves.
class ProgressLine {
public:
    explicit ProgressLine(std::ostream& err) : m_err(err) {}
    void operator()(float done)
    {
        const int percent = std::max(0, std::min(100, int(done * 100.0f)));
        if (percent == m_shown) return;
        m_shown = percent;
        m_err << '\r' << kProgram << ": polygonizing " << percent << '%' << std::flush;
    }
    void End()
    {
        if (m_shown >= 0) m_err << '\n';
        m_shown = -1;
    }

private:
    std::ostream& m_err;
    int m_shown = -1;
};

// Why OUT cannot be written, before the slow part; empty when it can be tried.
std::string CannotWrite(const std::string& path)
{
    std::error_code ec;
    const fs::path target(path);
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (!fs::is_directory(folder, ec)) return "the folder \"" + folder.string() + "\" does not exist";
    if (fs::is_directory(target, ec)) return "it is a folder";
    if (fs::exists(target, ec) ? ::access(path.c_str(), W_OK) != 0 : ::access(folder.c_str(), W_OK) != 0)
        return "permission denied";
    return std::string();
}

bool LoadScene(const std::string& path, CSceneManager& scene, ViewController& view, std::string& why)
{
    CSaveLoadManager files;
    files.SetSceneManager(&scene);
    files.SetViewController(&view);
    // ".kfn" anywhere in the name picks the older format, as "Open..." does.
    if (path.find(".kfn") == std::string::npos) {
        if (files.LoadScene(path)) return true;
        why = files.GetLastError().empty() ? "it is not a scene file" : files.GetLastError();
        return false;
    }
    WmlDeprecated::Serializer serializer;
    if (!serializer.Read(path.c_str())) {
        why = "it is not a scene file";
        return false;
    }
    if (!files.LoadOldScene(&serializer)) {
        why = "its scene is damaged";
        return false;
    }
    return true;
}

}  // namespace

bool BatchExport::IsBatchCommand(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        if (arg == "--export-mesh" || arg.compare(0, 14, "--export-mesh=") == 0) return true;
    }
    return false;
}

int BatchExport::FindAlgorithm(const std::string& name)
{
    std::string wanted = Lower(name);
    std::replace(wanted.begin(), wanted.end(), '-', ' ');
    std::replace(wanted.begin(), wanted.end(), '_', ' ');
    for (PolygonizerAlgorithm algorithm : kAlgorithms)
        if (wanted == Lower(GetAlgorithmName(algorithm))) return algorithm;
    return -1;
}

std::string BatchExport::Usage()
{
    std::ostringstream text;
    text << "Usage: " << kProgram
         << " --export-mesh OUT [--cell-size S] [--algorithm NAME] [--threads N] SCENE\n"
         << "\n"
         << "Reads the scene file SCENE (.xml or .kfn), polygonizes its whole tree and writes the\n"
         << "mesh to OUT, scaled by the scene's world scale factor, without opening a window.\n"
         << "The format follows OUT's extension: .obj, .stl, .dae (COLLADA), .glb (binary glTF), .ply.\n"
         << "\n"
         << "Options:\n"
         << "  --export-mesh OUT   the mesh file to write\n"
         << "  --cell-size S       edge length of the polygonizer's cells, a positive number\n"
         << "                      (default " << PolygonizerSettings().cellSize << "; at least "
         << PolygonizerSettings::MIN_CELL_SIZE << " is used)\n"
         << "  --algorithm NAME    the polygonizer (any case, '-' for spaces), one of:\n";
    for (PolygonizerAlgorithm algorithm : kAlgorithms) {
        text << "                        \"" << GetAlgorithmName(algorithm) << '"';
        if (algorithm == MarchingCubes) text << " (the default)";
        // It has no polygonizer of its own: a surface keeps the one it had.
        if (algorithm == MarchingTriangles) text << " (keeps the default polygonizer)";
        text << "\n";
    }
    text << "  --threads N         threads the polygonizer may use, 1 to 1024 (default: every core)\n"
         << "  -h, --help          show this text\n"
         << "\n"
         << "Exit codes: 0 written; 1 the scene cannot be read or holds no surface, or OUT cannot be\n"
         << "written; 2 bad arguments.\n";
    return text.str();
}

bool BatchExport::Parse(const std::vector<std::string>& args, BatchExportOptions& options, std::string& error)
{
    options = BatchExportOptions();
    // Help wins over anything else on the line, malformed or not.
    for (const std::string& arg : args)
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            return true;
        }
    bool haveOut = false;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (TakeOption(args, i, "--export-mesh", value)) {
            if (value.empty()) {
                error = "--export-mesh needs the name of the mesh file to write";
                return false;
            }
            options.outPath = value;
            haveOut = true;
        } else if (TakeOption(args, i, "--cell-size", value)) {
            // strtof alone takes "nan", "inf", hex and trailing text.
            char* end = nullptr;
            const float size = value.empty() ? 0.0f : std::strtof(value.c_str(), &end);
            if (value.empty() || *end || !std::isfinite(size) || size <= 0.0f) {
                error = "--cell-size must be a positive number, not \"" + value + "\"";
                return false;
            }
            options.cellSize = size;
        } else if (TakeOption(args, i, "--threads", value)) {
            char* end = nullptr;
            const long threads = value.empty() ? 0 : std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || threads < 1 || threads > 1024) {
                error = "--threads must be a whole number from 1 to 1024, not \"" + value + "\"";
                return false;
            }
            options.threads = unsigned(threads);
        } else if (TakeOption(args, i, "--algorithm", value)) {
            options.algorithm = FindAlgorithm(value);
            if (options.algorithm < 0) {
                error = "unknown algorithm \"" + value + "\"";
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option \"" + arg + "\"";
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (!haveOut) {
        error = "--export-mesh OUT is missing";
        return false;
    }
    if (positional.size() != 1) {
        error = positional.empty() ? "the scene file is missing"
                                   : "give one scene file, not " + std::to_string(positional.size());
        return false;
    }
    options.scenePath = positional[0];
    if (!MeshExport::FindFormatByExtension(Extension(options.outPath))) {
        error = "\"" + options.outPath + "\" has no mesh extension (";
        for (const char* ext : kExtensions) error += std::string(ext == kExtensions[0] ? "." : ", .") + ext;
        error += ")";
        return false;
    }
    return true;
}

int BatchExport::Run(const BatchExportOptions& options, std::ostream& err)
{
    const MeshExportFormat* format = MeshExport::FindFormatByExtension(Extension(options.outPath));
    if (!format) {
        err << kProgram << ": \"" << options.outPath << "\" has no mesh extension\n";
        return BAD_ARGUMENTS;
    }
    std::error_code ec;
    if (!fs::is_regular_file(options.scenePath, ec)) {
        err << kProgram << ": cannot read the scene \"" << options.scenePath
            << "\": " << (fs::is_directory(options.scenePath, ec) ? "it is a folder" : "no such file")
            << "\n";
        return FILE_ERROR;
    }
    const std::string refused = CannotWrite(options.outPath);
    if (!refused.empty()) {
        err << kProgram << ": cannot write \"" << options.outPath << "\": " << refused << "\n";
        return FILE_ERROR;
    }

    CSceneManager scene;
    Wml::ExtendedWmlCamera camera(640.0f, 480.0f);
    ViewController view(&camera);
    std::string why;
    if (!LoadScene(options.scenePath, scene, view, why)) {
        err << kProgram << ": cannot read the scene \"" << options.scenePath << "\": " << why << "\n";
        return FILE_ERROR;
    }

    CSurfaceManager surfaces;
    surfaces.AddSceneSurface(scene.GetModel());
    if (options.algorithm >= 0) surfaces.SetAlgorithm(PolygonizerAlgorithm(options.algorithm));
    if (options.cellSize > 0.0f)
        surfaces.GetSettings().cellSize = std::max(options.cellSize, PolygonizerSettings::MIN_CELL_SIZE);
    surfaces.GetSettings().threads = options.threads;
    surfaces.GetSettings().maxCells = options.maxCells;
    ProgressLine progress(err);
    IsoSurfaceMesh* surface = surfaces.GetSurface(scene.GetModel());
    if (surface) surface->SetProgress([&progress](float done) { progress(done); });

    vynmesh::VFTriangleMesh mesh;
    MeshExport exporter(&surfaces, &view, nullptr);
    const bool made = exporter.CopyScaledSurfaceMesh(view.GetWorldScaleFactor(), mesh);
    const bool incomplete = surface && surface->IsIncomplete();
    progress.End();
    surfaces.RemoveSceneSurface(scene.GetModel());
    if (!made) {
        err << kProgram << ": the scene \"" << options.scenePath << "\" holds no surface";
        // Cells wider than the shapes step over them.
        if (options.cellSize > 0.0f)
            err << " at cell size " << surfaces.GetSettings().cellSize
                << " (a smaller --cell-size may find it)";
        err << "; nothing was written\n";
        return FILE_ERROR;
    }
    std::string error;
    if (!(mesh.*format->write)(options.outPath, error)) {
        err << kProgram << ": " << error << "\n";
        return FILE_ERROR;
    }
    err << kProgram << ": wrote " << mesh.GetNumTriangles() << " triangles to \"" << options.outPath
        << "\"\n";
    if (incomplete)
        err << kProgram << ": warning: the surface needs more cells than one run may visit at cell size "
            << surfaces.GetSettings().cellSize
            << ", so part of it is missing from the mesh; a larger --cell-size gives all of it\n";
    return DONE;
}

int BatchExport::Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i] ? argv[i] : "");
    BatchExportOptions options;
    std::string error;
    if (!Parse(args, options, error)) {
        err << kProgram << ": " << error << "\n\n" << Usage();
        return BAD_ARGUMENTS;
    }
    if (options.help) {
        out << Usage();
        return DONE;
    }
    return Run(options, err);
}

}  // namespace vynui
