#pragma once
// Parameters of PolyLineSceneObject.

#include "blobtree/nodes/PolyLineNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/leaves/PolyLineSceneObject.h"

namespace vynui_bt {

/// "Radius", 0.001 ... 10000: PolyLineNode::SetRadius.
class PolyLineParameter_Radius : public NodeFloatParameter<PolyLineSceneObject> {
public:
    explicit PolyLineParameter_Radius(PolyLineSceneObject* object)
        : NodeParameter(
              object, "Radius", 0.001f, 10000.0f, NodeWrite::Setter,
              [](PolyLineSceneObject* o) { return o->GetPolyLineNode()->GetRadius(); },
              [](PolyLineSceneObject* o, float v) { o->GetPolyLineNode()->SetRadius(v); })
    {
    }
};

/// "Taper", 0.001 ... 100: PolyLineNode::SetTaper. The node reports the
/// change to the tree; the object's listeners are not told.
class PolyLineParameter_Taper : public NodeFloatParameter<PolyLineSceneObject> {
public:
    explicit PolyLineParameter_Taper(PolyLineSceneObject* object)
        : NodeParameter(
              object, "Taper", 0.001f, 100.0f, NodeWrite::SetterQuiet,
              [](PolyLineSceneObject* o) { return o->GetPolyLineNode()->GetTaper(); },
              [](PolyLineSceneObject* o, float v) { o->GetPolyLineNode()->SetTaper(v); })
    {
    }
};

}  // namespace vynui_bt
