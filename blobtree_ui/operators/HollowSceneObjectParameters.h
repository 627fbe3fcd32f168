#pragma once
// Parameters of HollowSceneObject.

#include "blobtree/nodes/HollowNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/operators/HollowSceneObject.h"

namespace vynui_bt {

/// "Thickness", 1e-7 ... 1: the shell thickness, written with SetThickness.
class HollowParameter_Thickness : public NodeFloatParameter<HollowSceneObject> {
public:
    explicit HollowParameter_Thickness(HollowSceneObject* object)
        : NodeParameter(
              object, "Thickness", 1e-7f, 1.0f, NodeWrite::Setter,
              [](HollowSceneObject* o) { return o->GetHollowNode()->GetThickness(); },
              [](HollowSceneObject* o, float v) { return o->GetHollowNode()->SetThickness(v); })
    {
    }
};

}  // namespace vynui_bt
