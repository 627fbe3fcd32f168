#pragma once
// Checks every 3D field must pass: values in [0, 1], zero outside FieldBounds,
// gradients that agree with central differences of Value.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "implicit/ScalarField.h"

namespace fieldchecks {

struct Options {
    int samples = 3000;
    /// Gradient error allowed, relative to max(1, |gradient|).
    float gradientTolerance = 2e-2f;
    /// Share of samples whose gradient may disagree (creases of sharp operators).
    float allowedGradientMismatch = 0.0f;
    /// Step of the central differences.
    float step = 1e-3f;
    unsigned seed = 7;
};

/// Random point in the field's bounds grown by half their size on every side.
inline Wml::Vector3<float> RandomPoint(const Wml::AxisAlignedBox3<float>& box, std::mt19937& rng)
{
    Wml::Vector3<float> p;
    for (int i = 0; i < 3; ++i) {
        const float pad = 0.5f * (box.Max(i) - box.Min(i)) + 1e-3f;
        p[i] = std::uniform_real_distribution<float>(box.Min(i) - pad, box.Max(i) + pad)(rng);
    }
    return p;
}

/// Checks the conventions at random points around the field's bounds.
inline void ExpectFieldConventions(vynimplicit::ScalarField& field, const std::string& name,
                                   const Options& options = Options())
{
    Wml::AxisAlignedBox3<float> box;
    field.FieldBounds(box);
    ASSERT_FALSE(box.IsEmpty()) << name << ": empty FieldBounds";
    std::mt19937 rng(options.seed);
    int mismatches = 0, outsideNonZero = 0, outOfRange = 0, inside = 0;
    for (int i = 0; i < options.samples; ++i) {
        const Wml::Vector3<float> p = RandomPoint(box, rng);
        const float v = field.Value(p);
        if (!(v >= 0.0f && v <= 1.0f)) ++outOfRange;
        if (!box.Contains(p) && v != 0.0f) ++outsideNonZero;
        if (v > 0.0f) ++inside;

        float gx, gy, gz, gv = -1.0f;
        field.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &gv);
        EXPECT_NEAR(gv, v, 1e-5f) << name << ": Gradient's value differs from Value";
        const float h = options.step;
        const float dx =
            (field.Value(p.X() + h, p.Y(), p.Z()) - field.Value(p.X() - h, p.Y(), p.Z())) / (2 * h);
        const float dy =
            (field.Value(p.X(), p.Y() + h, p.Z()) - field.Value(p.X(), p.Y() - h, p.Z())) / (2 * h);
        const float dz =
            (field.Value(p.X(), p.Y(), p.Z() + h) - field.Value(p.X(), p.Y(), p.Z() - h)) / (2 * h);
        const float scale = std::max(1.0f, std::sqrt(gx * gx + gy * gy + gz * gz));
        const float err = std::sqrt((gx - dx) * (gx - dx) + (gy - dy) * (gy - dy) + (gz - dz) * (gz - dz));
        if (!(err <= options.gradientTolerance * scale)) ++mismatches;
    }
    EXPECT_EQ(outOfRange, 0) << name << ": values outside [0, 1]";
    EXPECT_EQ(outsideNonZero, 0) << name << ": non-zero values outside FieldBounds";
    EXPECT_GT(inside, 0) << name << ": no sample inside the support";
    EXPECT_LE(mismatches, int(options.allowedGradientMismatch * options.samples))
        << name << ": gradient disagrees with finite differences at " << mismatches << " of "
        << options.samples << " points";
}

/// Every seed point lies near the surface: a short search along the gradient
/// from it reaches the 0.5 level.
inline void ExpectSeedsNearSurface(vynimplicit::ScalarField& field, const std::string& name)
{
    std::vector<Wml::Vector3<float>> seeds;
    field.GetSeedPoints(seeds);
    ASSERT_FALSE(seeds.empty()) << name << ": no seed points";
    for (const auto& s : seeds) {
        Wml::Vector3<float> p = s;
        EXPECT_TRUE(field.IsoValueConverge(p, 0.5f, 20, 1e-3f))
            << name << ": seed does not reach the surface";
    }
}

}  // namespace fieldchecks
