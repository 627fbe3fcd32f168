#include "blobtree_ui/operators/MinMaxIntersectionSceneObject.h"

#include "blobtree/nodes/MinMaxIntersectionNode.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

MinMaxIntersectionSceneObject::MinMaxIntersectionSceneObject(vynbt::MinMaxIntersectionNode* node)
    : CompositionNodeSceneObject(node, TYPE_CODE, "MinMaxIntersection")
{
}

const char* MinMaxIntersectionSceneObject::GetTypeName()
{
    return "MinMaxIntersection";
}

void MinMaxIntersectionSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt
