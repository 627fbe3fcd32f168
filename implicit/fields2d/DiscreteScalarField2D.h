#pragma once
// A 2D template stored as a grid of samples: what the sketch's field
// generators produce and what the sweeps extrude, inflate and revolve.

#include <string>
#include <vector>

#include "implicit/ScalarField2D.h"
#include "wml/Vector2.h"

namespace vynimplicit {

/**
 * \brief A sampled 2D field.
 *
 * The samples form a width x height grid stored row by row (row j holds the
 * samples with y index j, x varying fastest), so one row is contiguous in
 * memory. The grid is stretched over the field bounds: sample (0, 0) lies on
 * the bounds' minimum corner, sample (width - 1, height - 1) on the maximum
 * corner. Outside the bounds the value is 0, so templates should keep a zero
 * border (the generators do) to stay continuous there.
 *
 * Between samples the field is interpolated:
 *  - CatmullRom (the default): bicubic Catmull-Rom. It passes through the
 *    samples, is C1, so sweep gradients stay continuous, and reproduces
 *    linear data exactly (beyond the grid edge the missing neighbours are
 *    extrapolated linearly).
 *  - Bilinear: cheaper, also exact on linear data, but its gradient jumps
 *    across cell edges.
 * Either way the result is clamped to [0, 1] (where the clamp bites the
 * gradient is 0) and never NaN. Gradient is the analytic derivative of the
 * interpolant.
 *
 * Until both a grid (Resize) and bounds (SetBounds) are given the value is 0
 * everywhere and FieldBounds is empty.
 *
 * \par The .mdvalue2d file format (version 1)
 * Two text lines, numbers in the C locale, single spaces, '\n' line ends:
 * \code
 * mdvalue2d 1 <width> <height>
 * <xmin> <ymin> <xmax> <ymax>
 * \endcode
 * followed directly by width * height samples as 32-bit IEEE floats, little
 * endian, row by row as held in memory, and nothing after them. Sizes lie in
 * [2, MAX_SIZE], the bounds are finite with positive extents and every
 * sample lies in [0, 1]; anything else, a short or overlong file included,
 * is refused. The interpolation mode is not part of the file.
 *
 * \par Records
 * Store writes the base bounds, "Width" and "Height" (uint), "Interpolation"
 * (uint: 0 bilinear, 1 Catmull-Rom) and "Samples" (float vector, row by row).
 * The older format holds the same fields (see ScalarField2D).
 */
class DiscreteScalarField2D : public ScalarField2D {
public:
    enum class Interpolation { Bilinear = 0, CatmullRom = 1 };

    /// Largest accepted size along each axis.
    static constexpr unsigned MAX_SIZE = 8192;

    /// No samples, empty bounds.
    DiscreteScalarField2D() = default;
    /// A zero-filled width x height grid over bounds; an invalid size or box
    /// leaves the corresponding part unset (see Resize and SetBounds).
    DiscreteScalarField2D(unsigned width, unsigned height, const Wml::AxisAlignedBox2<float>& bounds);

    /// Makes a zero-filled width x height grid (old samples are dropped).
    /// Sizes below 2 or above MAX_SIZE are refused: false, nothing changes.
    bool Resize(unsigned width, unsigned height);
    unsigned GetWidth() const { return m_width; }
    unsigned GetHeight() const { return m_height; }

    /// Stores v at column i, row j, clamped to [0, 1]. False (nothing stored)
    /// for an index out of range or a NaN value.
    bool SetValue(unsigned i, unsigned j, float v);
    /// The sample at column i, row j; 0 for an index out of range.
    float GetValue(unsigned i, unsigned j) const
    {
        return (i < m_width && j < m_height) ? m_data[size_t(j) * m_width + i] : 0.0f;
    }
    /// The samples, row by row (width * height values; null before the
    /// first Resize). Writers must keep them in [0, 1]; evaluation clamps its
    /// result and maps NaN to 0 either way.
    const float* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
    float* GetData() { return m_data.empty() ? nullptr : m_data.data(); }

    /// World position of sample (i, j) under the current bounds (the indices
    /// are not range-checked; the bounds' minimum corner when unplaced).
    Wml::Vector2<float> GetSamplePosition(unsigned i, unsigned j) const;

    /// Places the grid. Refused (the old bounds stay) when a coordinate is
    /// not finite or the box has no positive extent on both axes.
    void SetBounds(const Wml::AxisAlignedBox2<float>& box) override;
    /// True once the field has both samples and bounds.
    bool IsReady() const { return m_ready; }
    /// The bounds, without a virtual call.
    const Wml::AxisAlignedBox2<float>& GetBounds() const { return m_bounds; }
    /// Empty until the field has both samples and bounds.
    void FieldBounds(Wml::AxisAlignedBox2<float>& box) override;

    Interpolation GetInterpolation() const { return m_interpolation; }
    void SetInterpolation(Interpolation mode) { m_interpolation = mode; }

    float Value(float x, float y) override { return Evaluate(x, y); }
    void Gradient(float x, float y, float& gx, float& gy) override { EvaluateWithGradient(x, y, gx, gy); }
    std::string GetTypeName() const override { return "DiscreteScalarField2D"; }

    /// False for a field that is not ready (nothing worth writing).
    bool Store(Wml::SerializerRecord* record) override;
    /// False, field unchanged, when a key is missing, a size is out of range,
    /// the sample count disagrees with the size, a sample is NaN or outside
    /// [0, 1], or the bounds are not finite with positive extents.
    bool Restore(Wml::SerializerRecord* record) override;

    /// Reads a .mdvalue2d file (format above). On failure (also for anything
    /// but a regular file) answers false and leaves the field as it was; on
    /// success replaces samples and bounds.
    bool LoadFromFile(const char* path);
    /// Writes a .mdvalue2d file beside the target, then renames it over the
    /// target, so a failed save never damages an existing file. False when
    /// the field is not ready or the file cannot be written.
    bool SaveToFile(const char* path) const;

    /// Non-virtual value, for callers that know the type (the sweeps).
    float Evaluate(float x, float y) const;
    /// Value and gradient in one pass; the gradient is 0 where the value is.
    float EvaluateWithGradient(float x, float y, float& gx, float& gy) const;

private:
    // Takes over a validated grid and box in one step.
    void Assign(unsigned width, unsigned height, std::vector<float>&& data,
                const Wml::AxisAlignedBox2<float>& box);
    void UpdateMapping();
    // Grid coordinates of (x, y): cell (i, j) and the fractions inside it.
    // False outside the bounds or when the field is not ready.
    bool Locate(float x, float y, int& i, int& j, float& fx, float& fy) const;
    // 4x4 neighbourhood of cell (i, j) for the cubic, with linear
    // extrapolation beyond the grid edge.
    void Gather(int i, int j, float block[16]) const;

    unsigned m_width = 0, m_height = 0;
    std::vector<float> m_data;
    Interpolation m_interpolation = Interpolation::CatmullRom;
    bool m_ready = false;
    float m_scaleX = 0.0f, m_scaleY = 0.0f;  // grid units per world unit
};

}  // namespace vynimplicit
