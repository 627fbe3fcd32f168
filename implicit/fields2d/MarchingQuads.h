#pragma once
// Extracts an iso-contour of a 2D field as a planar graph of line segments.
// The sketch uses it to turn its fitted field into the current polyline; only
// the curves near the given seed points are wanted, so by default only the
// cells around the seeds and along the contours they reach are evaluated.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "wml/AxisAlignedBox2.h"
#include "wml/LinearComplex2.h"
#include "wml/Vector2.h"

namespace vynimplicit {

class ScalarField2D;

/**
 * \brief Seeded marching-squares contouring of a ScalarField2D.
 *
 * The bounds are covered by a lattice of square cells: the longer side of the
 * bounds is split into the cell resolution, the shorter side into as many
 * cells as it takes to cover it (so the lattice may overhang the bounds'
 * maximum on that side by less than one cell). The lattice starts at the
 * bounds' minimum corner.
 *
 * A lattice node is inside when its value is at or above the iso value;
 * NaN counts as outside. Run():
 *  1. From each seed (clamped into the lattice; non-finite seeds are
 *     ignored) walks through the cells, one cell length per step, uphill
 *     when the cell lies outside the contour and downhill when inside, until
 *     it meets a cell the contour crosses. A step never moves further than
 *     to a neighbouring cell, so the walk cannot jump over the contour. The
 *     walk gives up after the constructor's maxSeedCells steps, when it
 *     leaves the lattice, or when it reaches a cell already traced.
 *  2. From that cell traces the whole contour component by continuation
 *     across crossed cell edges.
 * A contour that no seed reaches is not output unless SetScanAll(true),
 * which visits every cell instead.
 *
 * Output: one vertex per crossed cell edge, shared by the two cells on
 * either side, placed by linear interpolation after the configured number
 * of bisection steps on the field, and never on a lattice node (so no two
 * vertices share a position). Segments are oriented with the inside (values
 * above the iso value) on their left, so closed loops run counter-clockwise
 * around the regions above the iso value. A contour inside the lattice comes
 * out as a closed cycle in which every vertex has degree 2; a contour that
 * leaves the lattice is left open and ends in degree-1 vertices on the
 * lattice border. Saddle cells are resolved by the field value at the cell
 * centre.
 *
 * Node values are cached in an array that is invalidated per Run, so each
 * node is evaluated at most once per Run and the field may change between
 * runs. Not thread-safe; the field and output are not owned.
 */
class MarchingQuads {
public:
    /// Largest accepted cell resolution (bounds the lattice caches to ~50 MB).
    static constexpr unsigned MAX_CELL_RESOLUTION = 2048;
    /// Default number of bisection steps when placing a vertex.
    static constexpr unsigned DEFAULT_REFINEMENT_STEPS = 2;
    /// Largest accepted number of bisection steps.
    static constexpr unsigned MAX_REFINEMENT_STEPS = 24;

    /// \p maxSeedCells is the number of cells the walk from each seed may
    /// step through while looking for the contour (0: only the seed's own
    /// cell is tested).
    explicit MarchingQuads(unsigned maxSeedCells = 50);

    MarchingQuads(const MarchingQuads&) = delete;
    MarchingQuads& operator=(const MarchingQuads&) = delete;

    /// The region to contour. Refused (false, old bounds kept) when a
    /// coordinate is not finite or an extent is not positive.
    bool SetBounds(const Wml::AxisAlignedBox2<float>& bounds);
    const Wml::AxisAlignedBox2<float>& GetBounds() const { return m_bounds; }

    /// Cells along the longer side of the bounds; refused (false, old value
    /// kept) outside [1, MAX_CELL_RESOLUTION]. Default 100.
    bool SetCellResolution(unsigned n);
    unsigned GetCellResolution() const { return m_resolution; }

    /// The field to contour (not owned; null outputs nothing).
    void SetField(ScalarField2D* field) { m_field = field; }
    ScalarField2D* GetField() const { return m_field; }

    /// The contour level; refused (false) when not finite. Default 0, the
    /// sketch field's surface value; 2D templates use 0.5.
    bool SetIsoValue(float iso);
    float GetIsoValue() const { return m_iso; }

    /// Where the walks towards the contour start (copied).
    void SetSeedPoints(const std::vector<Wml::Vector2<float>>& seeds) { m_seeds = seeds; }
    const std::vector<Wml::Vector2<float>>& GetSeedPoints() const { return m_seeds; }

    /// Cells each seed's walk may step through (never more than twice the
    /// lattice's width plus height, whatever is set).
    void SetMaxSeedCells(unsigned n) { m_maxSeedCells = n; }
    unsigned GetMaxSeedCells() const { return m_maxSeedCells; }

    /// When set, every cell is visited and every contour in the bounds is
    /// output, seeds or not. Off by default.
    void SetScanAll(bool scanAll) { m_scanAll = scanAll; }
    bool GetScanAll() const { return m_scanAll; }

    /// Bisection steps on the field before interpolating a vertex; refused
    /// (false) above MAX_REFINEMENT_STEPS.
    bool SetRefinementSteps(unsigned steps);
    unsigned GetRefinementSteps() const { return m_refineSteps; }

    /// Where Run() writes (not owned; null: Run() outputs nothing).
    void SetOutput(Wml::LinearComplex2<float>* output) { m_output = output; }
    Wml::LinearComplex2<float>* GetOutput() const { return m_output; }

    /**
     * \brief Clears the output and writes the contours into it.
     * Returns the number of connected components written (closed loops plus
     * open chains); 0 with the output empty when there is no field, no
     * output, no usable bounds or nothing is found.
     */
    unsigned Run();
    /// Same, writing into \p output instead of the one set by SetOutput.
    unsigned Run(Wml::LinearComplex2<float>& output);

    /// Closed loops and open chains of the last Run.
    unsigned GetNumClosedLoops() const { return m_numClosed; }
    unsigned GetNumOpenChains() const { return m_numOpen; }
    /// Field evaluations made by the last Run (nodes, saddle centres,
    /// bisection and walk fallbacks).
    uint64_t GetNumEvaluations() const { return m_numEvaluations; }

private:
    bool PrepareLattice();
    float NodeValue(unsigned i, unsigned j);
    int CellCase(unsigned i, unsigned j);
    void WalkFromSeed(const Wml::Vector2<float>& seed, Wml::LinearComplex2<float>& out);
    void TraceFrom(unsigned ci, unsigned cj, Wml::LinearComplex2<float>& out);
    unsigned EdgeVertex(unsigned i, unsigned j, int cellEdge, Wml::LinearComplex2<float>& out);
    float Evaluate(float x, float y);
    void CountComponents(const Wml::LinearComplex2<float>& out);

    // Settings.
    unsigned m_maxSeedCells;
    Wml::AxisAlignedBox2<float> m_bounds;  // empty until set
    unsigned m_resolution = 100;
    ScalarField2D* m_field = nullptr;
    float m_iso = 0.0f;
    std::vector<Wml::Vector2<float>> m_seeds;
    bool m_scanAll = false;
    unsigned m_refineSteps = DEFAULT_REFINEMENT_STEPS;
    Wml::LinearComplex2<float>* m_output = nullptr;

    // Lattice of the current Run.
    unsigned m_nx = 0, m_ny = 0;  // cells per axis
    float m_originX = 0.0f, m_originY = 0.0f, m_cell = 0.0f;

    // Lazily filled caches; an entry is valid when its stamp equals
    // m_generation, so a new Run invalidates them without clearing.
    uint32_t m_generation = 0;
    std::vector<uint32_t> m_nodeStamp;
    std::vector<float> m_nodeValue;
    std::vector<uint32_t> m_cellStamp;                    // cells already traced
    std::unordered_map<uint64_t, unsigned> m_edgeVertex;  // crossed edge -> output vertex
    std::vector<uint64_t> m_stack;

    unsigned m_numClosed = 0, m_numOpen = 0;
    uint64_t m_numEvaluations = 0;
};

}  // namespace vynimplicit
