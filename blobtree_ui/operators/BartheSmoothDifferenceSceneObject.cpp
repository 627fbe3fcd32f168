#include "blobtree_ui/operators/BartheSmoothDifferenceSceneObject.h"

#include "blobtree/nodes/BartheSmoothDifferenceNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/operators/BartheSmoothDifferenceSceneObjectParameters.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

BartheSmoothDifferenceSceneObject::BartheSmoothDifferenceSceneObject(vynbt::BartheSmoothDifferenceNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::BartheSmoothDifference,
                                 ShapeTypeTable::RecordName(ShapeCode::BartheSmoothDifference))
{
}

const char* BartheSmoothDifferenceSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::BartheSmoothDifference);
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
