#pragma once
// Parameters of VariationalDisplacementMapSceneObject: the variational warp's,
// under their own names.

#include "blobtree_ui/operators/VariationalWarpSceneObjectParameters.h"

namespace vynui_bt {

class VariationalDisplacementMapSceneObject;

/// "Warp Radius", 0.0001 ... 10000.
class VariationalDisplacementMapParameter_Radius : public VariationalWarpParameter_Radius {
public:
    explicit VariationalDisplacementMapParameter_Radius(VariationalDisplacementMapSceneObject* object);
};

/// "Warp Smoothing", 0.0001 ... 5.
class VariationalDisplacementMapParameter_Smoothing : public VariationalWarpParameter_Smoothing {
public:
    explicit VariationalDisplacementMapParameter_Smoothing(VariationalDisplacementMapSceneObject* object);
};

}  // namespace vynui_bt
