#include "surface/PolygonizerControlDialogModel.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "surface/SurfaceManager.h"

namespace vynui {

namespace {

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string FormatFloat(float value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

}  // namespace

std::string IntegerRangeMessage(long long lo, long long hi)
{
    return "Please enter an integer between " + std::to_string(lo) + " and " + std::to_string(hi) + ".";
}

std::string NumberRangeMessage(double lo, double hi)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "Please enter a number between %g and %g.", lo, hi);
    return buffer;
}

bool ParseUnsignedInRange(const std::string& text, unsigned int lo, unsigned int hi, unsigned int& value)
{
    const std::string t = Trimmed(text);
    if (t.empty() || t.size() > 18) return false;
    for (char c : t)
        if (c < '0' || c > '9') return false;
    const unsigned long long v = std::strtoull(t.c_str(), nullptr, 10);
    if (v < lo || v > hi) return false;
    value = static_cast<unsigned int>(v);
    return true;
}

bool ParseFloatInRange(const std::string& text, float lo, float hi, float& value)
{
    const std::string t = Trimmed(text);
    if (t.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || errno == ERANGE || !std::isfinite(v)) return false;
    if (v < lo || v > hi) return false;
    value = static_cast<float>(v);
    return true;
}

void PolygonizerControlDialogModel::Load(CSurfaceManager& manager)
{
    const PolygonizerSettings& settings = manager.GetSettings();
    isoValueText = FormatFloat(settings.isoValue);
    gridResolutionControl = settings.gridResolutionControl;
    gridCellsText = std::to_string(settings.gridCells);
    edgeBisectionsText = std::to_string(settings.edgeBisections);
    algorithm = manager.GetAlgorithm();
    alwaysQuickRefine = manager.GetAlwaysQuickRefine();
}

std::string PolygonizerControlDialogModel::Check() const
{
    unsigned int u = 0;
    float f = 0;
    if (gridResolutionControl && !ParseUnsignedInRange(gridCellsText, 1, 1000, u))
        return IntegerRangeMessage(1, 1000);
    if (!ParseUnsignedInRange(edgeBisectionsText, 1, 100, u)) return IntegerRangeMessage(1, 100);
    if (!ParseFloatInRange(isoValueText, -100.0f, 100.0f, f)) return NumberRangeMessage(-100, 100);
    if (algorithm < MarchingCubes || algorithm > BoundedMarchingCubes) return "Please choose an algorithm.";
    return std::string();
}

bool PolygonizerControlDialogModel::Apply(CSurfaceManager& manager, std::string* message)
{
    const std::string problem = Check();
    if (!problem.empty()) {
        if (message) *message = problem;
        return false;
    }
    unsigned int cells = 0, bisections = 0;
    float iso = 0;
    ParseUnsignedInRange(edgeBisectionsText, 1, 100, bisections);
    ParseFloatInRange(isoValueText, -100.0f, 100.0f, iso);
    {
        boost::recursive_mutex::scoped_lock lock(manager.GetSurfaceLock());
        PolygonizerSettings& settings = manager.GetSettings();
        settings.gridResolutionControl = gridResolutionControl;
        if (gridResolutionControl && ParseUnsignedInRange(gridCellsText, 1, 1000, cells))
            settings.gridCells = cells;
        settings.isoValue = iso;
        manager.SetAlwaysQuickRefine(alwaysQuickRefine);
        settings.edgeBisections = bisections;
    }
    // Switches the extended flag and bounded mode, then re-polygonizes.
    manager.SetAlgorithm(algorithm);
    if (message) message->clear();
    return true;
}

const char* GetAlgorithmName(PolygonizerAlgorithm algorithm)
{
    switch (algorithm) {
        case MarchingCubes:
            return "Marching Cubes";
        case ExtendedMarchingCubes:
            return "Extended Marching Cubes";
        case MarchingTriangles:
            return "Marching Triangles";
        case BoundedMarchingCubes:
            return "Bounded Marching Cubes";
    }
    return "";
}

}  // namespace vynui
