#pragma once
// One continuous pen-down-to-pen-up trace of the sketch, in window pixels
// (y up), with what the sketch fit needs per vertex: a normal and a
// smoothing weight.

#include <vector>

#include "wml/Box2.h"
#include "wml/Vector2.h"

namespace vynsketch {

class PointSet;

/**
 * \brief Vertices in drawing order, optional unit normals, and one smoothing
 * value per vertex (the regularisation weight of the thin-plate fit; larger
 * is smoother).
 *
 * Every vertex is finite: non-finite points are refused. The smoothing list
 * always has at least one entry per vertex; only the first vertex-count
 * entries are used.
 */
class Stroke {
public:
    /// Smoothing value given to vertices that arrive without a usable one.
    static constexpr float DEFAULT_SMOOTHING = 0.01f;
    /// Smoothing value of the points an erase cuts at the box boundary.
    static constexpr float CUT_SMOOTHING = 0.01f;

    Stroke() = default;
    /// Copies both lists; normals start empty. Non-finite vertices are left
    /// out together with their values; missing, negative or non-finite
    /// values become DEFAULT_SMOOTHING.
    Stroke(const std::vector<Wml::Vector2<float>>& vertices, const std::vector<float>& smoothing);
    Stroke(const Stroke&) = default;
    Stroke& operator=(const Stroke&) = default;
    virtual ~Stroke() = default;

    /// Appends a vertex and its smoothing value. A non-finite point is
    /// ignored; a negative or non-finite value becomes DEFAULT_SMOOTHING.
    void AppendVertex(const Wml::Vector2<float>& v, float smoothing);

    unsigned int GetNumVertices() const { return static_cast<unsigned int>(m_vertices.size()); }
    /// Vertex i; the zero vector for an index out of range.
    Wml::Vector2<float> GetVertex(unsigned int i) const;
    const std::vector<Wml::Vector2<float>>& GetVertices() const { return m_vertices; }
    /// The last vertex, or null without vertices. Valid until the next change.
    const Wml::Vector2<float>* GetLastVertex() const;

    const std::vector<Wml::Vector2<float>>& GetNormals() const { return m_normals; }
    /// True when there is one normal per vertex (and at least one).
    bool HasNormals() const { return !m_normals.empty() && m_normals.size() == m_vertices.size(); }
    void ClearNormals() { m_normals.clear(); }

    /// Smoothing value of vertex i; 0 for an index out of range.
    float GetSmoothingParam(unsigned int i) const;
    const std::vector<float>& GetSmoothingParams() const { return m_smoothing; }

    /// Minimum-area oriented box of the vertices (the default box without any).
    Wml::Box2<float> GetBoundingBox() const;

    /// Sets the smoothing value of every vertex (ignored when negative or not finite).
    void SetSmoothingParam(float value);
    /// Vertices inside the box (boundary included) get min(value + step, max).
    void IncreaseSmoothingParam(const Wml::Box2<float>& box, float step, float max);
    /// Vertices inside the box (boundary included) get max(value - step, min).
    void DecreaseSmoothingParam(const Wml::Box2<float>& box, float step, float min);

    /**
     * \brief Thins the vertices in two stages, with tol = 5 % of the larger
     * half extent of the oriented box: first drops vertices closer than tol
     * to the last kept one (the last vertex is always kept), then keeps only
     * the points a recursive split needs to stay within tol / 20 of the
     * kept polyline, with no kept edge longer than 5 tol. Each vertex keeps
     * its own smoothing value; normals are dropped when vertices go.
     */
    void Simplify();

    /// One unit normal per vertex, the tangent turned clockwise (outward for
    /// a counter-clockwise stroke). An end vertex takes its tangent towards
    /// the first vertex at least half a mean edge away, not from a tiny end
    /// edge. Needs two vertices; kept when the count already matches.
    void GenerateNormals();
    void FlipNormals();

    /**
     * \brief Adds three value points per vertex: the vertex at the surface
     * value, and one normal projection length out along the normal (outside
     * value) and in against it (inside value), each with the vertex's
     * smoothing. A stroke of one vertex adds only the surface point. With a
     * stride above 1 only every stride-th vertex (and the last) takes part.
     */
    void GetValuePoints(PointSet& points, unsigned stride = 1);

    /**
     * \brief Appends to \p pieces new strokes for the parts of this stroke
     * outside the box (the caller owns them); this stroke keeps its vertices
     * and loses its normals. A piece cut by the box ends on the box boundary
     * with smoothing value CUT_SMOOTHING; pieces need two vertices. A stroke
     * that only touches the box boundary, or a box of zero area, is not cut.
     */
    void Erase(const Wml::Box2<float>& box, std::vector<Stroke*>& pieces);

    /// Straight: fewer than a tenth of the vertices stray further than 5 % of
    /// the chord's length from the chord (first to last vertex).
    bool IsLineStroke() const;
    /// Closed loops are not told apart from other strokes.
    bool IsLoopStroke() const { return false; }
    /// The stroke sweeps more than two full turns around its box centre.
    bool IsMultipleLoopsStroke() const;
    /// A zig-zag of more than four pieces between sharp turn-backs, mostly
    /// straight. The turn at a vertex is measured to the vertices 15 % of the
    /// larger half extent away, and close turning vertices count as one
    /// turn-back, so a tip left as a few pixel-rounded vertices still counts.
    bool IsSharpScribbleStroke() const;

private:
    std::vector<Wml::Vector2<float>> m_vertices;
    std::vector<Wml::Vector2<float>> m_normals;
    std::vector<float> m_smoothing;
};

}  // namespace vynsketch
