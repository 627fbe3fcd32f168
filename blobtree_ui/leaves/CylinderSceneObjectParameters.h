#pragma once
// Parameters of CylinderSceneObject. Both are plain writes: the cylinder is
// changed directly and only the object's listeners learn of it.

#include "blobtree/nodes/CylinderNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/leaves/CylinderSceneObject.h"

namespace vynui_bt {

/// "Length", 0.001 ... 10000.
class CylinderParameter_Length : public NodeFloatParameter<CylinderSceneObject> {
public:
    explicit CylinderParameter_Length(CylinderSceneObject* object)
        : NodeParameter(
              object, "Length", 0.001f, 10000.0f, NodeWrite::Plain,
              [](CylinderSceneObject* o) { return o->GetCylinderNode()->GetCylinder()->GetLength(); },
              [](CylinderSceneObject* o, float v) { o->GetCylinderNode()->GetCylinder()->SetLength(v); })
    {
    }
};

/// "Radius", 0.001 ... 10000.
class CylinderParameter_Radius : public NodeFloatParameter<CylinderSceneObject> {
public:
    explicit CylinderParameter_Radius(CylinderSceneObject* object)
        : NodeParameter(
              object, "Radius", 0.001f, 10000.0f, NodeWrite::Plain,
              [](CylinderSceneObject* o) { return o->GetCylinderNode()->GetCylinder()->GetRadius(); },
              [](CylinderSceneObject* o, float v) { o->GetCylinderNode()->GetCylinder()->SetRadius(v); })
    {
    }
};

}  // namespace vynui_bt
