#pragma once
// Closed planar polygon given by its ordered vertex list.

#include <iosfwd>
#include <vector>

#include "wml/AxisAlignedBox2.h"
#include "wml/Matrix3.h"
#include "wml/Vector2.h"

namespace Wml {

/**
 * \brief Ordered list of 2D vertices, implicitly closed (the last vertex
 * connects back to the first).
 *
 * Coordinates are taken as y-up: a counter-clockwise polygon has a positive
 * signed area. Every stored coordinate is finite; operations that would store
 * NaN or infinity refuse and leave the polygon as it was.
 *
 * Polygons with fewer than three vertices are allowed as intermediate states
 * (while building one vertex at a time) and answer every query without
 * failing: zero area and perimeter of the open chain's closure, nothing inside.
 *
 * \par The .poly2d file format
 * Plain text, one record per line, numbers in the C locale:
 * \code
 * poly2d 1
 * <vertex count>
 * <x> <y>
 * ...
 * \endcode
 * The first line holds the magic word `poly2d` and the format version `1`.
 * The second holds the vertex count, a decimal integer from 3 to
 * MAX_FILE_VERTICES. Then exactly that many lines follow, each with the two
 * coordinates of one vertex in polygon order. Leading and trailing blanks and
 * blank lines are ignored, as are Windows line ends; anything else (other
 * magic or version, a signed, oversized or malformed count, fewer or more
 * vertex lines than the count, extra tokens, NaN or infinite coordinates,
 * values out of range for the coordinate type) makes the whole file invalid.
 * Save writes the shortest decimal form that reads back to the same value, so
 * a Save/Load round trip is exact.
 */
template <class Real>
class Polygon2 {
public:
    /// Largest vertex count a .poly2d file may declare.
    static constexpr unsigned MAX_FILE_VERTICES = 10000000u;

    /// Empty polygon.
    Polygon2() = default;

    /// Polygon through \p vertices; empty when any of them is not finite.
    explicit Polygon2(const std::vector<Vector2<Real>>& vertices);

    /// Appends a vertex; refused (false, polygon unchanged) when not finite.
    bool AddVertex(const Vector2<Real>& v);

    /// Replaces every vertex; refused (false, unchanged) when any is not finite.
    bool SetVertices(const std::vector<Vector2<Real>>& vertices);

    /// Moves vertex \p i; false for an index out of range or a non-finite point.
    bool SetVertex(unsigned i, const Vector2<Real>& v);

    /// Vertex \p i; the zero vector for an index out of range.
    const Vector2<Real>& Vertex(unsigned i) const;

    unsigned VertexCount() const { return static_cast<unsigned>(m_vertices.size()); }
    const std::vector<Vector2<Real>>& Vertices() const { return m_vertices; }
    bool IsEmpty() const { return m_vertices.empty(); }

    /// Removes every vertex.
    void Clear() { m_vertices.clear(); }

    /// Shoelace area: positive for counter-clockwise, negative for clockwise,
    /// zero with fewer than three vertices.
    Real SignedArea() const;

    /// Absolute value of SignedArea().
    Real Area() const;

    /// True when the signed area is negative. Degenerate polygons (zero area)
    /// are not clockwise.
    bool IsClockwise() const;

    /// Reverses the vertex order while keeping vertex 0 first, which negates
    /// the signed area.
    void FlipOrientation();

    /**
     * \brief Even-odd (crossing number) point test.
     *
     * Self-intersecting polygons follow the even-odd rule. Points on the
     * boundary are decided by a half-open rule: an edge counts as crossed
     * when it straddles the point's horizontal line with one end strictly
     * above and the other on or below, and the crossing lies strictly to the
     * right of the point. For an axis-aligned square this makes the left and
     * bottom sides inside and the right and top sides outside; in general two
     * polygons sharing an edge never both claim a point on it. Always false
     * with fewer than three vertices.
     */
    bool IsInside(const Vector2<Real>& p) const;

    /**
     * \brief Removes duplicate and nearly collinear vertices; returns how many
     * were removed.
     *
     * A vertex is removed when it lies within a tolerance of the simplified
     * outline (Douglas-Peucker on the closed polygon, measuring the distance
     * to the replacing segment, so short spikes go too). The tolerance is
     * relative to the bounding-box diagonal d:
     * - \p aggressive false: 1e-5 d. Only zero-length edges and points that
     *   are collinear up to rounding go; every real corner stays.
     * - \p aggressive true: 1e-3 d. Also merges vertices closer than that and
     *   flattens sub-tolerance wiggles (noise from sampling).
     *
     * No removed vertex lies farther than the tolerance from the result, no
     * two consecutive kept vertices are closer than it, and the remaining
     * vertices keep their order and orientation. The result never has fewer
     * than three vertices: a polygon of three or fewer vertices, or whose
     * vertices all lie within the tolerance of one point, is left alone, and
     * a polygon flat within the tolerance keeps two far-apart vertices plus
     * the one farthest from their line (the spacing guarantee does not hold
     * for that third vertex).
     */
    unsigned Simplify(bool aggressive = false);

    /// Box of all vertices; the empty box for an empty polygon.
    AxisAlignedBox2<Real> GetBoundingBox() const;

    /// Area centroid. For zero-area polygons the centroid of the outline
    /// (edges weighted by length) is used, then the vertex mean; the zero
    /// vector for an empty polygon.
    Vector2<Real> Centroid() const;

    /// Length of the closed outline (including the edge back to vertex 0).
    Real Perimeter() const;

    /// Adds \p d to every vertex; refused (false) when \p d is not finite or
    /// a result would overflow.
    bool Translate(const Vector2<Real>& d);

    /// Scales every vertex about the origin; a negative factor (or an odd
    /// number of negative factors) flips the orientation. Refused (false,
    /// unchanged) for non-finite factors or results.
    bool Scale(Real s);
    bool Scale(Real sx, Real sy);

    /**
     * \brief Applies a homogeneous 2D transform: (x', y', w) = m (x, y, 1),
     * the vertex becoming (x'/w, y'/w). Affine matrices have (0, 0, 1) as
     * last row. Refused (false, unchanged) when w is zero for some vertex or
     * any result is not finite.
     */
    bool Transform(const Matrix3<Real>& m);

    /**
     * \brief Reads a .poly2d file (format in the class description).
     * On any failure (not a regular file, cannot open, malformed or hostile
     * content) returns false and leaves the polygon unchanged.
     */
    bool Load(const char* path);

    /// Reads the .poly2d format from the current position of \p in; same
    /// rules and failure behaviour as Load().
    bool Read(std::istream& in);

    /**
     * \brief Writes a .poly2d file. Fails for a polygon with fewer than three
     * vertices (which Load would refuse) or when the file cannot be written
     * completely. The file is written beside the target and renamed over it
     * only when complete, so a failed save never destroys an existing file.
     */
    bool Save(const char* path) const;

    /// Writes the .poly2d format to \p out; false when fewer than three
    /// vertices or the stream fails.
    bool Write(std::ostream& out) const;

private:
    std::vector<Vector2<Real>> m_vertices;
};

typedef Polygon2<float> Polygon2f;
typedef Polygon2<double> Polygon2d;

extern template class Polygon2<float>;
extern template class Polygon2<double>;

}  // namespace Wml
