#pragma once
// Parameters of LinearSweepWarpSceneObject.

#include "blobtree/nodes/LinearSweepWarpNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/operators/LinearSweepWarpSceneObject.h"

namespace vynui_bt {

/// "Warp Radius", 0.0001 ... 10000: written with SetWarpBounds(GetWarpCenter(), value).
class LinearSweepWarpParameter_Radius : public NodeFloatParameter<LinearSweepWarpSceneObject> {
public:
    explicit LinearSweepWarpParameter_Radius(LinearSweepWarpSceneObject* object)
        : NodeParameter(
              object, "Warp Radius", 0.0001f, 10000.0f, NodeWrite::Setter,
              [](LinearSweepWarpSceneObject* o) { return o->GetLinearSweepWarpNode()->GetWarpRadius(); },
              [](LinearSweepWarpSceneObject* o, float v) {
                  vynbt::LinearSweepWarpNode* node = o->GetLinearSweepWarpNode();
                  return node->SetWarpBounds(node->GetWarpCenter(), v);
              })
    {
    }
};

/// "Warp Smoothing", 0.0001 ... 5: reads the node's smoothing, which is always
/// 0; a write goes to SetSmoothing, which the node ignores, and the listeners
/// are told as for any write.
class LinearSweepWarpParameter_Smoothing : public NodeFloatParameter<LinearSweepWarpSceneObject> {
public:
    explicit LinearSweepWarpParameter_Smoothing(LinearSweepWarpSceneObject* object)
        : NodeParameter(
              object, "Warp Smoothing", 0.0001f, 5.0f, NodeWrite::Setter,
              [](LinearSweepWarpSceneObject* o) { return o->GetLinearSweepWarpNode()->GetSmoothing(); },
              [](LinearSweepWarpSceneObject* o, float v) { o->GetLinearSweepWarpNode()->SetSmoothing(v); })
    {
    }
};

}  // namespace vynui_bt
