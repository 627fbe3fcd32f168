#pragma once
// The one path through which every sweep reads its 2D template(s): a direct,
// non-virtual call for sampled templates, the virtual interface otherwise,
// with the result made safe (inside [0, 1], 0 outside the template's bounds,
// never NaN) whatever the template does.

#include <functional>
#include <typeinfo>
#include <vector>

#include "implicit/ScalarField2D.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "implicit/fields2d/DynDiscreteScalarField2D.h"
#include "wml/AxisAlignedBox2.h"
#include "wml/Vector2.h"

namespace vynimplicit {

/// Reads a 2D template that the sweep does not own.
class TemplateSampler {
public:
    TemplateSampler() = default;
    explicit TemplateSampler(ScalarField2D* field) { Set(field); }

    /// Uses field (null clears it). The field stays owned by the caller.
    /// Only fields of exactly the DiscreteScalarField2D type or the sketch's
    /// DynDiscreteScalarField2D (which answers as its base does) take the
    /// direct path: other classes derived from it may override Value.
    void Set(ScalarField2D* field)
    {
        m_field = field;
        m_discrete = field && (typeid(*field) == typeid(DiscreteScalarField2D) ||
                               typeid(*field) == typeid(DynDiscreteScalarField2D))
                         ? static_cast<DiscreteScalarField2D*>(field)
                         : nullptr;
    }
    ScalarField2D* Get() const { return m_field; }
    bool IsSet() const { return m_field != nullptr; }

    /// The template's FieldBounds (empty without a template).
    Wml::AxisAlignedBox2<float> Bounds() const
    {
        if (m_discrete)
            return m_discrete->IsReady() ? m_discrete->GetBounds() : Wml::AxisAlignedBox2<float>();
        return GenericBounds();
    }

    /// Template value at (u, v).
    float Value(float u, float v) const
    {
        if (m_discrete) return m_discrete->Evaluate(u, v);
        return m_field ? GenericValue(u, v) : 0.0f;
    }
    /// Template value and gradient at (u, v) in one call.
    float ValueGradient(float u, float v, float& gu, float& gv) const
    {
        if (m_discrete) return m_discrete->EvaluateWithGradient(u, v, gu, gv);
        gu = gv = 0.0f;
        return m_field ? GenericValueGradient(u, v, gu, gv) : 0.0f;
    }

    /// Lattice resolution for seed searches: the sample grid of sampled
    /// templates (within [64, 256]), 96 otherwise.
    unsigned SeedResolution() const;
    /// FindContourSeeds over the whole template. The seeds of a sampled
    /// template are kept with a copy of its samples and found again only
    /// when those change (a drag asks on every step). Not to be called from
    /// several threads at once.
    void FindSeeds(std::vector<Wml::Vector2<float>>& seeds) const;

private:
    // What the kept seeds were found from.
    struct SeedCache {
        const DiscreteScalarField2D* field = nullptr;
        unsigned width = 0, height = 0;
        Wml::AxisAlignedBox2<float> bounds;
        DiscreteScalarField2D::Interpolation interpolation = DiscreteScalarField2D::Interpolation::CatmullRom;
        std::vector<float> samples;
        std::vector<Wml::Vector2<float>> seeds;
        bool Matches(const DiscreteScalarField2D& f) const;
    };
    mutable SeedCache m_seedCache;

    Wml::AxisAlignedBox2<float> GenericBounds() const;
    float GenericValue(float u, float v) const;
    float GenericValueGradient(float u, float v, float& gu, float& gv) const;

    ScalarField2D* m_field = nullptr;
    DiscreteScalarField2D* m_discrete = nullptr;
};

/**
 * \brief Appends one point on the 0.5 contour of every connected region where
 * f exceeds 0.5, as seen on a (resolution + 1)^2 lattice over box.
 *
 * Regions are the 4-connected groups of lattice nodes above 0.5; each gets
 * the contour crossing on one of its boundary edges, refined by bisection.
 * A region that never leaves the lattice contributes one of its nodes.
 * Regions thinner than a lattice cell can be missed. Nothing is appended for
 * an empty box or a resolution below 2 (it is capped at 1024).
 */
void FindContourSeeds(const std::function<float(float, float)>& f, const Wml::AxisAlignedBox2<float>& box,
                      unsigned resolution, std::vector<Wml::Vector2<float>>& seeds);

}  // namespace vynimplicit
