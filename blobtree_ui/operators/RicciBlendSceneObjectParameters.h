#pragma once
// Parameters of RicciBlendSceneObject.

#include "blobtree/nodes/RicciBlendNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/operators/RicciBlendSceneObject.h"

namespace vynui_bt {

/// "Blend Power", 0.5 ... 10000: the node's power, written with SetPower
/// (which drops the node's cache and reports its bounds up the tree).
class RicciBlendParameter_Power : public NodeFloatParameter<RicciBlendSceneObject> {
public:
    explicit RicciBlendParameter_Power(RicciBlendSceneObject* object)
        : NodeParameter(
              object, "Blend Power", 0.5f, 10000.0f, NodeWrite::Setter,
              [](RicciBlendSceneObject* o) { return o->GetRicciBlendNode()->GetPower(); },
              [](RicciBlendSceneObject* o, float v) { return o->GetRicciBlendNode()->SetPower(v); })
    {
    }
};

}  // namespace vynui_bt
