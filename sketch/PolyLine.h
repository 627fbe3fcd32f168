#pragma once
// A 2D curve graph (vertices and undirected edges) that may hold several
// closed loops, and the builders that turn a closed one into a sampled 2D
// field whose 0.5 contour is the curve.

#include <vector>

#include "wml/AxisAlignedBox2.h"
#include "wml/Polygon2.h"
#include "wml/Vector2.h"

namespace Wml {
template <class Real>
class BSplineCurve2;
}
namespace vynimplicit {
class DiscreteScalarField2D;
}

namespace vynsketch {

class PointSet;
class SketchField;

/**
 * \brief Vertices plus undirected edges.
 *
 * Closed: every vertex has at least two incident edges. Simple: none has more
 * than two. A closed simple polyline is a set of disjoint loops.
 *
 * Edges may name vertices that do not exist (yet); every query skips such
 * edges, so they never cause an out-of-range access.
 */
class PolyLine {
public:
    struct Edge {
        Edge() : v1(0), v2(0) {}
        Edge(unsigned int first, unsigned int second) : v1(first), v2(second) {}
        unsigned int v1;
        unsigned int v2;
    };

    /// Largest width or height InitializeFromPGM accepts.
    static constexpr unsigned MAX_PGM_DIMENSION = 16384;
    /// Most marked pixels InitializeFromPGM turns into vertices. An outline
    /// is one pixel wide, so even a long winding one stays far below; a
    /// filled image would make up to four edges per pixel.
    static constexpr unsigned MAX_PGM_OUTLINE_PIXELS = 1u << 22;
    /// Resolutions the field builders accept (the sampled field's limits).
    static constexpr unsigned MIN_FIELD_RESOLUTION = 2;
    static constexpr unsigned MAX_FIELD_RESOLUTION = 8192;

    PolyLine() = default;
    PolyLine(const PolyLine&) = default;
    PolyLine& operator=(const PolyLine&) = default;

    /// Index of the new vertex.
    unsigned int AddVertex(const Wml::Vector2<float>& v);
    /// Index of the new edge.
    unsigned int AddEdge(const Edge& e);
    /// False when an edge joining the same two vertices, in either order, exists.
    bool IsValidEdge(Edge& e);

    unsigned int GetNumVertices() const { return static_cast<unsigned int>(m_vertices.size()); }
    /// Vertex i; the zero vector for an index out of range.
    const Wml::Vector2<float>& GetVertex(unsigned int i) const;
    const std::vector<Wml::Vector2<float>>& GetVertices() const { return m_vertices; }
    unsigned int GetNumEdges() const { return static_cast<unsigned int>(m_edges.size()); }
    /// Edge i; the edge (0, 0) for an index out of range.
    const Edge& GetEdge(unsigned int i) const;
    const std::vector<Edge>& GetEdges() const { return m_edges; }
    bool IsEmpty() const { return m_vertices.empty() && m_edges.empty(); }
    void Clear();

    /// True when the edge's two vertices exist.
    bool HasVertices(const Edge& e) const { return e.v1 < m_vertices.size() && e.v2 < m_vertices.size(); }

    /// Number of edges touching the vertex.
    unsigned int GetConnectivity(unsigned int vertex) const;
    bool IsClosed() const;
    bool IsSimple() const;

    /**
     * \brief The loops of the polyline, each counter-clockwise (holes too).
     * Walks start at the lowest unvisited vertex and stop at a vertex without
     * exactly two neighbours; walks of three or fewer vertices are dropped.
     * With \p simplify every loop is simplified (Polygon2::Simplify(false)).
     * False unless there are more than two vertices and two edges.
     */
    bool GetLoops(std::vector<Wml::Polygon2<float>>& loops, bool simplify) const;

    /**
     * \brief The vertices of a single closed simple loop in walk order from
     * vertex 0, reversed if needed to run counter-clockwise (or clockwise).
     * False for three or fewer vertices or edges, open, branching or
     * multi-loop polylines.
     */
    bool GetOrderedVertexList(std::vector<Wml::Vector2<float>>& out, bool counterClockwise) const;

    /// Box of all vertices; the empty box without vertices or edges.
    Wml::AxisAlignedBox2<float> ComputeBoundingBox() const;
    /// Mean of the vertices; zero without any.
    Wml::Vector2<float> ComputeCenterOfMass() const;

    /**
     * \brief Maps the polyline into the unit square, its longer side spanning
     * it and the shorter one centred. Uses \p box, or the bounding box when
     * null. Returns the scale; \p size receives 1 / scale. A degenerate box
     * (no extent, or not finite) leaves the vertices alone and answers 1.
     */
    float ToUnitSquare(float& size, float& offsetX, float& offsetY,
                       const Wml::AxisAlignedBox2<float>* box = nullptr);
    void Translate(float dx, float dy);

    /**
     * \brief Reads a one-pixel-wide outline from a P2 or P5 image: every pixel
     * equal to \p value becomes a vertex at its centre, joined to its marked
     * neighbours to the right, below, below-right and below-left.
     * False for an unreadable, malformed, truncated or oversized file, and
     * for an image with more than MAX_PGM_OUTLINE_PIXELS marked pixels (no
     * outline; refused with a trace message naming the limit, nothing
     * added). What the polyline held before stays.
     */
    bool InitializeFromPGM(const char* path, unsigned int value = 255);

    /// Value points of every loop: each vertex at the surface value and, one
    /// normal projection length to either side, the outside value on the
    /// material side and the inside value on the other (the outline builders
    /// fit a spline that falls into the material). Loops inside an odd number
    /// of others are holes. False when loop extraction fails.
    bool GenPointSet(PointSet& points) const;
    /// 15 points on the circle, each with \p value.
    void AddCircleConstraint(PointSet& points, const Wml::Vector2<float>& centre, float radius,
                             float value) const;

    /**
     * \brief An N x N field over the working square [0, 3]^2 in which the
     * polyline (mapped into [1, 2]^2) is the 0.5 contour, by a thin-plate fit.
     * \p field is not used. \p box is the region mapped to [1, 2]^2 (the
     * bounding box when null); \p loops, when given, receives the unit-square
     * loops. Null when no loop of more than three vertices exists, the fit
     * fails, the offset is not finite or the resolution lies outside
     * [MIN_FIELD_RESOLUTION, MAX_FIELD_RESOLUTION]. The caller owns the
     * result and places it (its bounds are not set).
     *
     * Away from the 0.5 level the fit is interpolated from a coarse lattice
     * of exact values (within ~1e-3); every sample near the level is exact.
     */
    vynimplicit::DiscreteScalarField2D* MakeImplicitFieldVariational(
        SketchField* field, unsigned int resolution, bool circleConstraint = true, float offset = 0.01f,
        const Wml::AxisAlignedBox2<float>* box = nullptr,
        std::vector<Wml::Polygon2<float>>* loops = nullptr) const;

    /**
     * \brief An N x N distance-based field over [0, 3]^2 with the polyline in
     * [1, 2]^2; \p field (positive inside the curve, in the polyline's own
     * coordinates) decides the sign near the curve. Null without a field,
     * without edges or for an unsupported resolution.
     */
    vynimplicit::DiscreteScalarField2D* MakeImplicitFieldBruteForce(SketchField* field,
                                                                    unsigned int resolution) const;

    /**
     * \brief An N x N variational field of a closed curve sampled at 800
     * parameters; \p boxOut receives the 3S x 3S box centred on the origin
     * (S the curve's larger side) the field is meant to cover. Null when the
     * curve cannot be fitted.
     */
    static vynimplicit::DiscreteScalarField2D* GetFieldForClosedBSpline(Wml::BSplineCurve2<float>& curve,
                                                                        unsigned int resolution,
                                                                        Wml::AxisAlignedBox2<float>& boxOut);

    /// Loops as line loops, or else every edge as a line (fixed-function GL).
    void DrawGL() const;

private:
    std::vector<Wml::Vector2<float>> m_vertices;
    std::vector<Edge> m_edges;
};

}  // namespace vynsketch
