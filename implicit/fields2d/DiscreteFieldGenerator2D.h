#pragma once
// Turns a sketched outline (closed loops of a LinearComplex2) into the 2D
// templates that sweeps inflate, extrude and revolve.

#include <memory>
#include <vector>

#include "implicit/fields2d/DynDiscreteScalarField2D.h"
#include "wml/AxisAlignedBox2.h"
#include "wml/LinearComplex2.h"
#include "wml/Polygon2.h"

namespace Wml {
class IntelThinPlateSpline2d;
}

namespace vynimplicit {

/**
 * \brief Template generator for one outline.
 *
 * Both templates are built in canonical coordinates: the outline's box
 * (of the closed loops only) is mapped so that its longer side spans [1, 2]
 * and it is centred on (1.5, 1.5). They are returned placed in the outline's
 * own coordinates, so Value at an outline point is 0.5:
 *  - MakeField (height field): window 1.5 +- 0.85, i.e. the box centre
 *    +- 1.7 x the larger half extent (a square);
 *  - MakeDynFieldVariational: the working square [0, 3]^2, i.e. the box
 *    centre +- 3 x the larger half extent.
 * So bounds of +-1.7 h (height field) or +-3 h (variational) around the
 * origin show the outline at half extent h. When SetFieldBounds was called,
 * fields made afterwards are placed there instead, with the crop factors of
 * SetBoundsCropScalingFactors (see DynDiscreteScalarField2D).
 *
 * Height field, with d the distance to the outline (positive inside), R the
 * inscribed radius (largest d) and p = param:
 *  - inside, s = min(d / R, 1):  t = 0.5 / (1 - A s (2 - s))^3,
 *    A = 1 - 0.5^(1/3). A blobby sweep thickens by h sqrt(1 - (0.5/t)^(1/3))
 *    where the profile is t, which this makes proportional to
 *    sqrt(s (2 - s)): a circular arc over the depth, vertical at the outline,
 *    flat at the deepest point (t = 1).
 *  - outside, u = -d / (p R): t = 0.5 (1 - u)^2 (1 + c u) for u < 1, else 0,
 *    with c = 2 - 6 A p so the slope across the outline is continuous.
 * Distances are exact segment distances, spread from the outline by a
 * two-pass nearest-edge transform (linear in the grid size); inside/outside
 * follows the even-odd rule per row, so holes are holes.
 *
 * Variational field: g is a regularised thin-plate fit (smoothing 1e-4) of
 * value points per loop vertex v with left normal n: g = c on v, c - offset
 * at v + offset n (material side) and c + offset at v - offset n, where
 * c = 0.454202 (loops oriented counter-clockwise, holes clockwise); with the
 * circle constraint also g = 2 at 15 points on the circle of radius 2 about
 * (1.5, 1.5). The value is f = (max(0, 1 - max(g, 0)^2))^3.
 *
 * Returned fields belong to the caller. On failure (no closed loop, a
 * degenerate outline, a failed fit, a bad resolution) the answer is null and
 * a trace message says why.
 */
class DiscreteFieldGenerator2D {
public:
    /// Surface value of g in the variational recipe: (1 - c^2)^3 = 0.5.
    static constexpr float SURFACE_G = 0.454202f;

    /// Keeps a copy of the outline's closed loops.
    explicit DiscreteFieldGenerator2D(const Wml::LinearComplex2<float>& outline);

    /// Number of closed loops found in the outline.
    unsigned GetNumLoops() const { return static_cast<unsigned>(m_loops.size()); }

    /// Height-field template on a resolution x resolution grid; boxOut gets
    /// the outline's box (unchanged on failure).
    DynDiscreteScalarField2D* MakeField(unsigned resolution, Wml::AxisAlignedBox2<float>& boxOut,
                                        float param);
    /// Variational template on a resolution x resolution grid. box, when given
    /// and valid, replaces the outline's box in the canonical mapping.
    DynDiscreteScalarField2D* MakeDynFieldVariational(unsigned resolution, bool circleConstraint,
                                                      float offset, Wml::AxisAlignedBox2<float>* box);

    /// Crop factors for fields made afterwards (see the class comment).
    /// Refused (false) unless both are finite and positive.
    bool SetBoundsCropScalingFactors(float sx, float sy);
    /// Placement for fields made afterwards; refused (false) for a box
    /// without positive finite extent.
    bool SetFieldBounds(const Wml::AxisAlignedBox2<float>& box);
    /// Back to placing fields in the outline's coordinates.
    void ClearFieldBounds() { m_hasPlacement = false; }

    /**
     * \brief Shrinks field's bounds to the box of its non-zero samples plus a
     * two-cell margin. A DynDiscreteScalarField2D is sampled again at full
     * resolution; a plain sampled field is re-interpolated onto the same
     * grid. False, unchanged, for null, an unready field or an all-zero one.
     */
    static bool ClampBoundsToZeroContour(DiscreteScalarField2D* field);

    // ---- recipes, shared with DynDiscreteScalarField2D ----------------------

    /// Height-field samples over window (canonical) on a width x height grid,
    /// row by row into out. inscribedRadius <= 0 is measured from these
    /// samples and written back. False for an outline without inside.
    static bool SampleHeightField(const std::vector<Wml::Polygon2<float>>& loops, float param,
                                  float& inscribedRadius, const Wml::AxisAlignedBox2<float>& window,
                                  unsigned width, unsigned height, float* out);
    /// The variational fit of loops (canonical coordinates); null on failure.
    static std::shared_ptr<const Wml::IntelThinPlateSpline2d> FitVariational(
        const std::vector<Wml::Polygon2<float>>& loops, float offset, bool circleConstraint);
    /// Samples a fit over window, row by row into out.
    static void SampleVariational(const Wml::IntelThinPlateSpline2d& spline,
                                  const Wml::AxisAlignedBox2<float>& window, unsigned width, unsigned height,
                                  float* out);

private:
    // Maps the loops into canonical coordinates using box; false for a box
    // without extent.
    bool ToCanonical(const Wml::AxisAlignedBox2<float>& box, std::vector<Wml::Polygon2<float>>& loops,
                     float& scale, float& offsetX, float& offsetY) const;
    bool Place(DynDiscreteScalarField2D& field, const Wml::AxisAlignedBox2<float>& box, float scale,
               float offsetX, float offsetY) const;

    std::vector<Wml::Polygon2<float>> m_loops;  // outline coordinates
    Wml::AxisAlignedBox2<float> m_box;          // of the loops
    bool m_hasPlacement = false;
    Wml::AxisAlignedBox2<float> m_placement;
    float m_cropX = 1.0f, m_cropY = 1.0f;
};

}  // namespace vynimplicit
