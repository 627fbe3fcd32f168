#pragma once
// The "Polygonizer Control" dialog without its window: the fields as the
// form shows them, their ranges, loading from and applying to the manager.

#include <string>

#include "surface/PolygonizerSettings.h"

namespace vynui {

class CSurfaceManager;

class PolygonizerControlDialogModel {
public:
    /// Shows the manager's current settings.
    void Load(CSurfaceManager& manager);
    /// Checks every edit; when one is out of range nothing is applied and
    /// message holds the range text. Otherwise copies the fields back to the
    /// manager, switches the algorithm and re-polygonizes every surface.
    bool Apply(CSurfaceManager& manager, std::string* message = nullptr);
    /// Empty when every edit is in range, else the first range message.
    std::string Check() const;

    /// The "MC Cells:" edit is enabled exactly while this is ticked.
    bool IsGridCellsEnabled() const { return gridResolutionControl; }

    // "IsoValue:", "MC Cells:" and "MC Edge Bisections:" as typed.
    std::string isoValueText;
    std::string gridCellsText;
    std::string edgeBisectionsText;
    bool gridResolutionControl = false;
    bool alwaysQuickRefine = false;
    PolygonizerAlgorithm algorithm = MarchingCubes;
};

/// The range messages of the dialogs.
std::string IntegerRangeMessage(long long lo, long long hi);
std::string NumberRangeMessage(double lo, double hi);
/// Whole text is an unsigned integer in [lo, hi].
bool ParseUnsignedInRange(const std::string& text, unsigned int lo, unsigned int hi, unsigned int& value);
/// Whole text is a finite number in [lo, hi].
bool ParseFloatInRange(const std::string& text, float lo, float hi, float& value);

}  // namespace vynui
