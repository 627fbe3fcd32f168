#pragma once
// A soft tube around a 3D polyline whose radius may change linearly along the
// line (taper).

#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/primitives/LazyBuild.h"
#include "implicit/primitives/Placement.h"

namespace vynimplicit {

/// A tube around a polyline given in its frame's local coordinates.
///
/// Field. The radius r(s) changes linearly with the arc length s from Radius
/// at the first vertex to Radius * Taper at the last one. Each segment is the
/// union of the balls of support radius R(s) = r(s) / 0.454202 centred along
/// it, measured by the normalized distance
///     rho_i(q) = min over the segment of |q - c(s)|^2 / R(s)^2,
/// whose minimizer has a closed form (a linear equation), so every level set
/// of a segment is a round cone: two end balls and their common tangent cone.
/// The segments are combined by a smooth minimum of their rho, applied in
/// vertex order, smin(a, b) = (a + b - k G(|a - b| / k)) / 2 with the C2
/// polynomial G(u) = (15u^2 - 10u^4 + 3u^6) / 8 (|a - b| < k; plain min
/// beyond). The smooth minimum is never below the true minimum, so the value
/// stays in [0, 1] and vanishes outside the union of the segment supports; it
/// rounds the crease the plain minimum has on the inner side of bends. Its
/// width k grows with the bend at the joint (0.02 for a straight joint, up to
/// 0.07 for a hairpin), so straight runs through many vertices keep their
/// radius (within 1%, even with vertices a tenth of a radius apart). The value
/// is w(rho) = (1 - rho)^3.
///
/// The surface thus lies at r(s) from the polyline along straight runs (exact
/// for a constant radius; a steep taper tilts the tangent cone, moving the
/// surface out by a factor of about 1 + m^2/2 with m the radius slope), with
/// rounded ends: a ball of the end radius around each end vertex of an open
/// polyline. A single vertex is a ball; no vertex gives an empty field.
///
/// Evaluation is lazy: the segment table and a box hierarchy over it are
/// rebuilt on the first evaluation after a change, once, whichever thread
/// gets there first.
class PolyLinePrimitive : public ScalarField {
public:
    /// What the constructor's integer selects.
    enum Mode { CLOSED = 0, OPEN = 1 };

    static constexpr float MIN_RADIUS = 1e-5f;
    static constexpr float MAX_RADIUS = 1e5f;
    static constexpr float MIN_TAPER = 0.001f;
    static constexpr float MAX_TAPER = 100.0f;
    /// Vertices must stay within +-MAX_COORDINATE on every axis.
    static constexpr float MAX_COORDINATE = 1e18f;

    /// An empty polyline of radius 0.1 and taper 1. mode CLOSED (0) joins the
    /// last vertex back to the first (the taper then runs from the first
    /// vertex to the last, and the closing edge goes linearly back); any other
    /// value gives an open polyline with rounded ends.
    explicit PolyLinePrimitive(int mode = OPEN);

    bool IsClosed() const { return m_closed; }
    void SetClosed(bool closed);

    /// Appends a vertex (local coordinates); one with a coordinate that is not
    /// finite or beyond MAX_COORDINATE is refused (false).
    bool AppendVertex(const Wml::Vector3<float>& vertex);
    /// Replaces vertex i; false (nothing changes) when i is out of range or the
    /// point is refused as by AppendVertex.
    bool SetVertex(unsigned int i, const Wml::Vector3<float>& vertex);
    /// Vertex i, or the zero vector when i is out of range.
    Wml::Vector3<float> GetVertex(unsigned int i) const;
    unsigned int GetNumVertices() const { return static_cast<unsigned int>(m_vertices.size()); }
    const std::vector<Wml::Vector3<float>>& GetVertices() const { return m_vertices; }
    void ClearVertices();

    /// Surface radius at the first vertex.
    float GetRadius() const { return m_radius; }
    /// Clamps to [MIN_RADIUS, MAX_RADIUS] (zero and negative radii give
    /// MIN_RADIUS); a NaN is refused (false, nothing changes).
    bool SetRadius(float radius);
    /// Ratio of the radius at the last vertex to the radius at the first.
    float GetTaper() const { return m_taper; }
    /// Clamps to [MIN_TAPER, MAX_TAPER]; a NaN is refused (false).
    bool SetTaper(float taper);
    /// Surface radius at vertex i following the taper (Radius when the
    /// polyline has no length; 0 when i is out of range).
    float GetVertexRadius(unsigned int i) const;

    const Wml::Frame3<float>& GetFrame() const { return m_placement.GetFrame(); }
    /// Replaces the placement; an unusable frame (non-finite numbers, a zero
    /// scale, degenerate axes) is refused: false, nothing changes.
    bool SetFrame(const Wml::Frame3<float>& frame);

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    /// A fixed sand colour.
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
    /// The world box of the support: the boxes of every vertex's support
    /// ellipsoid merged (exact). Empty without vertices.
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// The same at the radii where the falloff reaches isoValue.
    void SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box) override;
    /// One point on the tube's side at the first vertex (none without vertices).
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

    /// Value and local gradient at a point given in local coordinates (the
    /// gradient is skipped when g is null). Shared with CurveSet.
    float EvaluateLocal(const float q[3], float* g);

private:
    struct Segment {
        float a[3];  // start
        float e[3];  // unit direction (zero for a lone vertex)
        float length;
        float ra, rb;          // support radii at the ends
        float slope;           // dR/ds
        float smoothing;       // width of the smooth minimum with what came before
        float lo[3], hi[3];    // local box where rho can matter
        float mid[3], reach2;  // the same region as a ball, tighter for slanted segments
    };
    struct Node {
        float lo[3], hi[3];
        int left, right;   // children, -1 for a leaf
        int first, count;  // segments of a leaf
    };

    void Invalidate() { m_built.Invalidate(); }
    void EnsureBuilt()
    {
        m_built.Ensure([this] { Rebuild(); });
    }
    void Rebuild();
    int BuildNode(int first, int count);
    float SupportRadiusAt(float arcLength, float totalLength) const;

    std::vector<Wml::Vector3<float>> m_vertices;
    float m_radius = 0.1f;
    float m_taper = 1.0f;
    bool m_closed = false;
    Placement m_placement;

    // Evaluation cache, rebuilt lazily.
    LazyBuild m_built;
    std::vector<Segment> m_segments;
    std::vector<Node> m_nodes;
    std::vector<Wml::Vector3<float>> m_ballCentres;  // effective vertices
    std::vector<float> m_ballRadii;                  // their support radii
};

}  // namespace vynimplicit
