#pragma once
// Parameters of VariationalDisplacementMapSceneObject: the variational warp's,
// under their own names.

#include "blobtree_ui/operators/VariationalDisplacementMapSceneObject.h"
#include "blobtree_ui/operators/VariationalWarpSceneObjectParameters.h"

namespace vynui_bt {

/// "Warp Radius", 0.0001 ... 10000.
class VariationalDisplacementMapParameter_Radius : public VariationalWarpParameter_Radius {
public:
    explicit VariationalDisplacementMapParameter_Radius(VariationalDisplacementMapSceneObject* object)
        : VariationalWarpParameter_Radius(object)
    {
    }
};

/// "Warp Smoothing", 0.0001 ... 5.
class VariationalDisplacementMapParameter_Smoothing : public VariationalWarpParameter_Smoothing {
public:
    explicit VariationalDisplacementMapParameter_Smoothing(VariationalDisplacementMapSceneObject* object)
        : VariationalWarpParameter_Smoothing(object)
    {
    }
};

}  // namespace vynui_bt
