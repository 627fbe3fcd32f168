#pragma once
// Parameters of VariationalWarpSceneObject (also the base of the displacement
// map's, which behave the same: both objects present a VariationalWarpNode).

#include "blobtree/nodes/VariationalWarpNode.h"
#include "blobtree_ui/NodeParameter.h"

namespace vynui_bt {

inline vynbt::VariationalWarpNode* WarpNodeOf(BlobTreeNodeSceneObject* object)
{
    return static_cast<vynbt::VariationalWarpNode*>(object->GetNode());
}

/// "Warp Radius", 0.0001 ... 10000: the warp ball's radius, written with
/// SetWarpBounds(GetWarpCenter(), value). object presents a VariationalWarpNode.
class VariationalWarpParameter_Radius : public NodeFloatParameter<BlobTreeNodeSceneObject> {
public:
    explicit VariationalWarpParameter_Radius(BlobTreeNodeSceneObject* object)
        : NodeParameter(
              object, "Warp Radius", 0.0001f, 10000.0f, NodeWrite::Setter,
              [](BlobTreeNodeSceneObject* o) { return WarpNodeOf(o)->GetWarpRadius(); },
              [](BlobTreeNodeSceneObject* o, float v) {
                  return WarpNodeOf(o)->SetWarpBounds(WarpNodeOf(o)->GetWarpCenter(), v);
              })
    {
    }
};

/// "Warp Smoothing", 0.0001 ... 5: written with SetSmoothing.
class VariationalWarpParameter_Smoothing : public NodeFloatParameter<BlobTreeNodeSceneObject> {
public:
    explicit VariationalWarpParameter_Smoothing(BlobTreeNodeSceneObject* object)
        : NodeParameter(
              object, "Warp Smoothing", 0.0001f, 5.0f, NodeWrite::Setter,
              [](BlobTreeNodeSceneObject* o) { return WarpNodeOf(o)->GetSmoothing(); },
              [](BlobTreeNodeSceneObject* o, float v) { return WarpNodeOf(o)->SetSmoothing(v); })
    {
    }
};

}  // namespace vynui_bt
