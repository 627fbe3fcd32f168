#include "blobtree_ui/operators/BartheSmoothDifferenceSceneObject.h"

#include "blobtree/nodes/BartheSmoothDifferenceNode.h"
#include "blobtree_ui/operators/BartheSmoothDifferenceSceneObjectParameters.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

BartheSmoothDifferenceSceneObject::BartheSmoothDifferenceSceneObject(vynbt::BartheSmoothDifferenceNode* node)
    : CompositionNodeSceneObject(node, TYPE_CODE, "BartheSmoothDifference")
{
}

const char* BartheSmoothDifferenceSceneObject::GetTypeName()
{
    return "BartheSmoothDifference";
}

void BartheSmoothDifferenceSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
    AddParameter(new BartheSmoothDiffParameter_Sharpness(this));
}

vynbt::BartheSmoothDifferenceNode* BartheSmoothDifferenceSceneObject::GetBartheSmoothDifferenceNode() const
{
    return static_cast<vynbt::BartheSmoothDifferenceNode*>(GetNode());
}

}  // namespace vynui_bt
