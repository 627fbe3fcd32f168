#pragma once
// A straight sweep through several cross-sections: each slice is a 2D
// template at a height along the frame's z axis, and the shape morphs from
// one slice to the next.

#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/ScalarField2D.h"
#include "implicit/sweeps/SweepEndcap.h"
#include "implicit/sweeps/SweepFrame.h"
#include "implicit/sweeps/TemplateSampler.h"
#include "wml/Polygon2.h"

namespace vynimplicit {

/**
 * \brief Linear sweep interpolating between slices.
 *
 * Slice i is a template (not owned) placed at height p_i on the frame's z
 * axis with its origin moved to the offset (x_i, y_i); its point (u, v)
 * sits at local (x_i + radius u, y_i + radius v, p_i). Offsets and
 * positions are frame units (radius does not scale them).
 *
 * Between two neighbouring slices (in order of position) the template values
 * are blended, both read relative to an offset that moves smoothly from one
 * slice's offset to the next, so shifted slices slide rather than fade:
 *  - Linear (0): weights 1 - s and s, s the fraction of the way between the
 *    slices; the morph has creases at the slice planes.
 *  - Smooth (1): smoothstep weights 1 - S(s), S(s); C1 across slices.
 *  - Cubic (2): Hermite interpolation through the slices with tangents from
 *    their neighbours (non-uniform Catmull-Rom; zero at the first and last
 *    slice so the caps join smoothly), C1 and following the trend over
 *    several slices; the result is clamped to [0, 1].
 * The offset always moves with the smoothstep, so it never overshoots.
 *
 * The body runs from the lowest to the highest slice and is closed by
 * SweepEndcap (cap style, falloff length and blend angle as for
 * DiscreteLinearSweep); beyond the body the end slices are extruded into
 * the caps. With a single slice (or all slices at one position) the body is
 * centred on z = 0 (on that position) and its length is the sweep's length.
 *
 * GetLength is the body length. SetLength scales the slice positions about
 * the body's centre so that the body gets the new length; with a single
 * slice or coincident slices it only sets the extrusion length.
 */
class InterpolatingLinearSweep : public ScalarField {
public:
    // A fixed underlying type: modes come from files and parameters as plain
    // integers, and any int must be a value SetBlendMode can look at and refuse.
    enum BlendMode : int { Linear = 0, Smooth = 1, Cubic = 2 };
    static constexpr unsigned MAX_SLICES = 1024;
    static constexpr float MIN_HALF_LENGTH = 1e-4f;
    static constexpr float MAX_SIZE = 1e6f;

    /// No slices, world frame, length 1, radius 1, Smooth blending, FlatRound
    /// caps, falloff length 0.25, blend angle 30 degrees.
    InterpolatingLinearSweep() = default;

    /// Appends a slice. Refused (false) for a null template, a non-finite
    /// position or offset, or when MAX_SLICES are already there.
    bool AddSlice(ScalarField2D* sliceTemplate, float position, float x = 0.0f, float y = 0.0f);
    /// Removes slice i; false when out of range.
    bool RemoveSlice(unsigned i);
    void ClearSlices();
    unsigned GetNumSlices() const { return static_cast<unsigned>(m_slices.size()); }

    /// Template of slice i; null out of range.
    ScalarField2D* GetSliceTemplate(unsigned i) const;
    /// Replaces the template of slice i; false for a null template or an
    /// index out of range.
    bool SetSliceTemplate(unsigned i, ScalarField2D* sliceTemplate);
    /// Position of slice i along z; 0 out of range.
    float GetSlicePosition(unsigned i) const;
    /// Offset of slice i; false (and 0, 0) out of range.
    bool GetSliceOffset(unsigned i, float& x, float& y) const;
    /// Moves slice i. False (unchanged) out of range or for non-finite input.
    bool SetSlicePosition(unsigned i, float position, float x, float y);
    /// Outlines of slice i for drawing (x, y in the slice's plane, offset
    /// included); empty when none were given or out of range.
    const std::vector<Wml::Polygon2<float>>& GetSlicePolygons(unsigned i) const;
    /// Stores the outlines of slice i; false out of range.
    bool SetSlicePolygons(unsigned i, const std::vector<Wml::Polygon2<float>>& polygons);

    BlendMode GetBlendMode() const { return m_blendMode; }
    /// 0 to 2; other values are refused (false).
    bool SetBlendMode(int mode);
    bool SetBlendMode(BlendMode mode) { return SetBlendMode(static_cast<int>(mode)); }

    /// Length of the body along z.
    float GetLength() const { return 2.0f * m_halfLength; }
    float GetHalfLength() const { return m_halfLength; }
    /// See the class comment; the half-length is clamped to
    /// [MIN_HALF_LENGTH, MAX_SIZE] and NaN is ignored.
    void SetLength(float length);

    float GetRadius() const { return m_radius; }
    /// Clamped to [1e-4, MAX_SIZE]; NaN is ignored.
    void SetRadius(float radius);

    float GetFalloffLength() const { return m_endcap.GetFalloffLength(); }
    void SetFalloffLength(float length) { m_endcap.SetFalloffLength(length); }
    int GetCapStyle() const { return static_cast<int>(m_endcap.GetStyle()); }
    /// 0 FlatRound, 1 Blobby, 2 FlatSharp; other values are refused (false).
    bool SetCapStyle(int style) { return m_endcap.SetStyle(style); }
    float GetEndcapBlendAngle() const { return m_endcap.GetBlendAngle(); }
    /// Degrees, clamped to [0.001, 44.9]; NaN ignored; recomputes the blend.
    void SetEndcapBlendAngle(float degrees) { m_endcap.SetBlendAngle(degrees); }
    void ComputeEndcapParams() { m_endcap.ComputeParams(); }

    const Wml::Frame3<float>& GetFrame() const { return m_frame.Get(); }
    /// Refuses (false, unchanged) a frame that is not valid.
    bool SetFrame(const Wml::Frame3<float>& frame) { return m_frame.Set(frame); }

    using ScalarField::Gradient;
    using ScalarField::Value;
    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// The outline of every slice in its plane (end slices moved just inside
    /// the body).
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;

private:
    struct Slice {
        TemplateSampler sampler;
        float position = 0.0f, x = 0.0f, y = 0.0f;
        std::vector<Wml::Polygon2<float>> polygons;
    };
    // One slice's share of the blend at some height.
    struct Weight {
        unsigned slice;
        float w, dw;  // weight and its derivative by z
    };
    void UpdateBody();
    // Blend weights at local height z (clamped to the body), the moving
    // offset and its derivative by z. Returns the number of weights.
    int Weights(float z, Weight out[4], float offset[2], float dOffset[2]) const;
    bool Evaluate(const float q[3], bool wantGradient, float& value, float g[3]) const;

    std::vector<Slice> m_slices;
    std::vector<unsigned> m_order;  // slice indices by position (stable)
    BlendMode m_blendMode = Smooth;
    SweepFrame m_frame;
    SweepEndcap m_endcap;
    float m_radius = 1.0f;
    float m_halfLength = 0.5f;
    float m_center = 0.0f;  // body centre along z
    bool m_spread = false;  // slices at more than one position
};

}  // namespace vynimplicit
