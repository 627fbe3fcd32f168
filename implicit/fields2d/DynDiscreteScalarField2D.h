#pragma once
// A sampled 2D template that keeps the outline it was made from, so it can be
// sampled again, at full resolution, whenever its bounds change.

#include <memory>
#include <string>
#include <vector>

#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "wml/Polygon2.h"

namespace Wml {
class IntelThinPlateSpline2d;
}

namespace vynimplicit {

/**
 * \brief A DiscreteScalarField2D that can regenerate its samples.
 *
 * The generating data are the outline loops in the template's canonical
 * coordinates (the outline's box mapped so that its longer side spans [1, 2]
 * and the box is centred on (1.5, 1.5)), the recipe that turns them into
 * values (see DiscreteFieldGenerator2D) with its settings, and the window:
 * the canonical box that the samples cover. The window is stretched over the
 * field bounds, exactly like the samples of the base class.
 *
 * Placement:
 *  - SetFieldBounds(box) places the current window over box: the template is
 *    scaled with the box (the outline keeps its place relative to the box).
 *  - SetBoundsCropScalingFactors(sx, sy) trims the field to the outline's
 *    aspect: only the ratio matters; with m = max(sx, sy), the window and the
 *    bounds are both shrunk about their centres by sx / m along x and sy / m
 *    along y. Trimming never stretches the outline, so a sweep of a cropped
 *    template keeps its own crop factors at 1 (a sweep's crop factors stretch
 *    on top of this, see DiscreteLinearSweep).
 *  - ClampBoundsToZeroContour shrinks window and bounds together to the box
 *    of the non-zero samples plus a margin; the outline stays where it was in
 *    the plane, and the crop is folded into the new window.
 * Each of these samples the recipe again over the new window at the same
 * grid size. A field without a recipe (restored from samples only, or
 * default-constructed) behaves like its base class and simply rescales.
 */
class DynDiscreteScalarField2D : public DiscreteScalarField2D {
public:
    enum class Recipe { None = 0, HeightField = 1, Variational = 2 };

    /// Limits on the generating data accepted from callers and files.
    static constexpr unsigned MAX_LOOPS = 4096;
    static constexpr unsigned MAX_LOOP_VERTICES = 1u << 20;  // over all loops
    /// Largest grid a recipe is sampled on, per axis.
    static constexpr unsigned MAX_RESOLUTION = 4096;

    DynDiscreteScalarField2D() = default;
    DynDiscreteScalarField2D(const DynDiscreteScalarField2D&) = default;
    DynDiscreteScalarField2D& operator=(const DynDiscreteScalarField2D&) = default;
    ~DynDiscreteScalarField2D() override;

    /**
     * \brief Sets the generating data and samples it on a width x height grid
     * over window (canonical coordinates). The bounds are not changed (the
     * generator places the field). For the height field param is the outside
     * band and inscribedRadius the normalising depth (<= 0: measured now);
     * for the variational recipe param is the offset and circleConstraint
     * adds the far ring of points. False, with the field unchanged, for bad
     * sizes, loops, window or settings, or when the fit fails.
     */
    bool Generate(Recipe recipe, const std::vector<Wml::Polygon2<float>>& loops, unsigned width,
                  unsigned height, const Wml::AxisAlignedBox2<float>& window, float param,
                  bool circleConstraint, float inscribedRadius = 0.0f);

    Recipe GetRecipe() const { return m_recipe; }
    const std::vector<Wml::Polygon2<float>>& GetLoops() const { return m_loops; }
    /// The canonical box the samples cover now (crop applied).
    Wml::AxisAlignedBox2<float> GetWindow() const;
    float GetParam() const { return m_param; }
    bool GetCircleConstraint() const { return m_circle; }
    float GetInscribedRadius() const { return m_inscribedRadius; }

    /// See the class comment. Factors that are not finite and positive are
    /// refused (false, unchanged).
    bool SetBoundsCropScalingFactors(float sx, float sy);
    void GetBoundsCropScalingFactors(float& sx, float& sy) const
    {
        sx = m_cropX;
        sy = m_cropY;
    }
    /// Places the field on box (crop applied) and samples it again. Refused
    /// (false, unchanged) for a box without positive finite extent.
    bool SetFieldBounds(const Wml::AxisAlignedBox2<float>& box);
    /// Shrinks window and bounds to the non-zero samples plus marginCells
    /// grid cells (never beyond the current ones) and samples again. False,
    /// unchanged, when the field is not ready or has no non-zero sample.
    bool ClampBoundsToZeroContour(float marginCells = 2.0f);

    /// Plain SetBounds keeps the window and drops nothing: it is SetFieldBounds.
    void SetBounds(const Wml::AxisAlignedBox2<float>& box) override;

    std::string GetTypeName() const override { return "DynDiscreteScalarField2D"; }
    bool Store(Wml::SerializerRecord* record) override;
    bool Restore(Wml::SerializerRecord* record) override;
    bool Serialize_Old(WmlDeprecated::Serializer* serializer, unsigned int& recordID) override;
    bool Serialize_Old(WmlDeprecated::SerializerRecord* record) override;

private:
    // Samples the recipe over the cropped window into the current grid.
    bool Resample();
    Wml::AxisAlignedBox2<float> CroppedBounds() const;

    Recipe m_recipe = Recipe::None;
    std::vector<Wml::Polygon2<float>> m_loops;
    float m_param = 0.0f;
    bool m_circle = false;
    float m_inscribedRadius = 0.0f;
    Wml::AxisAlignedBox2<float> m_window;  // canonical, before the crop
    Wml::AxisAlignedBox2<float> m_place;   // bounds given, before the crop
    float m_cropX = 1.0f, m_cropY = 1.0f;  // normalised, largest is 1
    // The variational fit, kept between re-samplings (never stored: it is
    // rebuilt from the loops). Shared between copies; it is immutable.
    std::shared_ptr<const Wml::IntelThinPlateSpline2d> m_spline;
};

}  // namespace vynimplicit
