#pragma once
// Seed points for operators: the children's seeds lie on the children's
// surfaces, which a blend moves and a CSG operation partly removes. These
// helpers carry candidate points onto the operator's own 0.5 level so that
// every seed an operator hands out is on its surface.

#include <vector>

#include "implicit/ScalarField.h"
#include "wml/AxisAlignedBox3.h"
#include "wml/Vector3.h"

namespace vynimplicit {
namespace seeds {

/// Walks from start along direction (any length) for up to length units in
/// 128 steps and, at the first change of side of the 0.5 level, bisects the
/// crossing. True and hit set on success; false when no crossing is met or
/// the input is not finite.
bool MarchToSurface(ScalarField& field, const Wml::Vector3<float>& start,
                    const Wml::Vector3<float>& direction, float length, Wml::Vector3<float>& hit);

/// Moves p onto the 0.5 level: Newton steps along the gradient first; when
/// they fail, a march along the six axis directions across bounds. False
/// (p unchanged) when neither finds the surface.
bool ProjectOntoSurface(ScalarField& field, Wml::Vector3<float>& p,
                        const Wml::AxisAlignedBox3<float>& bounds);

/// Appends the projection of every candidate that can be projected. When no
/// candidate survives and the field is not empty, probes along the axes and
/// diagonals through the centre of bounds and appends the crossings found.
void AppendSurfaceSeeds(ScalarField& field, const std::vector<Wml::Vector3<float>>& candidates,
                        std::vector<Wml::Vector3<float>>& out);

}  // namespace seeds
}  // namespace vynimplicit
