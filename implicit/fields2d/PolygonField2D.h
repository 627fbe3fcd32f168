#pragma once
// A 2D template given by a polygon outline: what a ".poly2d" profile becomes.

#include <cstddef>
#include <string>
#include <vector>

#include "implicit/ScalarField2D.h"
#include "wml/Polygon2.h"

namespace vynimplicit {

/**
 * \brief A 2D field whose 0.5 contour is a polygon.
 *
 * One simple outline, no holes (a profile file holds one polygon). The
 * outline is kept counter-clockwise; consecutive duplicate vertices are
 * dropped when it is set. Self-intersecting outlines are accepted but their
 * inside follows the closest edge, not a fill rule.
 *
 * With s the signed distance to the outline (negative inside) and b the band
 * width, the value is the soft falloff w(r) = (1 - r^2)^3 of
 *   r = R0 + (1 - R0) s / b,   R0 = FALLOFF_SURFACE_RADIUS,
 * with r clamped to [0, 1]: 0.5 on the outline, 0 from distance b outwards,
 * rising inside to 1 at depth R0 b / (1 - R0) (about 0.83 b) and staying 1
 * deeper in. FieldBounds is the polygon's box grown by b. The gradient is the
 * analytic derivative; like any distance field it jumps across the outline's
 * medial axis where that lies within the band.
 *
 * Distances are found through a uniform grid of edge lists over the field
 * bounds, so evaluation cost depends on the local edge density, not on the
 * vertex count. The grid is made coarser when long edges would make it cost
 * more than MAX_GRID_WORK to build; values stay exact, only slower to find.
 */
class PolygonField2D : public ScalarField2D {
public:
    /// Band width when none is given: this fraction of the polygon's larger extent.
    static constexpr float DEFAULT_BAND_FRACTION = 0.25f;
    /// Most outline vertices accepted.
    static constexpr unsigned MAX_VERTICES = 1u << 20;
    /// Most edge-to-cell tests and row entries one rebuild of the edge grid
    /// may make.
    static constexpr size_t MAX_GRID_WORK = size_t(1) << 25;

    /// No polygon: 0 everywhere, empty bounds.
    PolygonField2D() = default;
    /// Same as SetPolygon(polygon, bandWidth); an invalid polygon leaves the field empty.
    explicit PolygonField2D(const Wml::Polygon2<float>& polygon, float bandWidth = 0.0f);

    /// Replaces the outline. bandWidth <= 0 selects the default band. False,
    /// field unchanged, for fewer than three distinct vertices, more than
    /// MAX_VERTICES, zero area, a NaN or infinite band, or an outline so
    /// large that its distances would overflow.
    bool SetPolygon(const Wml::Polygon2<float>& polygon, float bandWidth = 0.0f);
    /// The outline as held (counter-clockwise, duplicates removed).
    const Wml::Polygon2<float>& GetPolygon() const { return m_polygon; }
    bool HasPolygon() const { return !m_edges.empty(); }

    /// Reads a ".poly2d" file and uses it with the default band. False, field
    /// unchanged, when the file cannot be read or its polygon is refused.
    bool LoadFromFile(const char* path);

    float GetBandWidth() const { return m_band; }
    /// Cells of the edge grid, and the work its last rebuild took (edge-to-cell
    /// tests plus row entries; at most MAX_GRID_WORK).
    size_t GetGridCellCount() const { return size_t(m_nx) * size_t(m_ny); }
    size_t GetGridWork() const { return m_gridWork; }
    /// False (unchanged) for a width that is not positive and finite, or
    /// before a polygon is set.
    bool SetBandWidth(float width);

    /// Stretches the outline (and the band, by the smaller of the two axis
    /// factors) so that FieldBounds becomes box. Refused for a box that is not
    /// finite with positive extents, or without a polygon.
    void SetBounds(const Wml::AxisAlignedBox2<float>& box) override;
    void FieldBounds(Wml::AxisAlignedBox2<float>& box) override { box = m_bounds; }

    float Value(float x, float y) override { return Evaluate(x, y); }
    void Gradient(float x, float y, float& gx, float& gy) override { EvaluateWithGradient(x, y, gx, gy); }
    std::string GetTypeName() const override { return "PolygonField2D"; }

    /// Non-virtual evaluation; safe to call from several threads.
    float Evaluate(float x, float y) const;
    float EvaluateWithGradient(float x, float y, float& gx, float& gy) const;
    /// Signed distance to the outline (negative inside), exact up to the band
    /// width; beyond it only the sign and a lower bound (the band) are known.
    /// Also gives the unit direction of growing distance where found.
    float SignedDistance(float x, float y, float& dx, float& dy) const;

    /// Record: the base bounds, "BandWidth" (float) and the outline as the
    /// record's first polygon.
    bool Store(Wml::SerializerRecord* record) override;
    /// Also accepts the older format's "PolygonVertices" (2D vector list) when
    /// the record holds no polygon. False, field unchanged, on invalid data.
    bool Restore(Wml::SerializerRecord* record) override;
    /// The older format has no polygon lists: writes "PolygonVertices".
    bool Serialize_Old(WmlDeprecated::SerializerRecord* record) override;
    using ScalarField2D::Serialize_Old;

private:
    struct Edge {
        float ax, ay;   // start
        float dx, dy;   // end - start
        float invLen2;  // 1 / |d|^2
        float nx, ny;   // unit outward normal
    };
    void Rebuild();
    void BuildEdges();
    void ChooseGrid();
    double EstimateGridWork(int nx, int ny) const;
    void CellRange(const Edge& e, int& i0, int& i1, int& j0, int& j1) const;
    void BuildCellLists();
    void BuildRowLists();
    void ComputeCellReach();
    void ClassifyEmptyCells();
    float RowCrossingSign(float x, float y, int row) const;

    Wml::Polygon2<float> m_polygon;
    float m_band = 0.0f;
    std::vector<Edge> m_edges;
    std::vector<float> m_vertexNormals;  // 2 per vertex: outward pseudo-normal at vertex i
    // Uniform grid over m_bounds: cell (i, j) lists edges in
    // m_cellEdges[m_cellStart[c] .. m_cellStart[c + 1]), c = j * m_nx + i.
    int m_nx = 0, m_ny = 0;
    float m_cellW = 0.0f, m_cellH = 0.0f;
    std::vector<unsigned> m_cellStart, m_cellEdges;
    std::vector<signed char> m_cellInside;  // for cells without edges: 1 inside, 0 outside
    // Chebyshev distance in cells to the nearest cell with edges: far points
    // skip the search, nearer ones start at the first ring that can hold an edge.
    std::vector<unsigned short> m_cellReach;
    // Edges overlapping each grid row, for sign by ray crossing.
    std::vector<unsigned> m_rowStart, m_rowEdges;
    size_t m_gridWork = 0;
};

}  // namespace vynimplicit
