#pragma once
// Planar graph of points joined by straight edges: the form in which contour
// extraction hands back curves (several loops, shared vertices).

#include <vector>

#include "wml/AxisAlignedBox2.h"
#include "wml/Polygon2.h"
#include "wml/Vector2.h"

namespace Wml {

/**
 * \brief Vertices plus undirected edges between them.
 *
 * Each edge stores two vertex indices; an edge always joins two different,
 * existing vertices, and every vertex is finite. Several edges may join the
 * same pair (see HasEdge() to avoid that). Vertex and edge indices are their
 * positions in insertion order and never change until Clear().
 */
template <class Real>
class LinearComplex2 {
public:
    /// Returned instead of an index when an addition is refused.
    static constexpr unsigned INVALID_INDEX = ~0u;

    /// Undirected edge; v[0] and v[1] are vertex indices.
    struct Edge {
        unsigned v[2];

        Edge() : v{INVALID_INDEX, INVALID_INDEX} {}
        Edge(unsigned a, unsigned b) : v{a, b} {}
        /// True when the edge touches \p vertex.
        bool Touches(unsigned vertex) const { return v[0] == vertex || v[1] == vertex; }
        /// The end that is not \p vertex (v[0] when \p vertex is neither).
        unsigned Other(unsigned vertex) const { return v[0] == vertex ? v[1] : v[0]; }
        /// Same two vertices, in either order.
        bool SameEnds(const Edge& o) const
        {
            return (v[0] == o.v[0] && v[1] == o.v[1]) || (v[0] == o.v[1] && v[1] == o.v[0]);
        }
        bool operator==(const Edge& o) const { return v[0] == o.v[0] && v[1] == o.v[1]; }
        bool operator!=(const Edge& o) const { return !(*this == o); }
    };

    LinearComplex2() = default;

    /// Adds a vertex and returns its index; INVALID_INDEX (nothing added) when
    /// \p p is not finite.
    unsigned AddVertex(const Vector2<Real>& p);

    /// Adds the edge a-b and returns its index; INVALID_INDEX (nothing added)
    /// when an index is out of range or a == b.
    unsigned AddEdge(unsigned a, unsigned b);
    unsigned AddEdge(const Edge& e) { return AddEdge(e.v[0], e.v[1]); }

    /// True when some edge joins a and b, in either direction.
    bool HasEdge(unsigned a, unsigned b) const { return FindEdge(a, b) != INVALID_INDEX; }

    /// Index of the first edge joining a and b (either direction), or INVALID_INDEX.
    unsigned FindEdge(unsigned a, unsigned b) const;

    /// Moves vertex \p i; false for an index out of range or a non-finite point.
    bool SetVertex(unsigned i, const Vector2<Real>& p);

    /// Vertex \p i; the zero vector for an index out of range.
    const Vector2<Real>& GetVertex(unsigned i) const;
    const std::vector<Vector2<Real>>& GetVertices() const { return m_vertices; }
    unsigned GetNumVertices() const { return static_cast<unsigned>(m_vertices.size()); }

    /// Edge \p i; an edge of two INVALID_INDEX ends for an index out of range.
    const Edge& GetEdge(unsigned i) const;
    const std::vector<Edge>& GetEdges() const { return m_edges; }
    unsigned GetNumEdges() const { return static_cast<unsigned>(m_edges.size()); }

    /// Removes every vertex and edge.
    void Clear();

    /// True when there are neither vertices nor edges.
    bool IsEmpty() const { return m_vertices.empty() && m_edges.empty(); }

    /// Number of edges touching vertex \p v (0 for an index out of range).
    unsigned GetDegree(unsigned v) const;

    /// True when every vertex has at least two incident edges (no loose
    /// ends). A complex without vertices is closed.
    bool IsClosed() const;

    /// True when no vertex has more than two incident edges (no branches or
    /// crossings at vertices). A complex without edges is simple.
    bool IsSimple() const;

    /**
     * \brief Vertices joined to \p v by an edge, in edge order.
     * A vertex joined by two parallel edges appears twice. Empty for an
     * index out of range. Linear in the number of edges.
     */
    void GetNeighbours(unsigned v, std::vector<unsigned>& neighbours) const;

    /// Indices of the edges touching \p v, in edge order.
    void GetIncidentEdges(unsigned v, std::vector<unsigned>& edges) const;

    /**
     * \brief Appends every closed loop as a polygon and returns how many were
     * appended.
     *
     * A loop is a connected component in which every vertex has exactly two
     * incident edges and which has at least three vertices. Loops are listed
     * in the order of their lowest vertex index; each starts at that vertex
     * and follows the edges, setting off along an edge stored as
     * (start, next) when there is one, so edges added tail to head keep
     * their direction. Orientation is otherwise not normalised. Components
     * that are open chains, that branch (a vertex of degree other than two)
     * or that are two-vertex cycles are skipped; isolated vertices too.
     * \p loops is not cleared first.
     */
    unsigned GetLoops(std::vector<Polygon2<Real>>& loops) const;

    /// Box of all vertices (isolated ones included); the empty box when
    /// there is none.
    AxisAlignedBox2<Real> ComputeBounds() const;

    /// Adds \p d to every vertex; refused (false, unchanged) when \p d or a
    /// result is not finite.
    bool Translate(const Vector2<Real>& d);

    /// Scales every vertex about the origin; refused (false, unchanged) when
    /// a factor or a result is not finite.
    bool Scale(Real s) { return Scale(s, s); }
    bool Scale(Real sx, Real sy);

    /// Draws every edge as a GL_LINES pair in the current GL state; changes
    /// no matrix, colour or width. Needs a current GL context.
    void DrawGL() const;

private:
    // Compressed adjacency: edges incident to vertex v are
    // incident[offsets[v] .. offsets[v + 1]).
    void BuildAdjacency(std::vector<unsigned>& offsets, std::vector<unsigned>& incident) const;

    std::vector<Vector2<Real>> m_vertices;
    std::vector<Edge> m_edges;
};

typedef LinearComplex2<float> LinearComplex2f;
typedef LinearComplex2<double> LinearComplex2d;

extern template class LinearComplex2<float>;
extern template class LinearComplex2<double>;

}  // namespace Wml
