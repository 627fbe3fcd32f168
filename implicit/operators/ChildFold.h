#pragma once
// Left folds of a two-argument blend over an operator's children, for values
// and for gradients by the chain rule. Each child is evaluated once per call
// (its Gradient with the value pointer when a gradient is wanted). Child
// values pass through blend::UnitValue, so a child answering NaN or a value
// outside [0, 1] cannot poison the result.
//
// The folds lean on the identities of the blends in BlendFunctions.h:
//  - unions:        U(a, 0) = a, so children that are 0 at the point are skipped;
//  - intersections: I(a, 0) = 0, so the first zero child ends the fold;
//  - differences:   D(0, b) = 0 and D(a, 0) = a, so a zero first child (or a
//                   zero running value) ends it and zero children are skipped.
// With no children every fold answers 0 and a zero gradient.

#include <vector>

#include "implicit/ScalarField.h"
#include "implicit/operators/BlendFunctions.h"

namespace vynimplicit {
namespace fold {

enum class Kind { Union, Intersection, Difference };

/// A child's value (clamped into [0, 1]) and gradient at one point.
struct Sample {
    float v = 0.0f, gx = 0.0f, gy = 0.0f, gz = 0.0f;
};

inline void EvaluateChild(ScalarField* child, float x, float y, float z, Sample& s)
{
    float v = 0.0f;
    child->Gradient(x, y, z, s.gx, s.gy, s.gz, &v);
    s.v = blend::UnitValue(v);
}

/// combine(a, b, da, db) -> blended value, folded over the children in order.
template <Kind K, class Combine>
float Value(const std::vector<ScalarField*>& children, float x, float y, float z, Combine combine)
{
    const size_t n = children.size();
    if (n == 0) return 0.0f;
    float da, db;
    float acc = blend::UnitValue(children[0]->Value(x, y, z));
    if (K != Kind::Union && !(acc > 0.0f)) return 0.0f;
    for (size_t i = 1; i < n; ++i) {
        const float f = blend::UnitValue(children[i]->Value(x, y, z));
        if (!(f > 0.0f)) {
            if (K == Kind::Intersection) return 0.0f;
            continue;
        }
        if (K == Kind::Union && !(acc > 0.0f)) {
            acc = f;
            continue;
        }
        acc = combine(acc, f, da, db);
        if (K != Kind::Union && !(acc > 0.0f)) return 0.0f;
    }
    return acc;
}

/// As Value, with the gradient of the fold written to (gx, gy, gz).
template <Kind K, class Combine>
float Gradient(const std::vector<ScalarField*>& children, float x, float y, float z, float& gx, float& gy,
               float& gz, Combine combine)
{
    gx = gy = gz = 0.0f;
    const size_t n = children.size();
    if (n == 0) return 0.0f;
    Sample s;
    EvaluateChild(children[0], x, y, z, s);
    float acc = s.v;
    if (K != Kind::Union && !(acc > 0.0f)) return 0.0f;
    gx = s.gx;
    gy = s.gy;
    gz = s.gz;
    for (size_t i = 1; i < n; ++i) {
        EvaluateChild(children[i], x, y, z, s);
        if (!(s.v > 0.0f)) {
            if (K == Kind::Intersection) {
                gx = gy = gz = 0.0f;
                return 0.0f;
            }
            continue;
        }
        if (K == Kind::Union && !(acc > 0.0f)) {
            acc = s.v;
            gx = s.gx;
            gy = s.gy;
            gz = s.gz;
            continue;
        }
        float da, db;
        acc = combine(acc, s.v, da, db);
        if (K != Kind::Union && !(acc > 0.0f)) {
            gx = gy = gz = 0.0f;
            return 0.0f;
        }
        gx = da * gx + db * s.gx;
        gy = da * gy + db * s.gy;
        gz = da * gz + db * s.gz;
    }
    if (!(acc > 0.0f)) gx = gy = gz = 0.0f;
    return acc;
}

/// The child whose surface shows at the point under the sharp form of the
/// operation: the strongest child for a union, the weakest for an
/// intersection, and for a difference the first child unless a subtracted
/// child's 1 - f is smaller. Null without children. Colours follow it.
template <Kind K>
ScalarField* SelectedChild(const std::vector<ScalarField*>& children, float x, float y, float z)
{
    ScalarField* selected = nullptr;
    float best = 0.0f;
    for (size_t i = 0; i < children.size(); ++i) {
        const float f = blend::UnitValue(children[i]->Value(x, y, z));
        float term = f;
        bool better = i == 0;
        if (K == Kind::Union) better = better || f > best;
        if (K == Kind::Intersection) better = better || f < best;
        if (K == Kind::Difference && i > 0) {
            term = 1.0f - f;
            better = term < best;
        }
        if (better) {
            best = term;
            selected = children[i];
        }
    }
    return selected;
}

/// Colour of SelectedChild at the point, or the operator's default colour
/// without children.
template <Kind K>
void SelectedColor(ScalarField& self, const std::vector<ScalarField*>& children, float x, float y, float z,
                   float& r, float& g, float& b)
{
    if (ScalarField* child = SelectedChild<K>(children, x, y, z))
        child->Color(x, y, z, r, g, b);
    else
        self.ScalarField::Color(x, y, z, r, g, b);
}

/// The common part of the children's boxes: where every child can be non-zero.
inline void IntersectionBounds(const std::vector<ScalarField*>& children, Wml::AxisAlignedBox3<float>& box)
{
    box.MakeEmpty();
    Wml::AxisAlignedBox3<float> childBox;
    for (size_t i = 0; i < children.size(); ++i) {
        children[i]->FieldBounds(childBox);
        box = i == 0 ? childBox : box.Intersection(childBox);
        if (box.IsEmpty()) {
            box.MakeEmpty();
            return;
        }
    }
}

}  // namespace fold
}  // namespace vynimplicit
