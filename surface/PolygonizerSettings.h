#pragma once
// Polygonization settings held by the surface manager, the algorithm choice
// and the parameters of one refinement run.

namespace vynui_bt {
class BlobTreeSceneObject;
}

namespace vynui {

struct PolygonizerSettings {
    float isoValue = 0.5f;
    /// Edge length of a cell in world units; never below MIN_CELL_SIZE.
    float cellSize = 0.1f;
    /// Cell size of the last bounded run; a difference forces a new lattice.
    float previousCellSize = -1.0f;
    /// When set the polygonizer gets gridCells instead of a cell size.
    bool gridResolutionControl = false;
    unsigned int gridCells = 0;
    unsigned int edgeBisections = 8;
    bool extendedMarchingCubes = false;
    /// Threads a polygonization may use; 0 uses every core.
    unsigned int threads = 0;
    /// Cells a run may visit before it stops, leaving part of the surface
    /// out; 0: the polygonizer's own limit (about four million).
    unsigned long maxCells = 0;

    static constexpr float MIN_CELL_SIZE = 0.001f;
};

/// In the order of the settings dialog's radio group.
enum PolygonizerAlgorithm {
    MarchingCubes = 0,
    ExtendedMarchingCubes = 1,
    /// Has no polygonizer of its own: surfaces keep the one they used.
    MarchingTriangles = 2,
    BoundedMarchingCubes = 3
};

/// The radio text of an algorithm ("" for a value outside the group).
const char* GetAlgorithmName(PolygonizerAlgorithm algorithm);

struct RefinementRequest {
    vynui_bt::BlobTreeSceneObject* sceneObject = nullptr;
    unsigned int rznSteps = 0;
    unsigned int znSteps = 0;
    unsigned int rnSteps = 0;
    unsigned int rSteps = 0;
    unsigned int zSteps = 0;
    unsigned int nSteps = 0;
    bool subdivideOnce = false;
    /// Silent runs do not tell the surface's listeners.
    bool silent = false;
};

}  // namespace vynui
