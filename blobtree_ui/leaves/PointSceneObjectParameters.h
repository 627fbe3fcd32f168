#pragma once
// Parameters of PointSceneObject.

#include "blobtree/nodes/PointNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/leaves/PointSceneObject.h"

namespace vynui_bt {

/// "Radius", 0.001 ... 10000: the node's support radius (PointNode size).
class PointParameter_Size : public NodeFloatParameter<PointSceneObject> {
public:
    explicit PointParameter_Size(PointSceneObject* object)
        : NodeParameter(
              object, "Radius", 0.001f, 10000.0f, NodeWrite::Setter,
              [](PointSceneObject* o) { return o->GetPointNode()->GetSize(); },
              [](PointSceneObject* o, float v) { o->GetPointNode()->SetSize(v); })
    {
    }
};

}  // namespace vynui_bt
